#include "platform/com/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

#include "platform/com/error.h"
#include "platform/com/thread_values.h"

// The build may place the machine's registry elsewhere (MOM_SYSTEM_REGISTRY).
#ifndef MOM_SYSTEM_REGISTRY
#define MOM_SYSTEM_REGISTRY "/var/lib/mom/registry.reg"
#endif

namespace com {

namespace {

constexpr std::string_view kHeader = "MOM Registry Editor Version 1.00";

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

std::string Quote(std::string_view s) {
  std::string r = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') r += '\\';
    if (c == '\n') {
      r += "\\n";
      continue;
    }
    r += c;
  }
  return r + "\"";
}

// Reads a quoted string starting at s[pos] == '"'; advances pos past it.
bool Unquote(std::string_view s, size_t& pos, std::string& out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  ++pos;
  out.clear();
  while (pos < s.size() && s[pos] != '"') {
    char c = s[pos++];
    if (c == '\\' && pos < s.size()) {
      char e = s[pos++];
      c = e == 'n' ? '\n' : e;
    }
    out += c;
  }
  if (pos >= s.size()) return false;
  ++pos;
  return true;
}

}  // namespace

namespace {

// The thread's own registry, else $MOM_REGISTRY; empty when neither is set.
std::string PrivatePath() {
  if (Variant own = ThreadValue(kRegistryPathValue); !own.is_empty()) return own.ToString();
  const char* p = std::getenv("MOM_REGISTRY");
  return p ? p : "";
}

}  // namespace

std::string Registry::DefaultPath() {
  if (std::string p = PrivatePath(); !p.empty()) return p;
  return UserPath();
}

std::string Registry::SystemPath() { return MOM_SYSTEM_REGISTRY; }

std::vector<std::string> Registry::SearchPath() {
  if (std::string p = PrivatePath(); !p.empty()) return {p};
  return {UserPath(), SystemPath()};
}

std::string Registry::UserPath() {
  std::string base;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
    base = x;
  else if (const char* h = std::getenv("HOME"); h && *h)
    base = std::string(h) + "/.config";
  else
    base = "/tmp";
  return base + "/mom/registry.reg";
}

Registry::Registry(std::string path) : path_(std::move(path)) { Reload(); }

void Registry::Reload() {
  keys_.clear();
  std::ifstream in(path_);
  if (!in) return;
  std::string line;
  Key* current = nullptr;
  int line_no = 0;
  while (std::getline(in, line)) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';' || line == kHeader) continue;
    if (line.front() == '[' && line.back() == ']') {
      std::string name = line.substr(1, line.size() - 2);
      Key& k = keys_[Lower(name)];
      if (k.name.empty()) k.name = name;
      current = &k;
      continue;
    }
    std::string value_name, data;
    size_t pos = 0;
    bool ok = current != nullptr;
    if (ok && line[0] == '@') {
      pos = 1;
    } else if (ok) {
      ok = Unquote(line, pos, value_name);
    }
    ok = ok && pos < line.size() && line[pos++] == '=' && Unquote(line, pos, data);
    if (!ok)
      throw Error(kErrAutomation, "registry file " + path_ + " is damaged at line " + std::to_string(line_no));
    current->values[value_name] = data;
  }
}

void Registry::Save() const {
  std::filesystem::path target(path_);
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path());
  std::string tmp = path_ + ".tmp." + std::to_string(::getpid());
  {
    std::ofstream out(tmp, std::ios::trunc);
    if (!out) throw Error(kErrAutomation, "cannot write the registry file " + tmp);
    out << kHeader << "\n";
    for (const auto& [lower, key] : keys_) {
      out << "\n[" << key.name << "]\n";
      for (const auto& [name, data] : key.values) {
        if (name.empty())
          out << "@=" << Quote(data) << "\n";
        else
          out << Quote(name) << "=" << Quote(data) << "\n";
      }
    }
    out.flush();
    if (!out) throw Error(kErrAutomation, "cannot write the registry file " + tmp);
  }
  std::filesystem::rename(tmp, target);
}

std::optional<std::string> Registry::GetValue(std::string_view key, std::string_view name) const {
  auto it = keys_.find(Lower(key));
  if (it == keys_.end()) return std::nullopt;
  auto v = it->second.values.find(std::string(name));
  if (v == it->second.values.end()) return std::nullopt;
  return v->second;
}

void Registry::SetValue(std::string_view key, std::string_view name, std::string_view value) {
  Key& k = keys_[Lower(key)];
  if (k.name.empty()) k.name = std::string(key);
  k.values[std::string(name)] = std::string(value);
}

bool Registry::KeyExists(std::string_view key) const {
  std::string lower = Lower(key);
  auto it = keys_.lower_bound(lower);
  return it != keys_.end() && (it->first == lower || it->first.rfind(lower + "\\", 0) == 0);
}

bool Registry::HasKey(std::string_view key) const { return keys_.count(Lower(key)) != 0; }

void Registry::DeleteKey(std::string_view key) {
  std::string lower = Lower(key);
  for (auto it = keys_.lower_bound(lower); it != keys_.end();) {
    if (it->first == lower || it->first.rfind(lower + "\\", 0) == 0)
      it = keys_.erase(it);
    else
      break;
  }
}

