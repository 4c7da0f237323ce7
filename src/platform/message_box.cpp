#include "platform/message_box.h"

#include <iostream>
#include <sstream>

namespace vemo::platform {

namespace {

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}

int WriteToStandardError(const std::string& text, const std::string& title, int /*style*/) {
  std::ostringstream block;
  block << "+-- " << title << " --\n";
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) block << "| " << line << "\n";
  block << "+--\n";
  std::cerr << block.str() << std::flush;
  return kMbResultOk;
}

}  // namespace

int MessageBox(const std::string& text, const std::string& title, int style) {
  const MessageBoxHandler& handler = Handler();
  return handler ? handler(text, title, style) : WriteToStandardError(text, title, style);
}

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

}  // namespace vemo::platform
