// The library answers one lookup at a time and has no member that lists a catalogue,
// so `vemo list` reads the files itself, with the lookup's file order and its rules for
// what a device entry is. It parses under the library's rules: internal entities
// expanded, nothing loaded from outside the file, libxml2's limits on depth and entity
// amplification kept.
#include "catalogue_listing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include "vemosupport/automation_error.h"

namespace vemo::cli {

namespace {

namespace fs = std::filesystem;

// The library reads no catalogue file larger than this.
constexpr off_t kMaxFileBytes = 16L * 1024 * 1024;

bool HasXmlExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.size() - dot != 4) return false;
  std::string extension = name.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return extension == "XML";
}

// A file that a link leads out of the folder is not part of the catalogue.
bool LiesWithin(const std::string& path, const std::string& folder) {
  std::error_code error;
  const fs::path file = fs::canonical(path, error);
  if (error) return false;
  const fs::path root = fs::canonical(folder, error);
  if (error) return false;
  const auto [rootEnd, fileAt] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  return rootEnd == root.end() && fileAt != file.end();
}

// The file's bytes, or the reason it cannot be read. Pipes and devices are refused
// before a read could block.
std::optional<std::string> ReadFile(const std::string& path, std::string& problem) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    problem = std::string("The file cannot be opened: ") + std::strerror(errno);
    return std::nullopt;
  }
  struct stat info {};
  std::optional<std::string> content;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    problem = "The file cannot be read: it is not a regular file.";
  } else if (info.st_size > kMaxFileBytes) {
    problem = "The file is too large to load.";
  } else {
    content.emplace();
    char buffer[65536];
    for (;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) problem = std::string("The file cannot be read: ") + std::strerror(errno);
      if (got <= 0 || static_cast<off_t>(content->size()) + got > kMaxFileBytes) break;
      content->append(buffer, static_cast<std::size_t>(got));
    }
    if (!problem.empty()) content.reset();
  }
  ::close(fd);
  return content;
}

std::string LocalName(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

std::string Text(const xmlNode* node) {
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = content ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return text;
}

std::string Attribute(const xmlNode* element, const char* name) {
  for (const xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
    if (LocalName(reinterpret_cast<const xmlNode*>(attribute)) != name) continue;
    xmlChar* value = xmlNodeListGetString(element->doc, attribute->children, 1);
    std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
  }
  return {};
}

std::vector<const xmlNode*> ChildElements(const xmlNode* parent, const char* name) {
  std::vector<const xmlNode*> children;
  for (const xmlNode* child = parent->children; child; child = child->next) {
    if (child->type == XML_ELEMENT_NODE && LocalName(child) == name) children.push_back(child);
  }
  return children;
}

// As the record does: the attribute without its first character (the "P").
std::string WithoutFirstCharacter(const std::string& text) {
  if (text.empty()) return {};
  std::size_t next = 1;
  while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
  return text.substr(next);
}

ListedDevice ReadEntry(const xmlNode* device, const std::string& file) {
  ListedDevice entry{WithoutFirstCharacter(Attribute(device, "ProgramID")), {}, {}, {}, file};
  const std::vector<const xmlNode*> devInfo = ChildElements(device, "DevInfo");
  if (devInfo.empty()) return entry;
  // A repeated element: the last one counts, as for the record.
  for (const xmlNode* child : ChildElements(devInfo.front(), "DeviceCode")) entry.deviceCode = Text(child);
  for (const xmlNode* child : ChildElements(devInfo.front(), "DeviceType")) entry.deviceType = Text(child);
  for (const xmlNode* child : ChildElements(devInfo.front(), "Manufacturer")) entry.manufacturer = Text(child);
  return entry;
}

// Catalogue files never load anything from outside themselves; a file that asks to is
// refused as a whole, as the lookup refuses it. vemo parses on one thread.
std::optional<std::string> refusedEntity;

xmlParserInputPtr RefuseExternalEntity(const char* url, const char*, xmlParserCtxtPtr) {
  if (!refusedEntity) refusedEntity = url ? url : "";
  return nullptr;
}

void IgnoreGenericError(void*, const char*, ...) {}

struct FreeDocument {
  void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

void ListFile(const std::string& file, Listing& listing) {
  std::string problem;
  const std::optional<std::string> content = ReadFile(file, problem);
  if (!content) {
    listing.unreadableFiles.push_back({file, problem});
    return;
  }
  xmlResetLastError();
  refusedEntity.reset();
  const int options = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  const std::unique_ptr<xmlDoc, FreeDocument> document(
      xmlReadMemory(content->data(), static_cast<int>(content->size()), file.c_str(), nullptr, options));
  if (refusedEntity) {
    listing.unreadableFiles.push_back({file, "External entities are not loaded: " + *refusedEntity});
    return;
  }
  if (const xmlError* error = xmlGetLastError(); !document || (error && error->level >= XML_ERR_ERROR)) {
    std::string message = error && error->message ? error->message : "The file is not well-formed XML.";
    while (!message.empty() && message.back() == '\n') message.pop_back();
    if (error && error->line > 0) message = "line " + std::to_string(error->line) + ": " + message;
    listing.unreadableFiles.push_back({file, message});
    return;
  }
  const xmlNode* root = xmlDocGetRootElement(document.get());
  if (!root || LocalName(root) != "C5Devices") return;  // not a catalogue file: the lookup finds nothing in it
  for (const xmlNode* device : ChildElements(root, "C5Device")) listing.devices.push_back(ReadEntry(device, file));
}

}  // namespace

Listing ListCatalogue(const std::string& folder) {
  Listing listing{folder, {}, {}};
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) throw AutomationError(err::kPathNotFound, "list", error.message());
  std::vector<std::string> names;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    std::error_code statusError;
    if (it->is_regular_file(statusError)) names.push_back(it->path().filename().string());
  }
  if (error) throw AutomationError(err::kPathNotFound, "list", error.message());
  std::sort(names.begin(), names.end());

  xmlSetExternalEntityLoader(RefuseExternalEntity);
  xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
  for (const std::string& name : names) {
    if (!HasXmlExtension(name)) continue;
    const std::string file = folder + name;
    if (!LiesWithin(file, folder)) {
      listing.unreadableFiles.push_back({file, "The file cannot be read: it lies outside the catalogue folder."});
      continue;
    }
    ListFile(file, listing);
  }
  return listing;
}

}  // namespace vemo::cli