std::vector<std::string> Registry::SubKeys(std::string_view key) const {
  std::string prefix = Lower(key) + "\\";
  std::vector<std::string> result;
  for (auto it = keys_.lower_bound(prefix); it != keys_.end() && it->first.rfind(prefix, 0) == 0; ++it) {
    std::string rest = it->second.name.substr(prefix.size());
    rest = rest.substr(0, rest.find('\\'));
    if (result.empty() || !NamesMatch(result.back(), rest)) result.push_back(rest);
  }
  return result;
}

bool Registry::NamesMatch(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

Registry::FileLock::~FileLock() {
  if (fd >= 0) ::close(fd);
}

Registry::FileLock Registry::LockFile(const std::string& path) {
  std::filesystem::path target(path);
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path());
  FileLock lock;
  lock.fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock.fd < 0) throw Error(kErrAutomation, "cannot lock the registry file " + path);
  if (::flock(lock.fd, LOCK_EX) != 0) throw Error(kErrAutomation, "cannot lock the registry file " + path);
  return lock;
}

namespace {

// Parsed registries by path, each parsed again only when its file changed.
class RegistryCache {
 public:
  std::optional<std::string> LookUp(const std::vector<std::string>& paths, std::string_view key,
                                    std::string_view name) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& path : paths) {
      const Registry* registry = Current(path);
      if (registry && registry->HasKey(key)) return registry->GetValue(key, name);
    }
    return std::nullopt;
  }

 private:
  struct Entry {
    struct timespec mtime {};
    off_t size = -1;
    std::unique_ptr<Registry> registry;
  };

  // The registry at `path` as its file is now; null when there is no file.
  const Registry* Current(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      entries_.erase(path);
      return nullptr;
    }
    Entry& e = entries_[path];
    if (!e.registry || st.st_mtim.tv_sec != e.mtime.tv_sec || st.st_mtim.tv_nsec != e.mtime.tv_nsec ||
        st.st_size != e.size) {
      e.registry.reset();
      e.registry = std::make_unique<Registry>(path);  // raises when damaged; stays unparsed
      e.mtime = st.st_mtim;
      e.size = st.st_size;
    }
    return e.registry.get();
  }

  std::mutex mutex_;  // guards entries_
  std::map<std::string, Entry> entries_;
};

RegistryCache& Cache() {
  static RegistryCache* cache = new RegistryCache;
  return *cache;
}

}  // namespace

std::optional<std::string> LookUpValue(const std::vector<std::string>& paths, std::string_view key,
                                       std::string_view name) {
  return Cache().LookUp(paths, key, name);
}

std::optional<std::string> LookUpValue(std::string_view key, std::string_view name) {
  return LookUpValue(Registry::SearchPath(), key, name);
}

void RegisterClass(Registry& r, const ClassRegistration& c) {
  std::string key = "CLSID\\" + c.clsid.ToString();
  r.SetValue(key, "", c.description);
  r.SetValue(key + "\\InprocServer32", "", c.library_path);
  r.SetValue(key + "\\InprocServer32", "ThreadingModel", c.threading_model);
  if (!c.prog_id.empty()) {
    r.SetValue(key + "\\ProgID", "", c.prog_id);
    r.SetValue(c.prog_id, "", c.description);
    r.SetValue(c.prog_id + "\\CLSID", "", c.clsid.ToString());
  }
  if (!(c.typelib == kNullGuid)) r.SetValue(key + "\\TypeLib", "", c.typelib.ToString());
  if (!c.version.empty()) r.SetValue(key + "\\Version", "", c.version);
}

void UnregisterClass(Registry& r, const Guid& clsid, std::string_view prog_id) {
  r.DeleteKey("CLSID\\" + clsid.ToString());
  if (!prog_id.empty()) r.DeleteKey(prog_id);
}

void RegisterInterface(Registry& r, const InterfaceRegistration& i) {
  std::string key = "Interface\\" + i.iid.ToString();
  r.SetValue(key, "", i.name);
  // Marshalled by the automation marshaler, as every dual interface is.
  r.SetValue(key + "\\ProxyStubClsid32", "", "{00020424-0000-0000-C000-000000000046}");
  if (!(i.typelib == kNullGuid)) {
    r.SetValue(key + "\\TypeLib", "", i.typelib.ToString());
    r.SetValue(key + "\\TypeLib", "Version", i.version);
  }
}

void UnregisterInterface(Registry& r, const Guid& iid) { r.DeleteKey("Interface\\" + iid.ToString()); }

void RegisterTypeLib(Registry& r, const TypeLibRegistration& t) {
  std::string key = "TypeLib\\" + t.libid.ToString() + "\\" + t.version;
  r.SetValue(key, "", t.name);
  r.SetValue(key + "\\0\\linux", "", t.library_path);
  r.SetValue(key + "\\FLAGS", "", "0");
  r.SetValue(key + "\\HELPDIR", "", std::filesystem::path(t.library_path).parent_path().string());
}

void UnregisterTypeLib(Registry& r, const Guid& libid, std::string_view version) {
  std::string lib_key = "TypeLib\\" + libid.ToString();
  r.DeleteKey(lib_key + "\\" + std::string(version));
  if (r.SubKeys(lib_key).empty()) r.DeleteKey(lib_key);
}

}  // namespace com
