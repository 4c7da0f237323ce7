// The XIF reader and the import on fuzzed text: the reader reads a device or raises
// DeviceInterfaceError naming a line of the text and what was expected there, and what
// it reads stays within what the text can hold; the import then writes an entry and a
// configuration file the library loads, with a few notes a declaration however large
// its arrays, or refuses the device naming the file.

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "importer/catalogue_writer.h"
#include "importer/entry_limits.h"
#include "importer/xif_reader.h"
#include "vemosupport/importer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vemo::fuzz::Require;
  namespace importer = vemo::importer;
  const std::string_view text = vemo::fuzz::AsText(data, size);
  // The text's lines, and one more for an error at its end.
  const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 2;
  importer::XifDevice device;
  try {
    device = importer::ReadXif(text, "fuzz.xif");
    Require(device.programId.size() == 16, "a program ID of 16 digits");
    Require(device.nvs.size() <= lines && device.cpTemplates.size() <= lines, "no more NVs and records than lines");
    Require(2 * (device.fileValues.size() + device.fileReadOnly.size() + device.nvValues.size()) <= size,
            "each value byte written with two digits at least");
    Require(device.binaryTailLine <= lines, "the binary data's line is in the text");
    for (const importer::XifNv& nv : device.nvs) {
      Require(nv.size >= 0 && nv.size <= importer::kMaxPointNumber && nv.line >= 1 && nv.line <= lines,
              "NV size and line in range");
    }
    for (const importer::XifCpTemplate& cp : device.cpTemplates) {
      Require(cp.size >= 1 && cp.size <= importer::kMaxPointNumber && cp.dim >= 1 && cp.line >= 1 && cp.line <= lines,
              "record size and line in range");
    }
  } catch (const vemo::DeviceInterfaceError& error) {
    Require(error.file() == "fuzz.xif", "the error names the file");
    Require(error.line() >= 1 && error.line() <= lines, "the error names a line of the text");
    Require(error.description().starts_with("expected "), "the error says what was expected");
    return 0;
  }
  try {
    const vemo::ImportedDevice imported = importer::WriteCatalogue(device);
    Require(imported.catalogueEntry.size() <= importer::kMaxEntryBytes, "an entry no larger than a catalogue file");
    Require(imported.configurationFile.size() <= importer::kMaxConfigurationFileBytes &&
                imported.configurationBytes <= importer::kMaxBlockBytes + 1,
            "a configuration file and block the library reads");
    // A few notes a declaration and a block array, the device's own, none an element.
    const std::size_t arrays = static_cast<std::size_t>(std::count(device.nodeSelfDoc.begin(), device.nodeSelfDoc.end(), '['));
    Require(imported.notes.size() <= 32 + arrays + 16 * (device.nvs.size() + device.cpTemplates.size()),
            "notes summarised, not one an element");
  } catch (const vemo::DeviceInterfaceError& error) {
    Require(error.file() == "fuzz.xif" && !error.description().empty(), "a refusal names the file and the limit");
  }
  return 0;
}
