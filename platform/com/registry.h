#pragma once
// The class registry: a tree of keys with named text values, persisted in a file in
// the .reg text form. It maps ProgID -> CLSID -> server library, threading model and
// type library, as the platform's registry does.
//
// Registration writes to the calling thread's own registry when one is set
// (kRegistryPathValue), else to $MOM_REGISTRY if set, else to the user's registry
// ($XDG_CONFIG_HOME/mom/registry.reg, else ~/.config/mom/registry.reg). Lookups search
// the thread's own or $MOM_REGISTRY alone when set, otherwise the user's registry and then the
// system's (SystemPath(), which the installed package registers its servers in).
// Saving replaces the file atomically and holds an exclusive lock, so concurrent
// registrations do not lose each other's keys.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/guid.h"

namespace com {

// The thread value (thread_values.h) that names, while it is set, the one registry the
// calling thread registers in and looks classes up in, ahead of $MOM_REGISTRY: how a
// tool points the libraries' registration entry points at the machine's registry
// without writing the process's environment.
inline constexpr char kRegistryPathValue[] = "MomCom.RegistryPath";

class Registry {
 public:
  // Where registration writes: the thread's own registry, else $MOM_REGISTRY if set,
  // else UserPath().
  static std::string DefaultPath();
  // The user's registry: $XDG_CONFIG_HOME/mom/registry.reg, else ~/.config/mom/registry.reg.
  static std::string UserPath();
  // The machine's registry, shared by every user (written as root).
  static std::string SystemPath();
  // The registries lookups read, in order: the thread's own or $MOM_REGISTRY alone
  // when set (a private registry sees nothing else), otherwise UserPath() then
  // SystemPath().
  static std::vector<std::string> SearchPath();

  // Reads the registry at `path` (an absent file is an empty registry).
  explicit Registry(std::string path = DefaultPath());

  const std::string& path() const { return path_; }

  // Key paths use backslashes ("CLSID\{...}\InprocServer32"); "" names the default value.
  std::optional<std::string> GetValue(std::string_view key, std::string_view name = {}) const;
  void SetValue(std::string_view key, std::string_view name, std::string_view value);
  bool KeyExists(std::string_view key) const;
  // The key itself is present (KeyExists also counts keys below it).
  bool HasKey(std::string_view key) const;
  // No key at all.
  bool empty() const { return keys_.empty(); }
  // Removes the key and everything below it.
  void DeleteKey(std::string_view key);
  std::vector<std::string> SubKeys(std::string_view key) const;

  // Applies `edit` to the registry file under an exclusive lock: reloads, edits, saves.
  template <class Edit>
  static void Update(const std::string& path, Edit&& edit) {
    auto lock = LockFile(path);
    Registry registry(path);
    edit(registry);
    registry.Save();
  }

  void Save() const;
  void Reload();

 private:
  struct FileLock {
    int fd = -1;
    FileLock() = default;
    FileLock(FileLock&& o) noexcept : fd(o.fd) { o.fd = -1; }
    ~FileLock();
  };
  static FileLock LockFile(const std::string& path);
  static bool NamesMatch(std::string_view a, std::string_view b);

  std::string path_;
  // key (lower-cased for lookup) -> (key as written, values)
  struct Key {
    std::string name;
    std::map<std::string, std::string> values;  // value name -> data
  };
  std::map<std::string, Key> keys_;
};

// Looks up value `name` of `key` along `paths`: the first registry that holds the key
// answers, so a key in an earlier registry hides the same key in later ones. Absent
// files are passed over; a damaged file raises once the search reaches it. Files are
// parsed again only when they changed.
std::optional<std::string> LookUpValue(const std::vector<std::string>& paths, std::string_view key,
                                       std::string_view name = {});
// Along Registry::SearchPath().
std::optional<std::string> LookUpValue(std::string_view key, std::string_view name = {});

// What a server library records for one class.
struct ClassRegistration {
  Guid clsid;
  std::string prog_id;       // may be empty
  std::string description;   // default value of the class key
  std::string library_path;  // InprocServer32
  std::string threading_model = "Apartment";
  Guid typelib;              // kNullGuid if none
  std::string version;       // e.g. "3.1"
};

struct InterfaceRegistration {
  Guid iid;
  std::string name;
  Guid typelib;
  std::string version;
};

struct TypeLibRegistration {
  Guid libid;
  std::string name;
  std::string version;  // "3.1"
  std::string library_path;
};

void RegisterClass(Registry& registry, const ClassRegistration& c);
void UnregisterClass(Registry& registry, const Guid& clsid, std::string_view prog_id);
void RegisterInterface(Registry& registry, const InterfaceRegistration& i);
void UnregisterInterface(Registry& registry, const Guid& iid);
void RegisterTypeLib(Registry& registry, const TypeLibRegistration& t);
void UnregisterTypeLib(Registry& registry, const Guid& libid, std::string_view version);

}  // namespace com
