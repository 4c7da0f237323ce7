#pragma once

// Turning a device interface file (XIF) into a catalogue entry and a configuration file,
// and writing them into a catalogue folder. These functions keep no state: call them from
// any thread; results are plain values.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "vemosupport/export.h"

namespace vemo {

// A XIF file that cannot be read: the file, the 1-based line (0 when the failure is not
// tied to a line, such as an unreadable file) and what was expected there. what() gives
// "FILE:LINE: DESCRIPTION".
class VEMO_EXPORT DeviceInterfaceError : public std::runtime_error {
 public:
  DeviceInterfaceError(std::string file, std::size_t line, std::string description);
  const std::string& file() const noexcept { return file_; }
  std::size_t line() const noexcept { return line_; }
  const std::string& description() const noexcept { return description_; }

 private:
  std::string file_;
  std::size_t line_;
  std::string description_;
};

// One thing the import changed or could not carry over, for the user to read.
struct ImportNote {
  enum class Kind {
    kRewrite,  // a form population reads differently, rewritten to mean what the device means
    kDerived,  // a catalogue value the file does not state, derived from what it does state
    kLoss,     // something of the device that the catalogue entry cannot represent
  };
  Kind kind;
  std::string subject;  // what it concerns: "node self-documentation", "NV 12 nviTemp", "CP template record 3"
  std::string text;     // what was done, and why
};

// "rewrite", "derived" or "loss": the kind's name in reports.
VEMO_EXPORT const char* ImportNoteKindName(ImportNote::Kind kind);

// What one device interface file gives.
struct ImportedDevice {
  std::string sourceFile;
  std::string programId;          // 16 upper-case hexadecimal digits
  std::string deviceCode;         // the entry's DeviceCode
  std::string catalogueEntry;     // a whole catalogue file (UTF-8 XML) holding the device's C5Device entry
  std::string configurationFile;  // the device's configuration values in the configuration-file format
  std::size_t functionalBlocks = 0;          // LonMark objects of the entry, arrays counted per element
  std::size_t networkVariables = 0;          // NV elements written (arrays counted per element)
  std::size_t configurationProperties = 0;   // CP elements written
  std::size_t configurationBytes = 0;        // data bytes of the configuration file
  std::vector<ImportNote> notes;
};

// Reads the XIF file at `path` and derives the device's catalogue entry and configuration
// file. Throws DeviceInterfaceError when the file cannot be read or is not a XIF file.
VEMO_EXPORT ImportedDevice ImportDeviceInterface(const std::string& path);

// The same for XIF text already in memory; `name` stands for the file in errors.
VEMO_EXPORT ImportedDevice ImportDeviceInterfaceText(const std::string& text, const std::string& name);

// Where a device's two files go in a catalogue folder: FOLDER/<program ID>.xml and
// FOLDER/<program ID>.kiv.
struct ImportedFiles {
  std::string catalogueFile, configurationFile;
};
VEMO_EXPORT ImportedFiles ImportedFilePaths(const ImportedDevice& device, const std::string& folder);

// Writes the device's catalogue entry and configuration file into `folder`, which is made
// (with the folders above it) when missing. Both files are written or neither is changed
// (see WriteFilesAtomically); the configuration file is renamed into place first, so a
// lookup never meets the entry without it. Without `replace`, nothing is written when
// either file exists. Throws FileOutputError (std::errc::file_exists for a file that
// exists, std::errc::not_a_directory when `folder` is something else).
VEMO_EXPORT ImportedFiles WriteImportedDevice(const ImportedDevice& device, const std::string& folder, bool replace);

}  // namespace vemo
