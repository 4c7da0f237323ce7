#include "vemosupport/importer.h"

#include "importer/catalogue_writer.h"
#include "importer/xif_reader.h"

namespace vemo {

namespace {

std::string Message(const std::string& file, std::size_t line, const std::string& description) {
  return line == 0 ? file + ": " + description : file + ":" + std::to_string(line) + ": " + description;
}

}  // namespace

DeviceInterfaceError::DeviceInterfaceError(std::string file, std::size_t line, std::string description)
    : std::runtime_error(Message(file, line, description)),
      file_(std::move(file)),
      line_(line),
      description_(std::move(description)) {}

const char* ImportNoteKindName(ImportNote::Kind kind) {
  switch (kind) {
    case ImportNote::Kind::kRewrite: return "rewrite";
    case ImportNote::Kind::kDerived: return "derived";
    case ImportNote::Kind::kLoss: return "loss";
  }
  return "note";
}

ImportedDevice ImportDeviceInterface(const std::string& path) {
  return importer::WriteCatalogue(importer::ReadXifFile(path));
}

ImportedDevice ImportDeviceInterfaceText(const std::string& text, const std::string& name) {
  return importer::WriteCatalogue(importer::ReadXif(text, name));
}

}  // namespace vemo
