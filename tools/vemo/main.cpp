// vemo: look device types up in a catalogue and show offline virtual nodes.
#include <CLI/CLI.hpp>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "vemosupport/automation_error.h"
#include "vemosupport/version.h"
#include "commands.h"
#include "documents.h"
#include "errors.h"
#include "ids.h"
#include "import_xif.h"
#include "render.h"

namespace {

using namespace vemo::cli;

constexpr const char* kFolderHelp =
    "Catalogue folder: --catalog DIR when given, which must be an existing folder. Without it\n"
    "the folder is resolved in this order, the first existing folder winning: the folder the\n"
    "caller names (none), the folder the factory remembered from an earlier lookup, the\n"
    "catalogue-path service (the environment variable VEMO_CONFIG_PATH), the default folder\n"
    "(the environment variable VEMO_DEFAULT_CATALOG_DIR, else the sample catalogue installed\n"
    "with the library). When none exists the command fails with error 76.\n";

constexpr const char* kExitHelp =
    "Exit codes: 0 done, 1 library error (or the output could not be written), 2 usage error,\n"
    "3 no catalogue entry.\n";

constexpr const char* kBatchHelp =
    "Several IDs: give more than one, or --from FILE with one ID a line (\"-\" reads standard\n"
    "input; blank lines and lines starting with \"#\" are skipped). Each is answered in order,\n"
    "the command line's first: as text under a line \"== ID\", or with --json as one JSON\n"
    "object a line (JSON Lines) that names its ID under \"query\". An ID without an entry,\n"
    "or one the library refuses, is answered in its place and the rest go on; the exit code\n"
    "is then 1 when any ID had a library error, else 3 when any had no entry.\n";

// The IDs of info and config-info: one or more, on the command line or from a file.
void AddIds(CLI::App& command, Options& options, const char* what) {
  command.add_option("id", options.ids, what);
  command.add_option("--from", options.from, "Also answer the IDs of FILE, one a line (- standard input)")
      ->type_name("FILE");
}

void AddCatalogue(CLI::App& command, Options& options) {
  command.add_option("--catalog", options.catalog, "Catalogue folder (see below for the folder without it)")
      ->type_name("DIR");
  command.add_flag("--json", options.json, "Print JSON (schema in docs/json.md) instead of text");
  command.footer(std::string(kFolderHelp) + kExitHelp);
}

int Fail(const Options& options, const vemo::AutomationError& error) {
  const ErrorInfo info{error.number(), error.source(), error.description()};
  if (options.json) WriteJson(std::cout, ErrorJson(info));
  std::cerr << "vemo: error " << info.number;
  if (!info.source.empty()) std::cerr << " in " << Printable(info.source);
  std::cerr << ": " << Printable(info.description);
  // The library's description stays as it is; the command adds where it looked.
  if (info.number == vemo::err::kPathNotFound && !options.catalog) std::cerr << " (" << FoldersTried() << ")";
  std::cerr << "\n";
  return kExitError;
}

int Run(int argc, char** argv) {
  CLI::App app{"Look LonWorks device types up in a catalogue and show offline virtual nodes.\n"
               "Message boxes about broken catalogue files go to standard error."};
  app.footer(kExitHelp);
  app.set_version_flag("--version", std::string("vemo ") + VEMOSUPPORT_VERSION + " (library " +
                                        vemo::LibraryVersion() + ")");
  app.name("vemo");
  app.require_subcommand(1);
  Options options;

  CLI::App* info = app.add_subcommand("info", "Show the device record for program IDs or device codes");
  AddIds(*info, options, "16-character program ID or 4-character device code; several are answered in order");
  AddCatalogue(*info, options);
  info->footer(std::string(kBatchHelp) + kFolderHelp + kExitHelp);

  CLI::App* config = app.add_subcommand("config-info", "Show the configuration record for program IDs");
  AddIds(*config, options, "16-character program ID; several are answered in order");
  AddCatalogue(*config, options);
  config->footer(std::string(kBatchHelp) + kFolderHelp + kExitHelp);

  CLI::App* node = app.add_subcommand("node", "Show the populated offline node for a program ID or device code");
  node->add_option("id", options.id, "16-character program ID or 4-character device code")->required();
  AddCatalogue(*node, options);
  node->add_option("--config", options.config, "Configuration file to read into the node (must be a readable file)")
      ->type_name("FILE");
  node->add_option("--set", options.assignments,
                   "Write a value into the node before it is shown, after --config: nv:INDEX=VALUE or "
                   "nv:NAME=VALUE sets that NV, cp:KEY=VALUE the CP with that key. VALUE is a value in the "
                   "point's standard type (nv:12=21.5, a member name such as HVAC_AUTO, or FIELD=VALUE for one "
                   "field, e.g. nv:nvoSwitch=state=1), or the point's whole value as bytes: 0x and pairs of "
                   "hexadecimal digits, e.g. nv:32=0x08660960. A number is never written with a leading 0. "
                   "Repeatable")
      ->type_name("KEY=VALUE")
      ->allow_extra_args(false)
      ->take_all();
  node->add_option("--write-config", options.writeConfig,
                   "Write the node's configuration data (after --config and --set) to a new FILE in the "
                   "configuration-file format, for a later --config")
      ->type_name("FILE");
  node->add_flag("--force", options.force, "Let --write-config replace an existing file");
  node->add_flag("--svg", options.svg,
                 "Print the node as an SVG block diagram instead: each LonMark object a block with its name and "
                 "profile, input NVs as arrows in on the left, output NVs out on the right, CPs and configuration "
                 "NVs with their values below")
      ->excludes("--json");

  CLI::App* points = app.add_subcommand(
      "points", "List every NV and CP of the populated node: object, name, index, direction, type, value, bytes");
  points->add_option("id", options.id, "16-character program ID or 4-character device code")->required();
  AddCatalogue(*points, options);
  points->add_option("--config", options.config, "Configuration file to read into the node (must be a readable file)")
      ->type_name("FILE");
  points->add_flag("--csv", options.csv, "Print CSV (RFC 4180, a header line) for spreadsheets")->excludes("--json");

  CLI::App* list = app.add_subcommand("list", "List every device of the catalogue in lookup order");
  AddCatalogue(*list, options);
  list->footer(std::string(kFolderHelp) + kExitHelp + "Exit 1 also when a catalogue file could not be read.\n");

  CLI::App* diff = app.add_subcommand(
      "diff", "Compare two devices' interfaces: LonMark objects, CPs, NVs and their default values");
  diff->add_option("a", options.id, "Program ID or device code of device A")->required();
  diff->add_option("b", options.otherId, "Program ID or device code of device B")->required();
  AddCatalogue(*diff, options);
  diff->add_flag("--exit-code", options.exitCode, "Exit 1 when the devices differ, as git diff --exit-code does");

  CLI::App* check = app.add_subcommand(
      "check", "Check a catalogue folder: report what a lookup or a node would stumble over, and how to fix it");
  AddCatalogue(*check, options);
  check->footer(std::string(kFolderHelp) +
                "Prints one line per problem (file, program ID, kind, what happens and what to fix), then a\n"
                "summary; --json lists the problems as docs/json.md describes.\n"
                "Exit codes: 0 no problems, 1 problems found (or a library error), 2 usage error.\n");

  CLI::App* report = app.add_subcommand(
      "report", "Write a static HTML report of a catalogue folder: an index, and a page per device with its "
                "record, problems, block diagram and points");
  report->add_option("--to", options.to, "Folder to write index.html and <program ID>.html into (made when missing)")
      ->required()
      ->type_name("DIR");
  report->add_option("--catalog", options.catalog, "Catalogue folder (see below for the folder without it)")
      ->type_name("DIR");
  report->add_option("--config", options.configFolder,
                     "Folder of configuration files: a device's values come from DIR/<program ID>.kiv when "
                     "it is there, else from the catalogue's defaults")
      ->type_name("DIR");
  report->footer(std::string(kFolderHelp) +
                 "The pages are plain HTML with inline SVG, no scripts: open index.html from the folder. Files\n"
                 "of an earlier report are replaced; every file is written whole or not at all. The problems\n"
                 "are those of vemo check; message boxes are not shown.\n"
                 "Exit codes: 0 written, 1 a library error or a file could not be written, 2 usage error.\n");

  std::vector<std::string> xifFiles;
  std::string importFolder;
  CLI::App* importXif = app.add_subcommand(
      "import-xif", "Write a catalogue entry and a configuration file for each device interface (XIF) file");
  importXif->add_option("files", xifFiles, "Device interface files")->required()->type_name("FILE");
  importXif->add_option("--to", importFolder, "Folder to write DIR/<program ID>.xml and .kiv into (made when missing)")
      ->required()
      ->type_name("DIR");
  importXif->add_flag("--force", options.force, "Replace files that exist");
  importXif->add_flag("--json", options.json, "Print the full report as JSON (schema in docs/json.md)");
  importXif->footer(
      "Prints a line per device and every rewrite or loss. A file that cannot be imported is reported and\n"
      "the others are still imported.\n"
      "Exit codes: 0 done, 1 a file could not be imported or written, 2 usage error.\n");

  // Not in --help: the build makes the bash completion and the manual page this way.
  if (argc == 3 && std::string(argv[1]) == "--generate") return WriteDocument(app, argv[2], std::cout);

  // "vemo help" is "vemo --help"; a word that names no command is said to be one.
  std::string names;
  bool known = false;
  for (const CLI::App* command : app.get_subcommands({})) {
    names += (names.empty() ? "" : ", ") + command->get_name();
    known = known || (argc > 1 && command->get_name() == argv[1]);
  }
  if (argc > 1 && argv[1][0] != '-' && !known) {
    if (std::string(argv[1]) == "help") {
      std::cout << app.help();
      return kExitOk;
    }
    std::cerr << "vemo: \"" << Printable(argv[1]) << "\" is no command; the commands are " << names
              << " (vemo --help tells more)\n";
    return kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? kExitOk : kExitUsage;
  }
  // IDs as copied from a device interface file ("9A:10:C0:DE:00:01:04:01") are program IDs.
  options.id = NormalizeId(options.id);
  options.otherId = NormalizeId(options.otherId);
  for (std::string& id : options.ids) id = NormalizeId(id);

  try {
    CheckPaths(options);
    if (!importXif->parsed()) WarnAboutCatalogueVariable(options);
    if (importXif->parsed()) return ImportXifCommand(xifFiles, importFolder, options.force, options.json, std::cout);
    if (info->parsed()) return InfoCommand(options, std::cout);
    if (config->parsed()) return ConfigInfoCommand(options, std::cout);
    if (node->parsed()) return NodeCommand(options, std::cout);
    if (list->parsed()) return ListCommand(options, std::cout);
    if (points->parsed()) return PointsCommand(options, std::cout);
    if (check->parsed()) return CheckCommand(options, std::cout);
    if (report->parsed()) return ReportCommand(options, std::cout);
    return DiffCommand(options, std::cout);
  } catch (const UsageError& error) {
    std::cerr << "vemo: " << error.what() << "\n";
    return kExitUsage;
  } catch (const vemo::AutomationError& error) {
    return Fail(options, error);
  } catch (const std::bad_alloc&) {
    std::cerr << "vemo: out of memory\n";
    return kExitError;
  } catch (const std::exception& error) {
    std::cerr << "vemo: " << Printable(error.what()) << "\n";
    return kExitError;
  }
}

// Whether standard output is a pipe whose reader has gone, as after `vemo list | head`.
bool ReaderLeft() {
  pollfd output{STDOUT_FILENO, 0, 0};
  return ::poll(&output, 1, 0) == 1 && (output.revents & POLLERR);
}

// Output that did not reach its file is an error, not a success. A reader that stopped
// reading wanted no more: vemo then ends quietly, by the signal any such tool ends by.
int FinishOutput(int code) {
  std::cout.flush();
  const bool failed = !std::cout.good() || std::fflush(stdout) != 0 || std::ferror(stdout);
  if (!failed) return code;
  const int error = errno;
  if (ReaderLeft()) {
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
  }
  std::cerr << "vemo: cannot write the output: " << std::strerror(error) << "\n";
  return code == kExitOk ? kExitError : code;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that went away is a write error to report, not a signal that kills vemo.
  std::signal(SIGPIPE, SIG_IGN);
  return FinishOutput(Run(argc, argv));
}
