#include "support/xml_loading.h"

#include <algorithm>
#include <vector>

#include "platform/message_box.h"
#include "support/catalogue_names.h"
#include "support/resource_strings.h"

namespace vemo {

namespace {

std::optional<platform::XmlDocument> Loaded(const std::string& sXMLFile, const platform::XmlDocument& document,
                                            bool loaded) {
  if (!loaded) {
    ReportParseError(sXMLFile, document.parseError());
    return std::nullopt;
  }
  if (document.readyState() != platform::XmlDocument::kReadyStateComplete || document.parseError().errorCode != 0) {
    return std::nullopt;
  }
  return document;
}

platform::XmlNode FindInDocument(const std::optional<platform::XmlDocument>& document, const std::string& sProgID) {
  if (!document) return {};
  const platform::XmlNode root = CatalogueRoot(*document);
  if (!root) return {};
  // The ID goes into the expression as it is; one that would end the string literal
  // early cannot name a device.
  if (sProgID.find('"') != std::string::npos) return {};
  return root.selectSingleNode(std::string("child::") + names::kDevice + "[@" + names::kProgramId + " = \"P" + sProgID +
                               "\"]");
}

}  // namespace

std::optional<platform::XmlDocument> LoadXmlDocument(const std::string& sXMLFile) {
  platform::XmlDocument document;
  const bool loaded = document.load(sXMLFile);
  return Loaded(sXMLFile, document, loaded);
}

std::optional<platform::XmlDocument> LoadXmlDocument(const std::string& sXMLFile, std::string_view bytes) {
  platform::XmlDocument document;
  const bool loaded = document.load(sXMLFile, bytes);
  return Loaded(sXMLFile, document, loaded);
}

namespace {

// Characters of a long line shown on each side of the error position.
constexpr std::size_t kExcerptReach = 100;
constexpr const char* kCutMarker = "[...]";

// The part of `line` around 1-based character `position`, with a marker where it was
// cut.
std::string ExcerptAround(const std::string& line, std::int32_t position) {
  // Byte offsets at which the characters start.
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  const std::size_t at = std::min<std::size_t>(position > 0 ? static_cast<std::size_t>(position - 1) : 0, starts.size());
  const std::size_t first = at > kExcerptReach ? at - kExcerptReach : 0;
  const std::size_t last = std::min(starts.size(), at + kExcerptReach);
  const std::size_t from = first < starts.size() ? starts[first] : line.size();
  const std::size_t to = last < starts.size() ? starts[last] : line.size();
  return (first > 0 ? kCutMarker : "") + line.substr(from, to - from) + (last < starts.size() ? kCutMarker : "");
}

}  // namespace

void ReportParseError(const std::string& sXMLFile, const platform::XmlParseError& error) {
  std::string text = GetResString(res::kParseErrorReport);
  text = ReplaceStrParam(text, sXMLFile);
  text = ReplaceNumParam(text, Variant(error.line));
  text = ReplaceNumParam(text, Variant(error.linepos));
  // A line so long that the report could not be filled is shown around the error only,
  // so the box still appears and a search goes on.
  std::string shown = error.srcText;
  if (!PlaceholderFits(ReplaceStrParam(text, shown), "%s")) shown = ExcerptAround(shown, error.linepos);
  text = ReplaceStrParam(text, shown);
  text = ReplaceStrParam(text, error.reason);
  platform::MessageBox(text, GetResString(res::kXmlParsingErrorTitle), kMbIconExclamation);
}

platform::XmlNode CatalogueRoot(const platform::XmlDocument& document) {
  platform::XmlNode root = document.documentElement();
  if (!root || root.baseName() != names::kCatalogueRoot) return {};
  return root;
}

platform::XmlNode FindProgIDNode(const std::string& sXMLFile, const std::string& sProgID) {
  return FindInDocument(LoadXmlDocument(sXMLFile), sProgID);
}

platform::XmlNode FindProgIDNode(const std::string& sXMLFile, std::string_view bytes, const std::string& sProgID) {
  return FindInDocument(LoadXmlDocument(sXMLFile, bytes), sProgID);
}

}  // namespace vemo
