#pragma once

#include <cstdint>
#include <optional>

#include <string>

#include "vemosupport/byte_array.h"
#include "vemosupport/host.h"

namespace vemo {

// A virtual node's configuration data block: the bytes that hold every CP value and
// every configuration-NV value at fixed offsets. The node owns it and shares it with
// each data point bound to it, so a data point that a caller still holds keeps working
// without keeping the node alive.
class ConfigDataBlock {
 public:
  // Bytes of configuration data; the array holds one spare byte beyond them.
  std::int32_t DataSize() const { return m_lDataSize; }
  const ByteArray& Bytes() const { return m_abConfigData; }

  // Real devices keep a few hundred bytes of configuration data; a catalogue entry that
  // asks for more than this is hostile or broken.
  static constexpr std::int32_t kMaxDataSize = 1024 * 1024;

  // Sets the data size and allocates the array anew with indices 0..dataSize, all zero.
  // Above kMaxDataSize nothing is allocated: error 7 with a description of its own.
  void Allocate(std::int32_t dataSize);

  // Lets the configuration-file reader fill the block. The reader writes into a view of
  // a copy of fixed size, which replaces the block's bytes only when it answers true;
  // an exception it throws leaves the block as it was.
  bool ReadFile(IKivReader& reader, const std::string& path, const std::string& programId);

  // `nLength` bytes from `lOffset`, indexed from 0. Error 5 when the slice ends beyond
  // the data, 9 when the length is below 1 or the offset is outside the array.
  ByteArray Read(std::int32_t lOffset, std::int16_t nLength) const;

  // Copies the first `nLength` elements of `abData` (from its lower bound) to `lOffset`.
  // Error 5, with nothing changed, when `abData` is too short, the offset negative, the
  // length below 1 or the slice ends beyond the data.
  void Write(const ByteArray& abData, std::int32_t lOffset, std::int16_t nLength);

 private:
  ByteArray m_abConfigData;
  std::int32_t m_lDataSize = 0;
};

// `total` advanced by the block bytes a data point of `length` bytes takes (a length
// below 1 takes none); nothing past 32 bits.
std::optional<std::int32_t> AddBlockBytes(std::int32_t total, std::int16_t length);
// The offset after a data point of `length` bytes at `offset`; overflow (6) past 32 bits.
std::int32_t NextOffset(std::int32_t offset, std::int16_t length);

}  // namespace vemo
