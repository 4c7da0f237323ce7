#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/byte_array.h"

namespace vemo::services {

// The outside component that copies a device configuration file into a node's
// configuration data block.
class IKivReader {
 public:
  virtual ~IKivReader() = default;
  // True when `block` now holds the device's configuration values from the file;
  // false when the file was not usable, and then the block is unchanged.
  virtual bool ReadKiv(const std::string& path, const std::string& programId, ByteArray& block) = 0;
};

using KivReaderFactory = std::function<std::unique_ptr<IKivReader>()>;

// This thread's reader, made on first use and kept for the thread's life; a reader set
// with SetKivReaderFactory replaces it on every thread from the next call on. A host
// factory that gives no reader raises error 91.
IKivReader& ThreadKivReader();

// Replaces the reader for the whole process; an empty factory restores the default.
void SetKivReaderFactory(KivReaderFactory factory);

}  // namespace vemo::services
