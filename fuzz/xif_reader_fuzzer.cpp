// The XIF reader on fuzzed text: it reads a device or raises DeviceInterfaceError
// naming a line of the text and what was expected there, and what it reads stays
// within what the text can hold.

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "importer/xif_reader.h"
#include "vemosupport/importer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vemo::fuzz::Require;
  const std::string_view text = vemo::fuzz::AsText(data, size);
  // The text's lines, and one more for an error at its end.
  const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 2;
  try {
    const vemo::importer::XifDevice device = vemo::importer::ReadXif(text, "fuzz.xif");
    Require(device.programId.size() == 16, "a program ID of 16 digits");
    Require(device.nvs.size() <= lines && device.cpTemplates.size() <= lines, "no more NVs and records than lines");
    Require(2 * (device.fileValues.size() + device.fileReadOnly.size() + device.nvValues.size()) <= size,
            "each value byte written with two digits at least");
    Require(device.binaryTailLine <= lines, "the binary data's line is in the text");
    for (const vemo::importer::XifNv& nv : device.nvs) {
      Require(nv.size >= 0 && nv.size <= 65535 && nv.line >= 1 && nv.line <= lines, "NV size and line in range");
    }
    for (const vemo::importer::XifCpTemplate& cp : device.cpTemplates) {
      Require(cp.size >= 1 && cp.dim >= 1 && cp.line >= 1 && cp.line <= lines, "record size and line in range");
    }
  } catch (const vemo::DeviceInterfaceError& error) {
    Require(error.file() == "fuzz.xif", "the error names the file");
    Require(error.line() >= 1 && error.line() <= lines, "the error names a line of the text");
    Require(error.description().starts_with("expected "), "the error says what was expected");
  }
  return 0;
}
