#include "factory/class_registry.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "platform/file_system.h"
#include "platform/hook.h"
#include "vemosupport/host.h"

namespace vemo {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

// A record is a few kilobytes; anything far larger is not one.
constexpr std::int64_t kMaxRecordBytes = 16 * 1024 * 1024;
constexpr const char* kTypeLibraryId = "{7731F612-CE1F-4F6A-95F4-02E3ED20E5F3}";

platform::Hook<std::string>& HostRegistryFile() {
  static platform::Hook<std::string> path;
  return path;
}

// The record as it stands: empty when there is no file, nothing when it is not one.
std::optional<Json> ReadRecord(const std::string& path) {
  std::error_code error;
  if (!fs::exists(fs::symlink_status(path, error))) return Json::object();
  const std::optional<std::string> text = platform::ReadRegularFile(path, kMaxRecordBytes);
  if (!text) return std::nullopt;
  Json record = Json::parse(*text, nullptr, /*allow_exceptions=*/false);
  if (record.is_discarded() || !record.is_object()) return std::nullopt;
  for (const char* table : {"classes", "typeLibraries"}) {
    if (record.contains(table) && !record[table].is_object()) return std::nullopt;
  }
  return record;
}

// Writes beside the record and renames, so a failed write never leaves half a record.
bool WriteRecord(const std::string& path, const Json& record) {
  std::error_code error;
  const fs::path target(path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
  const std::string temporary = path + ".tmp";
  {
    std::ofstream file(temporary, std::ios::trunc);
    if (!file) return false;
    file << record.dump(2) << "\n";
    if (!file.flush()) return false;
  }
  fs::rename(temporary, target, error);
  if (error) fs::remove(temporary, error);
  return !error;
}

}  // namespace

const std::vector<PublicClass>& PublicClasses() {
  static const std::vector<PublicClass> classes = {
      {kFactoryProgId, kFactoryClsid, true},
      {"VemoSupport.C472VirtualNode", "{3B8CDF4B-75D6-45E2-BCDC-65539ABC77FC}", false},
      {"VemoSupport.C472VirtualLMCol", "{0080ABC6-5E95-4E86-9AE8-BB50C0324EDF}", false},
      {"VemoSupport.C472VirtualLM", "{9620938E-8EF1-4FCE-A660-E239E964BB16}", false},
      {"VemoSupport.C472VirtualNVCol", "{2DBBD3B7-D6A4-43D6-824A-0DCC1C2E2771}", false},
      {"VemoSupport.C472VirtualNV", "{40809339-5A88-4FD7-8738-811322B2792E}", false},
      {"VemoSupport.C472VirtualCPCol", "{FCE50AEB-C060-4895-89F1-81E6E7D413E7}", false},
      {"VemoSupport.C472VirtualCP", "{61FC0FE9-2D5D-4E68-A3D9-9D904A9A87FA}", false},
      {"VemoSupport.IC472VirtualObj", "{7C607F07-6EFC-4023-9C7F-88CC22630494}", false},
  };
  return classes;
}

std::string RegistryFile() {
  if (const std::shared_ptr<const std::string> path = HostRegistryFile().Get(); path && !path->empty()) return *path;
  if (const char* path = std::getenv("VEMO_REGISTRY_FILE"); path && *path) return path;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::string(config) + "/vemosupport/registry.json";
  }
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.config/vemosupport/registry.json";
}

void SetRegistryFile(std::string path) { HostRegistryFile().Set(std::make_shared<const std::string>(std::move(path))); }

bool RegisterClasses(const std::string& libraryPath) {
  const std::string path = RegistryFile();
  std::optional<Json> record = ReadRecord(path);
  if (!record) return false;
  Json& classes = (*record)["classes"];
  if (classes.is_null()) classes = Json::object();
  for (const PublicClass& entry : PublicClasses()) {
    classes[entry.progId] = {{"clsid", entry.clsid},
                             {"library", libraryPath},
                             {"creatable", entry.creatable},
                             {"threadingModel", "Apartment"},
                             {"typeLibrary", kTypeLibraryId}};
  }
  (*record)["typeLibraries"][kTypeLibraryId] = {{"name", "VemoSupport"}, {"library", libraryPath}, {"OLESelfRegister", true}};
  return WriteRecord(path, *record);
}

bool UnregisterClasses() {
  const std::string path = RegistryFile();
  std::optional<Json> record = ReadRecord(path);
  if (!record) return false;
  if (record->contains("classes")) {
    for (const PublicClass& entry : PublicClasses()) (*record)["classes"].erase(entry.progId);
  }
  if (record->contains("typeLibraries") && (*record)["typeLibraries"].is_object()) {
    (*record)["typeLibraries"].erase(kTypeLibraryId);
  }
  return WriteRecord(path, *record);
}

std::optional<Registration> FindRegistration(const std::string& progId) {
  const std::optional<Json> record = ReadRecord(RegistryFile());
  if (!record || !record->contains("classes")) return std::nullopt;
  const Json& classes = (*record)["classes"];
  const auto entry = classes.find(progId);
  if (entry == classes.end() || !entry->is_object()) return std::nullopt;
  // A field of another type than expected counts as missing.
  auto text = [&](const char* name) {
    const auto field = entry->find(name);
    return field != entry->end() && field->is_string() ? field->get<std::string>() : std::string();
  };
  const auto creatable = entry->find("creatable");
  return Registration{text("clsid"), text("library"),
                      creatable != entry->end() && creatable->is_boolean() && creatable->get<bool>()};
}

}  // namespace vemo
