#pragma once

#include <string>
#include <vector>

#include "vemosupport/host.h"

namespace vemo::platform {

// Shows a modal message box through the host's handler (or the default one) and
// answers the button pressed.
int MessageBox(const std::string& text, const std::string& title, int style);

// While alive, collects the message boxes shown on the thread that made it instead of
// showing them: each is answered OK at once. The innermost capture of a thread
// collects; other threads are not affected. Make and destroy it on one thread, in
// nested order.
class MessageCapture {
 public:
  struct Message {
    std::string text, title;
    int style = 0;
  };

  MessageCapture();
  ~MessageCapture();
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  const std::vector<Message>& Messages() const { return messages_; }

 private:
  friend int MessageBox(const std::string& text, const std::string& title, int style);

  MessageCapture* outer_;
  std::vector<Message> messages_;
};

// The default box's text: control characters other than line ends shown as "?", so a
// broken file cannot drive the user's terminal.
std::string PrintableText(const std::string& text);

}  // namespace vemo::platform
