#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vemo::cli {

// What the command line asked for, after parsing.
struct Options {
  std::string id, otherId;              // otherId: the second device of diff
  std::vector<std::string> ids;         // info and config-info: the IDs in command-line order
  std::optional<std::string> from;      // info and config-info: a file of further IDs, "-" standard input
  std::optional<std::string> catalog;   // only when given
  std::optional<std::string> config;    // only when given
  std::vector<std::string> assignments; // node --set
  std::optional<std::string> writeConfig;
  bool force = false;
  bool json = false;
  bool csv = false;       // points
  bool svg = false;       // node: the block diagram instead of the tree
  std::string to;                          // report: the folder written
  std::optional<std::string> configFolder; // report: configuration files <ID>.kiv, only when given
  bool exitCode = false;  // diff: exit 1 when the devices differ
};

// Which folders a lookup without --catalog tried, for the report of error 76.
std::string FoldersTried();

// The folder the factory would use for a lookup without --catalog, ending with "/". A
// fresh factory has none remembered and vemo keeps the library's catalogue-path service,
// which answers VEMO_CONFIG_PATH. Error 76 from `command` when there is none.
std::string ResolveFolder(const Options& options, const char* command);

// Says on standard error when VEMO_CONFIG_PATH names no folder and the lookup goes on
// to the default folder: a misspelt path would otherwise go unnoticed.
void WarnAboutCatalogueVariable(const Options& options);

// Refuses an explicit --catalog that is not a folder, a --config that is not a readable
// regular file and a report's --config that is not a folder (UsageError), so that none
// falls back on other data.
void CheckPaths(const Options& options);

// Each command writes its answer to `out` and returns the exit code; info and
// config-info answer a batch (batch.h) when asked for one. Library errors
// pass through as AutomationError, command-line faults as UsageError.
int InfoCommand(const Options& options, std::ostream& out);
int ConfigInfoCommand(const Options& options, std::ostream& out);
int NodeCommand(const Options& options, std::ostream& out);
int ListCommand(const Options& options, std::ostream& out);
int DiffCommand(const Options& options, std::ostream& out);
// vemo points: one row per NV and CP of the populated node, as text, CSV or JSON.
int PointsCommand(const Options& options, std::ostream& out);
// vemo check: the problems a user must fix in a catalogue folder; exit 1 when there are any.
int CheckCommand(const Options& options, std::ostream& out);
// vemo report: a static HTML site of the catalogue folder (report.h).
int ReportCommand(const Options& options, std::ostream& out);

}  // namespace vemo::cli
