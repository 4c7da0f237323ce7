#include "commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "vemosupport/I709Node.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/host.h"
#include "batch.h"
#include "catalogue_listing.h"
#include "config_file.h"
#include "diff.h"
#include "errors.h"
#include "node_values.h"
#include "point_rows.h"
#include "render.h"

namespace vemo::cli {

namespace {

bool IsFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

// Opening without waiting, so that a pipe is refused instead of blocking.
bool IsReadableFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  return regular;
}

// The folder argument for the library: empty lets it resolve the folder.
std::string Folder(const Options& options) { return options.catalog.value_or(std::string()); }

int NotFound(const Options& options, const std::string& id, std::ostream& out) {
  if (options.json) WriteJson(out, NotFoundJson(id));
  std::cerr << "vemo: no catalogue entry for \"" << Printable(id) << "\"\n";
  return kExitNotFound;
}

template <class Snapshot>
int Show(const Options& options, const Snapshot& snapshot, std::ostream& out) {
  if (options.json) {
    WriteJson(out, ToJson(snapshot));
  } else {
    PrintText(out, snapshot);
  }
  return kExitOk;
}

}  // namespace

std::string ResolveFolder(const Options& options, const char* command) {
  std::string folder = Folder(options);
  if (folder.empty()) {
    const char* service = std::getenv("VEMO_CONFIG_PATH");
    const std::string fallback = DefaultCatalogFolder();
    if (service && IsFolder(service)) {
      folder = service;
    } else if (IsFolder(fallback)) {
      folder = fallback;
    } else {
      throw AutomationError(err::kPathNotFound, command, "Folder not found (" + FoldersTried() + ")");
    }
  }
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string FoldersTried() {
  const auto named = [](const char* variable) {
    const char* value = std::getenv(variable);
    return std::string(variable) + (value && *value ? " \"" + Printable(value) + "\"" : std::string(" (unset)"));
  };
  std::string tried = "tried " + named("VEMO_CONFIG_PATH") + ", " + named("VEMO_DEFAULT_CATALOG_DIR");
  for (const std::string& folder : InstalledCatalogFolders()) tried += ", \"" + Printable(folder) + "\"";
  return tried;
}

void CheckPaths(const Options& options) {
  if (options.catalog && !IsFolder(*options.catalog)) {
    throw UsageError("--catalog \"" + Printable(*options.catalog) + "\" is not a folder");
  }
  if (options.config && !IsReadableFile(*options.config)) {
    throw UsageError("--config \"" + Printable(*options.config) + "\" is not a readable file");
  }
}

int InfoCommand(const Options& options, std::ostream& out) {
  if (IsBatch(options)) return InfoBatch(options, out);
  const std::string& id = SingleId(options);
  cFactory factory;
  const auto record = factory.CreateProgIDInfo(id, Folder(options));
  return record ? Show(options, ReadDeviceInfo(*record), out) : NotFound(options, id, out);
}

int ConfigInfoCommand(const Options& options, std::ostream& out) {
  if (IsBatch(options)) return ConfigInfoBatch(options, out);
  const std::string& id = SingleId(options);
  cFactory factory;
  const auto record = factory.CreateProgIDConfigInfo(id, Folder(options));
  return record ? Show(options, ReadConfigInfo(*record), out) : NotFound(options, id, out);
}

int NodeCommand(const Options& options, std::ostream& out) {
  std::vector<Assignment> assignments;
  for (const std::string& text : options.assignments) assignments.push_back(ParseAssignment(text));

  cFactory factory;
  const auto record = factory.CreateProgIDInfo(options.id, Folder(options));
  if (!record) return NotFound(options, options.id, out);
  const auto virtualNode = factory.CreateVirtualC472Node(record);
  const bool populated = virtualNode->PopulateDevice(options.config.value_or(std::string()));
  auto& node = dynamic_cast<I709Node&>(*virtualNode);
  for (const Assignment& assignment : assignments) Apply(node, assignment);
  if (options.writeConfig) WriteNewFile(*options.writeConfig, ConfigFileText(node), options.force);
  return Show(options, ReadNode(node, populated), out);
}

int PointsCommand(const Options& options, std::ostream& out) {
  cFactory factory;
  const auto record = factory.CreateProgIDInfo(options.id, Folder(options));
  if (!record) return NotFound(options, options.id, out);
  const auto virtualNode = factory.CreateVirtualC472Node(record);
  const bool populated = virtualNode->PopulateDevice(options.config.value_or(std::string()));
  const Node node = ReadNode(dynamic_cast<I709Node&>(*virtualNode), populated);
  const std::vector<PointRow> rows = PointRows(node);
  if (options.json) {
    WriteJson(out, PointsJson(node, rows));
  } else if (options.csv) {
    PrintPointsCsv(out, rows);
  } else {
    PrintPointsText(out, rows);
  }
  return kExitOk;
}

int ListCommand(const Options& options, std::ostream& out) {
  const Listing listing = ListFolder(ResolveFolder(options, "list"));
  Show(options, listing, out);
  for (const UnreadableFile& file : listing.unreadableFiles) {
    std::cerr << "vemo: skipped \"" << Printable(file.xmlFilename) << "\": " << Printable(file.description) << "\n";
  }
  // A file the lookup cannot read leaves the list incomplete.
  return listing.unreadableFiles.empty() ? kExitOk : kExitError;
}

int DiffCommand(const Options& options, std::ostream& out) {
  cFactory factory;
  const auto recordA = factory.CreateProgIDInfo(options.id, Folder(options));
  if (!recordA) return NotFound(options, options.id, out);
  const auto recordB = factory.CreateProgIDInfo(options.otherId, Folder(options));
  if (!recordB) return NotFound(options, options.otherId, out);
  const auto nodeA = factory.CreateVirtualC472Node(recordA);
  const auto nodeB = factory.CreateVirtualC472Node(recordB);
  const bool populatedA = nodeA->PopulateDevice("");
  const bool populatedB = nodeB->PopulateDevice("");
  return Show(options,
              Compare(ReadDeviceInfo(*recordA), ReadNode(dynamic_cast<I709Node&>(*nodeA), populatedA),
                      ReadDeviceInfo(*recordB), ReadNode(dynamic_cast<I709Node&>(*nodeB), populatedB)),
              out);
}

}  // namespace vemo::cli
