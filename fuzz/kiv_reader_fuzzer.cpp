// The default configuration-file reader on a fuzzed file. The first input byte is the
// size of the node's block, the rest is the file; the sample device's program ID is
// the one asked for, so the seeds from catalog/ get past the header.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "services/kiv_file_reader.h"

namespace {

constexpr const char* kProgramId = "9A10C0DE00010401";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  (void)vemo::fuzz::WorkFolder::Path();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string path = vemo::fuzz::WriteWorkFile("device.kiv", vemo::fuzz::AsText(data + 1, size - 1));

  // A pattern no file is likely to hold, so a change the reader should not make shows.
  std::vector<std::uint8_t> block(data[0]);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(0xA5 ^ i);
  const std::vector<std::uint8_t> before = block;

  vemo::services::KivFileReader reader;
  const bool read = reader.ReadKiv(path, kProgramId, block);
  vemo::fuzz::Require(read || block == before, "a refused file leaves the block unchanged");
  return 0;
}
