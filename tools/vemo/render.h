#pragma once

#include <ostream>

#include <nlohmann/json.hpp>

#include "snapshot.h"

namespace vemo::cli {

// Human-readable output.
void PrintText(std::ostream& out, const DeviceInfo& info);
void PrintText(std::ostream& out, const ConfigInfo& info);
void PrintText(std::ostream& out, const Node& node);

// JSON output: every member, with stable names.
nlohmann::ordered_json ToJson(const DeviceInfo& info);
nlohmann::ordered_json ToJson(const ConfigInfo& info);
nlohmann::ordered_json ToJson(const Node& node);
nlohmann::ordered_json ToJson(const ErrorInfo& error);

}  // namespace vemo::cli
