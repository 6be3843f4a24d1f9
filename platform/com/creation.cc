#include "platform/com/creation.h"

#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <optional>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/com/class_factory.h"
#include "platform/com/error.h"
#include "platform/com/error_info.h"
#include "platform/com/registry.h"

namespace com {

namespace {

// Server libraries stay loaded for the life of the process: per-thread data of a
// library may outlive every object it made.
struct LoadedLibraries {
  std::mutex mutex;
  std::map<std::string, void*> handles;
};

LoadedLibraries& Libraries() {
  static LoadedLibraries* libraries = new LoadedLibraries;
  return *libraries;
}

thread_local std::string t_last_load_error;

void* LoadLibrary(const std::string& path) {
  LoadedLibraries& libs = Libraries();
  std::lock_guard<std::mutex> lock(libs.mutex);
  auto it = libs.handles.find(path);
  if (it != libs.handles.end()) return it->second;
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) {
    const char* err = ::dlerror();
    t_last_load_error = err ? err : "cannot load " + path;
    return nullptr;
  }
  libs.handles.emplace(path, handle);
  return handle;
}

std::optional<std::string> LookUp(const std::string& key) { return LookUpValue(key); }

thread_local std::string t_last_create_detail;

}  // namespace

HResult CLSIDFromProgID(std::string_view prog_id, Guid* clsid) {
  if (!clsid) return E_POINTER;
  try {
    auto text = LookUp(std::string(prog_id) + "\\CLSID");
    if (!text) return CO_E_CLASSSTRING;
    auto g = Guid::Parse(*text);
    if (!g) return CO_E_CLASSSTRING;
    *clsid = *g;
    return S_OK;
  } catch (...) {
    return StatusFromCurrentException(nullptr);
  }
}

HResult CoCreateInstance(const Guid& clsid, const Guid& iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  std::optional<std::string> path;
  try {
    path = LookUp("CLSID\\" + clsid.ToString() + "\\InprocServer32");
  } catch (...) {
    return StatusFromCurrentException(nullptr);
  }
  if (!path) return REGDB_E_CLASSNOTREG;
  void* handle = LoadLibrary(*path);
  if (!handle) {
    t_last_create_detail = t_last_load_error;
    return CO_E_DLLNOTFOUND;
  }
  auto get_class_object = reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
  if (!get_class_object) {
    t_last_create_detail = *path + " has no DllGetClassObject";
    return CO_E_ERRORINDLL;
  }
  Ptr<IClassFactory> factory;
  HResult hr = get_class_object(&clsid, &IClassFactory::kIid, factory.put_void());
  if (Failed(hr)) return hr;
  return factory->CreateInstance(nullptr, iid, out);
}

void RaiseCreateFailure(HResult hr, std::string_view what) {
  std::string reason;
  switch (hr) {
    case CO_E_CLASSSTRING: reason = "no class is registered under this name"; break;
    case REGDB_E_CLASSNOTREG: reason = "class not registered"; break;
    case CO_E_DLLNOTFOUND: reason = "server library cannot be loaded: " + t_last_create_detail; break;
    case CO_E_ERRORINDLL: reason = t_last_create_detail; break;
    case CLASS_E_CLASSNOTAVAILABLE: reason = "the library does not serve this class"; break;
    case E_NOINTERFACE: reason = "the class does not support the interface asked for"; break;
    default: {
      char buf[16];
      std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
      reason = std::string("status ") + buf;
    }
  }
  Raise(kErrCannotCreateObject,
        StandardDescription(kErrCannotCreateObject) + " (" + std::string(what) + ": " + reason + ")");
}

Ptr<IDispatch> CreateObject(std::string_view prog_id) {
  Guid clsid;
  HResult hr = CLSIDFromProgID(prog_id, &clsid);
  if (Failed(hr)) RaiseCreateFailure(hr, prog_id);
  Ptr<IDispatch> object;
  hr = CoCreateInstance(clsid, IDispatch::kIid, object.put_void());
  if (Failed(hr)) RaiseCreateFailure(hr, prog_id);
  return object;
}

void RunRegistrationEntry(const std::string& library_path, const char* entry) {
  void* handle = LoadLibrary(library_path);
  if (!handle) Raise(kErrCannotCreateObject, "cannot load " + library_path + ": " + t_last_load_error);
  auto fn = reinterpret_cast<DllRegisterServerFn>(::dlsym(handle, entry));
  if (!fn) Raise(kErrAutomation, library_path + " has no entry point " + entry);
  ClearErrorInfo();
  HResult hr = fn();
  if (Failed(hr)) {
    auto info = TakeErrorInfo();
    Raise(ErrorNumberFromStatus(hr), info ? info->description : std::string(entry) + " failed");
  }
}

std::string LibraryPathOf(const void* address) {
  Dl_info info{};
  if (!::dladdr(address, &info) || !info.dli_fname) return {};
  char resolved[PATH_MAX];
  if (::realpath(info.dli_fname, resolved)) return resolved;
  return info.dli_fname;
}

}  // namespace com
