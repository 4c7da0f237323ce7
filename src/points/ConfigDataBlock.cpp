#include "points/ConfigDataBlock.h"

#include <algorithm>
#include <string>

#include "vemosupport/automation_error.h"
#include "platform/number_text.h"

namespace vemo {

namespace {

// lOffset + nLength as the 32-bit sum it is: overflow (6) when it does not fit.
std::int32_t SliceEnd(std::int32_t lOffset, std::int16_t nLength) {
  return RoundToInt32(static_cast<double>(lOffset) + static_cast<double>(nLength));
}

}  // namespace

std::optional<std::int32_t> AddBlockBytes(std::int32_t total, std::int16_t length) {
  return TryRoundToInt32(static_cast<double>(total) + std::max<std::int16_t>(length, 0));
}

std::int32_t NextOffset(std::int32_t offset, std::int16_t length) {
  const std::optional<std::int32_t> next = AddBlockBytes(offset, length);
  if (!next) throw AutomationError(err::kOverflow);
  return *next;
}

void ConfigDataBlock::Allocate(std::int32_t dataSize) {
  if (dataSize > kMaxDataSize) {
    throw AutomationError(err::kOutOfMemory, "PopulateDevice",
                          "The configuration data block would take " + std::to_string(dataSize) +
                              " bytes, more than the limit of " + std::to_string(kMaxDataSize) + " bytes.");
  }
  m_lDataSize = dataSize;
  m_abConfigData.lowerBound = 0;
  m_abConfigData.bytes.assign(static_cast<std::size_t>(dataSize) + 1, 0);
}

bool ConfigDataBlock::ReadFile(IKivReader& reader, const std::string& path, const std::string& programId) {
  std::vector<std::uint8_t> scratch = m_abConfigData.bytes;
  if (!reader.ReadKiv(path, programId, std::span<std::uint8_t>(scratch))) return false;
  m_abConfigData.bytes = std::move(scratch);
  return true;
}

ByteArray ConfigDataBlock::Read(std::int32_t lOffset, std::int16_t nLength) const {
  if (SliceEnd(lOffset, nLength) > m_lDataSize) throw AutomationError(err::kInvalidArgument);
  if (nLength < 1 || lOffset < 0 || lOffset >= m_abConfigData.Count()) {
    throw AutomationError(err::kSubscriptOutOfRange);
  }
  ByteArray result;
  const auto from = m_abConfigData.bytes.begin() + lOffset;
  result.bytes.assign(from, from + nLength);
  return result;
}

void ConfigDataBlock::Write(const ByteArray& abData, std::int32_t lOffset, std::int16_t nLength) {
  if (abData.Count() < nLength) {
    throw AutomationError(err::kInvalidArgument, {},
                          "Expected " + std::to_string(nLength) + (nLength == 1 ? " byte" : " bytes") + ", not " +
                              std::to_string(abData.Count()) + ".");
  }
  if (SliceEnd(lOffset, nLength) > m_lDataSize || lOffset < 0 || nLength < 1) {
    throw AutomationError(err::kInvalidArgument);
  }
  std::copy_n(abData.bytes.begin(), nLength, m_abConfigData.bytes.begin() + lOffset);
}

}  // namespace vemo
