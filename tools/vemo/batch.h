#pragma once

#include <ostream>
#include <string>

#include "commands.h"

namespace vemo::cli {

// `vemo info` and `vemo config-info` answer several IDs in one process, with one
// factory, when given more than one ID or --from: each answer in the order asked, as
// one JSON Lines record with --json, else as a block of text headed "== ID".

// Whether the command line asks for a batch rather than a single answer.
bool IsBatch(const Options& options);

// The ID of a command line that is no batch; a UsageError when none was given.
const std::string& SingleId(const Options& options);

// Exit 0 when every ID was found, else 1 when any ID raised a library error, else 3.
int InfoBatch(const Options& options, std::ostream& out);
int ConfigInfoBatch(const Options& options, std::ostream& out);

}  // namespace vemo::cli
