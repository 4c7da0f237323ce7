#include "import_xif.h"

#include <filesystem>
#include <iostream>
#include <fstream>
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

std::string BaseName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// `text` with every `from` written as `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); !from.empty() && at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// Whether `entry` gives, byte for byte, the files already written for its program ID
// from `earlier`, apart from the source file's name that both files mention.
bool SameDevice(const Written& entry, const std::string& earlier) {
  const std::string name = BaseName(entry.source), earlierName = BaseName(earlier);
  return FileText(entry.catalogueFile) == Replaced(entry.device.catalogueEntry, name, earlierName) &&
         FileText(entry.configurationFile) == Replaced(entry.device.configurationFile, name, earlierName);
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
  CheckOutputFolder(folder);  // a missing folder is made as the first device is written
  std::vector<Written> written;
  std::vector<Failed> failed;
  std::map<std::string, std::string> importedFrom;  // program ID -> the file of this run that gave it
  std::vector<std::pair<std::string, std::string>> repeated;  // a file, and the earlier one of its device

  for (const std::string& source : files) {
    try {
      ImportedDevice device = ImportDeviceInterface(source);
      const ImportedFiles paths = ImportedFilePaths(device, folder);
      Written entry{source, std::move(device), paths.catalogueFile, paths.configurationFile};
      // Two files of one run with one program ID would overwrite each other's output:
      // the first is kept; a second that declares the same device is said to be one.
      if (const auto earlier = importedFrom.find(entry.device.programId); earlier != importedFrom.end()) {
        if (!SameDevice(entry, earlier->second)) {
          throw std::runtime_error("program ID " + entry.device.programId + " was already imported from \"" +
                                   Printable(earlier->second) + "\" in this run, which declares the device "
                                   "otherwise; import this file into another folder to keep both");
        }
        if (!json) {
          out << Printable(source) << ": the device of \"" << Printable(earlier->second)
              << "\", already imported in this run\n";
        }
        repeated.push_back({source, earlier->second});
        continue;
      }
      try {
        WriteImportedDevice(entry.device, folder, force);
      } catch (const FileOutputError& error) {
        ThrowOutputError(error);
      }
      importedFrom.emplace(entry.device.programId, source);
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
    Json repeats = Json::array();
    for (const auto& [source, earlier] : repeated) repeats.push_back({{"source", source}, {"sameAs", earlier}});
    WriteJson(out, {{"schema", kJsonSchema}, {"kind", "import"}, {"folder", folder}, {"devices", devices},
                    {"repeated", repeats}, {"failures", failures}});
  } else if (files.size() > 1) {
    out << "Imported " << written.size() << " of " << Plural(files.size(), "file", "files") << " into "
        << Printable(folder);
    if (!repeated.empty()) out << " (" << repeated.size() << " repeated a device already imported)";
    out << ".\n";
  }
  return failed.empty() ? kExitOk : kExitError;
}

}  // namespace vemo::cli
