#include "commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

#include "vemosupport/I709Node.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/configuration_file.h"
#include "vemosupport/host.h"
#include "batch.h"
#include "catalogue_listing.h"
#include "config_file.h"
#include "diff.h"
#include "errors.h"
#include "ids.h"
#include "node_diagram.h"
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

// A spelling of `id` that has a catalogue entry, when `id` itself has none. The first
// lookup already reported the folder's broken files: these show no message box.
std::optional<std::string> SpelledOtherwise(const Options& options, const std::string& id) {
  struct QuietBoxes {
    QuietBoxes() { SetMessageBoxHandler([](const std::string&, const std::string&, int) { return kMbResultOk; }); }
    ~QuietBoxes() { SetMessageBoxHandler(nullptr); }
  } quiet;
  std::optional<std::string> found;
  cFactory factory;
  for (const std::string& variant : IdVariants(id)) {
    try {
      if (factory.CreateProgIDInfo(variant, Folder(options))) found = variant;
    } catch (const AutomationError& error) {
      // An entry without DevInfo is still an entry of that spelling.
      if (error.number() == err::kObjectNotSet) found = variant;
    }
    if (found) break;
  }
  return found;
}

int NotFound(const Options& options, const std::string& id, std::ostream& out) {
  if (options.json) WriteJson(out, NotFoundJson(id));
  std::cerr << "vemo: no catalogue entry for \"" << Printable(id) << "\"";
  if (const std::optional<std::string> other = SpelledOtherwise(options, id)) {
    std::cerr << "; \"" << Printable(*other) << "\" has one (IDs are looked up exactly as written)";
  }
  std::cerr << "\n";
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
      // The command's report adds which folders were tried.
      throw AutomationError(err::kPathNotFound, command, "Folder not found");
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

void WarnAboutCatalogueVariable(const Options& options) {
  const char* service = std::getenv("VEMO_CONFIG_PATH");
  if (options.catalog || !service || !*service || IsFolder(service)) return;
  std::cerr << "vemo: VEMO_CONFIG_PATH \"" << Printable(service) << "\" is not a folder; it is passed over\n";
}

void CheckPaths(const Options& options) {
  if (options.catalog && !IsFolder(*options.catalog)) {
    throw UsageError("--catalog \"" + Printable(*options.catalog) + "\" is not a folder");
  }
  if (options.config && !IsReadableFile(*options.config)) {
    throw UsageError("--config \"" + Printable(*options.config) + "\" is not a readable file");
  }
  if (options.configFolder && !IsFolder(*options.configFolder)) {
    throw UsageError("--config \"" + Printable(*options.configFolder) + "\" is not a folder");
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

// A --config file that the node did not take: why, on standard error, and exit 1.
int ConfigurationRefused(const Options& options, const Node& node) {
  std::size_t dataBytes = 0;
  for (const ConfigurationProperty& cp : node.configurationProperties) {
    if (cp.blockOffset) dataBytes = std::max(dataBytes, static_cast<std::size_t>(*cp.blockOffset + cp.elementSize));
  }
  for (const NetworkVariable& nv : node.networkVariables) {
    if (nv.blockOffset) dataBytes = std::max(dataBytes, static_cast<std::size_t>(*nv.blockOffset + nv.length));
  }
  std::string why = "the device has no configuration data to read it into";
  if (dataBytes > 0) {
    const ConfigurationFileStatus status = CheckConfigurationFile(*options.config, node.programId, dataBytes + 1);
    why = status == ConfigurationFileStatus::kRead ? "the configuration-file reader refused it"
                                                   : "it " + DescribeConfigurationFileStatus(status, dataBytes + 1);
  }
  std::cerr << "vemo: --config \"" << Printable(*options.config) << "\" was not read: " << why << "\n";
  return kExitError;
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
  for (const Assignment& assignment : assignments) {
    if (!Apply(node, assignment) && options.writeConfig) {
      std::cerr << "vemo: --set \"" << Printable(assignment.text) << "\": an input or output NV keeps its value "
                << "outside the configuration data block, so --write-config does not write it\n";
    }
  }
  if (options.writeConfig) WriteNewFile(*options.writeConfig, NodeConfigurationFile(node), options.force);
  const Node snapshot = ReadNode(node, populated);
  if (options.svg) {
    out << DiagramDocument(snapshot, PointRows(snapshot));
  } else {
    Show(options, snapshot, out);
  }
  return options.config && !populated ? ConfigurationRefused(options, snapshot) : kExitOk;
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
  return options.config && !populated ? ConfigurationRefused(options, node) : kExitOk;
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
  auto& i709A = dynamic_cast<I709Node&>(*nodeA);
  auto& i709B = dynamic_cast<I709Node&>(*nodeB);
  const Diff diff = Compare(ReadDeviceInfo(*recordA), ReadNode(i709A, populatedA), ReadDeviceInfo(*recordB),
                            ReadNode(i709B, populatedB), CompareNodes(i709A, i709B));
  Show(options, diff, out);
  return options.exitCode && !diff.Identical() ? kExitDifferent : kExitOk;
}

}  // namespace vemo::cli
