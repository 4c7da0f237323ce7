#pragma once

#include <string>

#include "vemosupport/host.h"

namespace vemo::platform {

// Shows a modal message box through the host's handler (or the default one) and
// answers the button pressed.
int MessageBox(const std::string& text, const std::string& title, int style);

// The default box's text: control characters other than line ends shown as "?", so a
// broken file cannot drive the user's terminal.
std::string PrintableText(const std::string& text);

}  // namespace vemo::platform
