#pragma once

#include <libxml/xmlerror.h>

namespace vemo::platform {

// libxml2 writes some failures, running out of memory among them, straight to its
// generic error handler, by default standard error. A parse silences it for its own
// thread while it runs and puts back whatever the thread had.
class QuietGenericErrors {
 public:
  QuietGenericErrors() : handler_(xmlGenericError), context_(xmlGenericErrorContext) {
    xmlSetGenericErrorFunc(nullptr, Ignore);
  }
  ~QuietGenericErrors() { xmlSetGenericErrorFunc(context_, handler_); }
  QuietGenericErrors(const QuietGenericErrors&) = delete;
  QuietGenericErrors& operator=(const QuietGenericErrors&) = delete;

 private:
  static void Ignore(void*, const char*, ...) noexcept {}
  xmlGenericErrorFunc handler_;
  void* context_;
};

}  // namespace vemo::platform
