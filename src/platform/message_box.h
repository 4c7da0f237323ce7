#pragma once

#include <functional>
#include <string>

namespace vemo::platform {

// Message-box styles the component uses (icon flags; the only button is OK).
inline constexpr int kMbIconStop = 16;
inline constexpr int kMbIconExclamation = 48;
inline constexpr int kMbResultOk = 1;

using MessageBoxHandler = std::function<int(const std::string& text, const std::string& title, int style)>;

// Shows a modal message box and returns the button pressed. The default writes the
// title and text as a framed block to standard error and answers OK.
int MessageBox(const std::string& text, const std::string& title, int style);

// Replaces the message box for the whole process; an empty handler restores the default.
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace vemo::platform
