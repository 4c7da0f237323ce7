#include "importer/entry_limits.h"

#include <algorithm>

#include "vemosupport/importer.h"

namespace vemo::importer {

void EntryBudget::Add(std::size_t bytes, std::size_t line, const std::string& what) {
  total_ += bytes;
  if (total_ <= kMaxEntryBytes) return;
  const std::string part = bytes > kMaxEntryBytes ? what + " alone takes " + std::to_string(bytes) + " bytes"
                                                  : "the entry reaches " + std::to_string(total_) + " bytes with " + what;
  throw DeviceInterfaceError(file_, line,
                             "the catalogue entry would take more than " + std::to_string(kMaxEntryBytes) +
                                 " bytes (16 MiB), the most a catalogue file may hold: " + part);
}

void EntryBudget::Text(std::size_t bytes, std::size_t line, const std::string& what) const {
  if (bytes <= kMaxTextBytes) return;
  throw DeviceInterfaceError(file_, line,
                             what + " would be a text of " + std::to_string(bytes) + " bytes in the catalogue entry, "
                             "more than the " + std::to_string(kMaxTextBytes) + " bytes the XML parser reads in one text");
}

void CheckBlockBytes(const std::string& file, std::size_t bytes, std::size_t line, const std::string& what) {
  if (bytes <= kMaxBlockBytes) return;
  throw DeviceInterfaceError(file, line,
                             "the configuration data block would take " + std::to_string(bytes) + " bytes, more than the " +
                                 std::to_string(kMaxBlockBytes) + " bytes (1 MiB) population allocates; it passes the "
                                 "limit with " + what);
}

std::size_t Digits(long long n) {
  std::size_t digits = 1;
  for (n = n < 0 ? -n : n; n >= 10; n /= 10) ++digits;
  return digits;
}

std::size_t Digits(long long first, long long last) {
  std::size_t digits = 0;
  for (long long low = first, width = static_cast<long long>(Digits(first)); low <= last; ++width) {
    long long high = 9;  // the highest number of `width` digits
    for (long long i = 1; i < width; ++i) high = high * 10 + 9;
    const long long end = std::min(high, last);
    digits += static_cast<std::size_t>((end - low + 1) * width);
    low = end + 1;
  }
  return digits;
}

}  // namespace vemo::importer
