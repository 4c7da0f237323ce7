#include "import_xif.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <map>
#include <stdexcept>

#include "vemosupport/importer.h"
#include "config_file.h"
#include "errors.h"
#include "json_output.h"

namespace vemo::cli {

namespace {

std::size_t CountNotes(const ImportedDevice& device, ImportNote::Kind kind) {
  std::size_t count = 0;
  for (const ImportNote& note : device.notes) count += note.kind == kind;
  return count;
}

std::string Plural(std::size_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// An output folder that is not there yet is made (one level); anything else in its
// place is a usage error.
void PrepareFolder(const std::string& folder) {
  struct stat status {};
  if (::stat(folder.c_str(), &status) == 0) {
    if (!S_ISDIR(status.st_mode)) throw UsageError("--to \"" + Printable(folder) + "\" is not a folder");
    return;
  }
  if (::mkdir(folder.c_str(), 0777) != 0)
    throw UsageError("cannot make the folder \"" + Printable(folder) + "\": " + std::strerror(errno));
}

struct Written {
  std::string source;
  ImportedDevice device;
  std::string catalogueFile, configurationFile;
};

struct Failed {
  std::string source;
  std::size_t line = 0;
  std::string description;
};

void PrintDevice(std::ostream& out, const Written& written) {
  const ImportedDevice& device = written.device;
  out << Printable(written.source) << ": " << device.programId << " (" << Printable(device.deviceCode) << ") -> "
      << Printable(written.catalogueFile) << ", " << Printable(written.configurationFile) << ": "
      << Plural(device.functionalBlocks, "functional block", "functional blocks") << ", "
      << Plural(device.networkVariables, "NV", "NVs") << ", "
      << Plural(device.configurationProperties, "CP", "CPs") << ", "
      << Plural(device.configurationBytes, "configuration byte", "configuration bytes") << "; "
      << Plural(CountNotes(device, ImportNote::Kind::kRewrite), "rewrite", "rewrites") << ", "
      << Plural(CountNotes(device, ImportNote::Kind::kLoss), "loss", "losses") << "\n";
  for (const ImportNote& note : device.notes) {
    if (note.kind == ImportNote::Kind::kDerived) continue;  // listed in the JSON report
    out << "  " << ImportNoteKindName(note.kind) << ": " << Printable(note.subject) << ": " << Printable(note.text) << "\n";
  }
}

Json DeviceJson(const Written& written) {
  const ImportedDevice& device = written.device;
  Json notes = Json::array();
  for (const ImportNote& note : device.notes)
    notes.push_back({{"kind", ImportNoteKindName(note.kind)}, {"subject", note.subject}, {"text", note.text}});
  return {{"source", written.source},
          {"programId", device.programId},
          {"deviceCode", device.deviceCode},
          {"catalogueFile", written.catalogueFile},
          {"configurationFile", written.configurationFile},
          {"functionalBlocks", device.functionalBlocks},
          {"networkVariables", device.networkVariables},
          {"configurationProperties", device.configurationProperties},
          {"configurationBytes", device.configurationBytes},
          {"notes", notes}};
}

}  // namespace

int ImportXifCommand(const std::vector<std::string>& files, const std::string& folder, bool force, bool json,
                     std::ostream& out) {
  PrepareFolder(folder);
  std::vector<Written> written;
  std::vector<Failed> failed;
  std::map<std::string, std::string> importedFrom;  // program ID -> the file of this run that gave it

  for (const std::string& source : files) {
    try {
      ImportedDevice device = ImportDeviceInterface(source);
      const std::string base = folder + "/" + device.programId;
      Written entry{source, std::move(device), base + ".xml", base + ".kiv"};
      // Two files of one run with one program ID would overwrite each other's output.
      const auto [earlier, fresh] = importedFrom.emplace(entry.device.programId, source);
      if (!fresh)
        throw std::runtime_error("program ID " + entry.device.programId + " was already imported from \"" +
                                 Printable(earlier->second) + "\" in this run");
      // Both files or neither. The entry goes last: until it is in place, a lookup does
      // not see the device, so a crash between the two leaves no entry without its file.
      WriteNewFiles({{entry.configurationFile, entry.device.configurationFile},
                     {entry.catalogueFile, entry.device.catalogueEntry}},
                    force);
      if (!json) PrintDevice(out, entry);
      // What was written is not kept: a run of many files holds one device's files at a time.
      entry.device.catalogueEntry = std::string();
      entry.device.configurationFile = std::string();
      written.push_back(std::move(entry));
    } catch (const DeviceInterfaceError& error) {
      failed.push_back({source, error.line(), error.description()});
      std::cerr << "vemo: " << Printable(error.what()) << "\n";
    } catch (const std::runtime_error& error) {  // the output could not be written, or would overwrite
      failed.push_back({source, 0, error.what()});
      std::cerr << "vemo: " << Printable(source) << ": " << Printable(error.what()) << "\n";
    }
  }

  if (json) {
    Json devices = Json::array();
    for (const Written& entry : written) devices.push_back(DeviceJson(entry));
    Json failures = Json::array();
    for (const Failed& failure : failed)
      failures.push_back({{"source", failure.source}, {"line", failure.line}, {"description", failure.description}});
    WriteJson(out, {{"schema", kJsonSchema}, {"kind", "import"}, {"folder", folder}, {"devices", devices},
                    {"failures", failures}});
  } else if (files.size() > 1) {
    out << "Imported " << written.size() << " of " << Plural(files.size(), "file", "files") << " into "
        << Printable(folder) << ".\n";
  }
  return failed.empty() ? kExitOk : kExitError;
}

}  // namespace vemo::cli
