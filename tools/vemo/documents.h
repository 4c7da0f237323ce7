#pragma once

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>

namespace vemo::cli {

// Writes what the build makes from vemo's own command definitions, so that neither can
// fall behind the commands: `kind` "completion-bash" is the bash completion script,
// "man" the manual page vemo(1) in man(7) markup. Returns the exit code; another kind is
// a usage error.
int WriteDocument(const CLI::App& app, const std::string& kind, std::ostream& out);

}  // namespace vemo::cli
