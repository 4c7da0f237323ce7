#pragma once

// What a written catalogue entry and configuration file may ask of the library and still
// be loaded whole. Each limit is taken from where the library applies it; a device past
// any of them is refused before anything of it is expanded or written.

#include <libxml/parserInternals.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/xml_dom.h"
#include "points/ConfigDataBlock.h"
#include "services/configuration_file_format.h"

namespace vemo::importer {

// A larger catalogue file is not loaded ("The file is too large to load.").
inline constexpr std::size_t kMaxEntryBytes = static_cast<std::size_t>(platform::kMaxXmlFileBytes);
// One text of the entry (an element's content, a comment): the XML parser refuses a
// longer one, since the loader does not ask it for huge documents.
inline constexpr std::size_t kMaxTextBytes = XML_MAX_TEXT_LENGTH;
// Population refuses a larger configuration data block (error 7).
inline constexpr std::size_t kMaxBlockBytes = static_cast<std::size_t>(ConfigDataBlock::kMaxDataSize);
// The configuration-file reader refuses a larger file.
inline constexpr std::size_t kMaxConfigurationFileBytes = services::kMaxConfigurationFileBytes;
// NV Index, Size and NVType and CP Size and type are 16-bit numbers in the object model:
// population drops an NV or CP whose number does not fit.
inline constexpr int kMaxPointNumber = std::numeric_limits<std::int16_t>::max();
// A node's object count is a 16-bit number that counts the device object too.
inline constexpr std::size_t kMaxFunctionalBlocks = std::numeric_limits<std::int16_t>::max() - 1;

// The bytes the entry will take at least, counted part by part before each part is made:
// a device whose entry would pass kMaxEntryBytes is refused before its arrays are
// expanded, so the work and memory of an import stay near the size of what it writes.
class EntryBudget {
 public:
  explicit EntryBudget(std::string file) : file_(std::move(file)) {}

  // Counts `bytes` more for `what` (declared on `line`, 0 for none); throws
  // DeviceInterfaceError naming the file, the part and the limit when the entry passes
  // kMaxEntryBytes.
  void Add(std::size_t bytes, std::size_t line, const std::string& what);
  // One text of the entry, of `bytes` bytes once written as valid text; throws past kMaxTextBytes.
  void Text(std::size_t bytes, std::size_t line, const std::string& what) const;

  std::size_t total() const { return total_; }
  const std::string& file() const { return file_; }

 private:
  std::string file_;
  std::size_t total_ = 0;
};

// Throws DeviceInterfaceError when the configuration data block would take `bytes`, more
// than kMaxBlockBytes; `what` names the part that passes it.
void CheckBlockBytes(const std::string& file, std::size_t bytes, std::size_t line, const std::string& what);

// The number of decimal digits of `n` (its sign not counted), and of all numbers from
// `first` to `last` (both at least 0) together.
std::size_t Digits(long long n);
std::size_t Digits(long long first, long long last);

}  // namespace vemo::importer
