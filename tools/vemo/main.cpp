// vemo: look device types up in a catalogue and show offline virtual nodes.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <string>

#include "vemosupport/cFactory.h"
#include "vemosupport/I709Node.h"
#include "vemosupport/automation_error.h"
#include "render.h"
#include "snapshot.h"

namespace {

using vemo::cli::ErrorInfo;

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNotFound = 3;

struct Options {
  std::string id;
  std::string catalog;
  std::string config;
  bool json = false;
};

void AddCommonOptions(CLI::App& command, Options& options, const char* idHelp) {
  command.add_option("id", options.id, idHelp)->required();
  command.add_option("--catalog", options.catalog, "Catalogue folder (default: the usual folder resolution)");
  command.add_flag("--json", options.json, "Print JSON instead of text");
}

// Text that is not UTF-8 (an ID or a path given as bytes) never stops the output: each
// byte that does not belong to a valid sequence is written as U+FFFD.
void Print(const nlohmann::ordered_json& json) {
  std::cout << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

int NotFound(const Options& options) {
  if (options.json) {
    Print(nlohmann::ordered_json{{"found", false}, {"id", options.id}});
  }
  std::cerr << "vemo: no catalogue entry for \"" << options.id << "\"\n";
  return kExitNotFound;
}

template <class Snapshot>
int Show(const Options& options, const Snapshot& snapshot) {
  if (options.json) {
    Print(vemo::cli::ToJson(snapshot));
  } else {
    vemo::cli::PrintText(std::cout, snapshot);
  }
  return kExitOk;
}

int Info(const Options& options) {
  vemo::cFactory factory;
  const auto record = factory.CreateProgIDInfo(options.id, options.catalog);
  return record ? Show(options, vemo::cli::ReadDeviceInfo(*record)) : NotFound(options);
}

int ConfigInfo(const Options& options) {
  vemo::cFactory factory;
  const auto record = factory.CreateProgIDConfigInfo(options.id, options.catalog);
  return record ? Show(options, vemo::cli::ReadConfigInfo(*record)) : NotFound(options);
}

int Node(const Options& options) {
  vemo::cFactory factory;
  const auto record = factory.CreateProgIDInfo(options.id, options.catalog);
  if (!record) return NotFound(options);
  const auto node = factory.CreateVirtualC472Node(record);
  const bool populated = node->PopulateDevice(options.config);
  return Show(options, vemo::cli::ReadNode(dynamic_cast<vemo::I709Node&>(*node), populated));
}

int Fail(const Options& options, const vemo::AutomationError& error) {
  const ErrorInfo info{error.number(), error.source(), error.description()};
  if (options.json) Print(nlohmann::ordered_json{{"error", vemo::cli::ToJson(info)}});
  std::cerr << "vemo: error " << info.number;
  if (!info.source.empty()) std::cerr << " in " << info.source;
  std::cerr << ": " << info.description << "\n";
  return kExitError;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Look LonWorks device types up in a catalogue and show offline virtual nodes.\n"
               "Message boxes about broken catalogue files go to standard error.\n"
               "Exit codes: 0 done, 1 library error, 2 usage error, 3 no catalogue entry."};
  app.require_subcommand(1);
  Options options;

  CLI::App* info = app.add_subcommand("info", "Show the device record for a program ID or device code");
  AddCommonOptions(*info, options, "16-character program ID or 4-character device code");
  CLI::App* config = app.add_subcommand("config-info", "Show the configuration record for a program ID");
  AddCommonOptions(*config, options, "16-character program ID");
  CLI::App* node = app.add_subcommand("node", "Show the populated offline node for a program ID or device code");
  AddCommonOptions(*node, options, "16-character program ID or 4-character device code");
  node->add_option("--config", options.config, "Configuration file to read into the node");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? kExitOk : kExitUsage;
  }

  try {
    if (info->parsed()) return Info(options);
    if (config->parsed()) return ConfigInfo(options);
    return Node(options);
  } catch (const vemo::AutomationError& error) {
    return Fail(options, error);
  } catch (const std::bad_alloc&) {
    std::cerr << "vemo: out of memory\n";
    return kExitError;
  } catch (const std::exception& error) {
    std::cerr << "vemo: " << error.what() << "\n";
    return kExitError;
  }
}
