#include "support/xml_loading.h"

#include "platform/message_box.h"
#include "support/resource_strings.h"

namespace vemo {

std::optional<platform::XmlDocument> LoadXmlDocument(const std::string& sXMLFile) {
  platform::XmlDocument document;
  if (!document.load(sXMLFile)) {
    ReportParseError(sXMLFile, document.parseError());
    return std::nullopt;
  }
  if (document.readyState() != platform::XmlDocument::kReadyStateComplete || document.parseError().errorCode != 0) {
    return std::nullopt;
  }
  return document;
}

void ReportParseError(const std::string& sXMLFile, const platform::XmlParseError& error) {
  std::string text = GetResString(res::kParseErrorReport);
  text = ReplaceStrParam(text, sXMLFile);
  text = ReplaceNumParam(text, Variant(error.line));
  text = ReplaceNumParam(text, Variant(error.linepos));
  text = ReplaceStrParam(text, error.srcText);
  text = ReplaceStrParam(text, error.reason);
  platform::MessageBox(text, GetResString(res::kXmlParsingErrorTitle), kMbIconExclamation);
}

platform::XmlNode CatalogueRoot(const platform::XmlDocument& document) {
  platform::XmlNode root = document.documentElement();
  if (!root || root.baseName() != kCatalogueRoot) return {};
  return root;
}

platform::XmlNode FindProgIDNode(const std::string& sXMLFile, const std::string& sProgID) {
  const std::optional<platform::XmlDocument> document = LoadXmlDocument(sXMLFile);
  if (!document) return {};
  const platform::XmlNode root = CatalogueRoot(*document);
  if (!root) return {};
  // The ID goes into the expression as it is; one that would end the string literal
  // early cannot name a device.
  if (sProgID.find('"') != std::string::npos) return {};
  return root.selectSingleNode("child::C5Device[@ProgramID = \"P" + sProgID + "\"]");
}

}  // namespace vemo
