#pragma once

#include <memory>

#include "vemosupport/host.h"

namespace vemo::services {

// This thread's reader, made on first use and kept for the thread's life; a reader set
// with SetKivReaderFactory replaces it on every thread from the next call on. The caller
// holds the answer while it reads, so a nested call that replaces the thread's reader
// cannot free it in use. A host factory that gives no reader raises error 91.
std::shared_ptr<IKivReader> ThreadKivReader();

}  // namespace vemo::services
