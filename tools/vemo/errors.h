#pragma once

#include <stdexcept>
#include <string>

namespace vemo::cli {

// Exit codes, as every command's --help lists them.
inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;  // a library error, or output that could not be written
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotFound = 3;
inline constexpr int kExitDifferent = 1;  // diff --exit-code: the devices differ, as git diff says it

// A command line that asks for something impossible: a folder or file that is not
// there, a malformed --set. Exits with kExitUsage.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `text` fit for a message on a terminal: control characters, which a path or a
// catalogue could carry to drive the terminal, become "?".
std::string Printable(const std::string& text);

}  // namespace vemo::cli
