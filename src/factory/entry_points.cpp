#include "vemosupport/entry_points.h"

#include <dlfcn.h>

#include <new>
#include <string_view>
#include <cstdlib>

#include "vemosupport/cFactory.h"
#include "factory/class_registry.h"
#include "platform/file_system.h"
#include "vemosupport/automation_error.h"

namespace vemo {

namespace {

constexpr std::int32_t kCannotCreateObject = 429;
constexpr const char* kCannotCreateDescription = "ActiveX component can't create object";

// The class object of cFactory. It counts as an object of the library while a caller
// holds it, so the library is not unloaded under it.
class FactoryClassObject : public IClassFactory, public Object {
 public:
  std::shared_ptr<Object> CreateInstance() override { return std::make_shared<cFactory>(); }
  void Release() override { delete this; }
};

}  // namespace

std::shared_ptr<Object> CreateObject(const std::string& progId) {
  const std::optional<Registration> registration = FindRegistration(progId);
  // The record names a library to load: only an absolute path is trusted, never one
  // that the search path or the current folder would resolve.
  if (!registration || !registration->creatable || !registration->library.starts_with('/')) {
    throw AutomationError(kCannotCreateObject, "CreateObject", kCannotCreateDescription);
  }
  // The library stays loaded: the objects it makes run its code.
  void* library = dlopen(registration->library.c_str(), RTLD_NOW | RTLD_GLOBAL);
  auto getClassObject =
      library ? reinterpret_cast<std::int32_t (*)(const char*, void**)>(dlsym(library, "DllGetClassObject")) : nullptr;
  void* classObject = nullptr;
  if (!getClassObject || getClassObject(registration->clsid.c_str(), &classObject) != status::kOk || !classObject) {
    throw AutomationError(kCannotCreateObject, "CreateObject", kCannotCreateDescription);
  }
  auto* factory = static_cast<IClassFactory*>(classObject);
  std::shared_ptr<Object> instance;
  try {
    instance = factory->CreateInstance();
  } catch (...) {
    factory->Release();
    throw;
  }
  factory->Release();
  return instance;
}

}  // namespace vemo

extern "C" {

// Nothing may leave these functions as an exception: a C caller cannot catch it.

std::int32_t DllGetClassObject(const char* clsid, void** classObject) noexcept {
  if (classObject == nullptr) return vemo::status::kPointer;
  *classObject = nullptr;
  if (clsid == nullptr) return vemo::status::kClassNotAvailable;
  const std::string_view id(clsid);
  if (id != vemo::kFactoryClsid && id != vemo::kFactoryProgId) return vemo::status::kClassNotAvailable;
  auto* factory = new (std::nothrow) vemo::FactoryClassObject;
  if (factory == nullptr) return vemo::status::kOutOfMemory;
  *classObject = static_cast<vemo::IClassFactory*>(factory);
  return vemo::status::kOk;
}

std::int32_t DllCanUnloadNow() noexcept {
  return vemo::Object::LiveCount() == 0 ? vemo::status::kOk : vemo::status::kFalse;
}

std::int32_t DllRegisterServer() noexcept {
  try {
    const std::string library = vemo::platform::ThisLibraryFile();
    if (library.empty() || !vemo::RegisterClasses(library)) return vemo::status::kRegisterFailed;
    return vemo::status::kOk;
  } catch (...) {
    return vemo::status::kUnexpected;
  }
}

std::int32_t DllUnregisterServer() noexcept {
  try {
    return vemo::UnregisterClasses() ? vemo::status::kOk : vemo::status::kRegisterFailed;
  } catch (...) {
    return vemo::status::kUnexpected;
  }
}

}  // extern "C"
