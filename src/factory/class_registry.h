#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vemo {

// The library's public classes as a registration record names them.
struct PublicClass {
  const char* progId;  // component name, a dot, class name
  const char* clsid;
  bool creatable;
};

inline constexpr const char* kFactoryProgId = "VemoSupport.cFactory";
inline constexpr const char* kFactoryClsid = "{6A698CBF-F801-4C05-9753-9E0220666F6D}";

const std::vector<PublicClass>& PublicClasses();

// The registration record is a JSON file that lists registered classes by programmatic
// identifier; RegistryFile() (vemosupport/host.h) names it.

// Adds (or replaces) this library's classes in the record, keeping other entries; the
// record names `libraryPath` as the library that serves them. False when the record
// cannot be read as one, cannot be written, or would grow past the 16 MiB that a read of
// it accepts; it is then left as it was.
bool RegisterClasses(const std::string& libraryPath);
// Removes this library's classes from the record, keeping other entries.
bool UnregisterClasses();

struct Registration {
  std::string clsid;
  std::string library;
  bool creatable = false;
};

// The record's entry for a programmatic identifier, if there is one.
std::optional<Registration> FindRegistration(const std::string& progId);

}  // namespace vemo
