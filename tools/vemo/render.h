#pragma once

#include <ostream>
#include <string>

#include "catalogue_listing.h"
#include "diff.h"
#include "json_output.h"
#include "snapshot.h"

namespace vemo::cli {

// Human-readable output.
void PrintText(std::ostream& out, const DeviceInfo& info);
void PrintText(std::ostream& out, const ConfigInfo& info);
void PrintText(std::ostream& out, const Node& node);
void PrintText(std::ostream& out, const Listing& listing);
void PrintText(std::ostream& out, const Diff& diff);

// JSON documents, as docs/json.md describes them: each carries "schema" and "kind".
Json ToJson(const DeviceInfo& info);
Json ToJson(const ConfigInfo& info);
Json ToJson(const Node& node);
Json ToJson(const Listing& listing);
Json ToJson(const Diff& diff);
Json NotFoundJson(const std::string& id);
Json ErrorJson(const ErrorInfo& error);

}  // namespace vemo::cli
