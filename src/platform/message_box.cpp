#include "platform/message_box.h"

#include <cstdio>
#include <sstream>

#include "platform/hook.h"

namespace vemo {

namespace {

platform::Hook<MessageBoxHandler>& Handler() {
  static platform::Hook<MessageBoxHandler> handler;
  return handler;
}

int WriteToStandardError(const std::string& text, const std::string& title) {
  std::ostringstream block;
  block << "+-- " << platform::PrintableText(title) << " --\n";
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) block << "| " << platform::PrintableText(line) << "\n";
  block << "+--\n";
  const std::string framed = block.str();
  std::fwrite(framed.data(), 1, framed.size(), stderr);
  std::fflush(stderr);
  return kMbResultOk;
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
  Handler().Set(handler ? std::make_shared<const MessageBoxHandler>(std::move(handler)) : nullptr);
}

namespace platform {

std::string PrintableText(const std::string& text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto u = static_cast<unsigned char>(text[i]);
    if ((u < 0x20 && u != '\t') || u == 0x7F) {
      shown += '?';
    } else if (u == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      // A C1 control such as CSI, written in UTF-8.
      shown += '?';
      ++i;
    } else {
      shown += text[i];
    }
  }
  return shown;
}

namespace {

thread_local MessageCapture* tCapture = nullptr;

}  // namespace

MessageCapture::MessageCapture() : outer_(tCapture) { tCapture = this; }

MessageCapture::~MessageCapture() { tCapture = outer_; }

int MessageBox(const std::string& text, const std::string& title, int style) {
  if (tCapture) {
    tCapture->messages_.push_back({text, title, style});
    return kMbResultOk;
  }
  const std::shared_ptr<const MessageBoxHandler> handler = Handler().Get();
  return handler ? (*handler)(text, title, style) : WriteToStandardError(text, title);
}

}  // namespace platform

}  // namespace vemo
