#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/xml_dom.h"

namespace vemo {

// Loads an XML file synchronously. When it cannot be read or parsed, shows the
// "XML Parsing Error" report and gives nothing; a document that loaded but is not
// complete gives nothing without a report.
std::optional<platform::XmlDocument> LoadXmlDocument(const std::string& sXMLFile);
// The same for the bytes of `sXMLFile` as the caller read them.
std::optional<platform::XmlDocument> LoadXmlDocument(const std::string& sXMLFile, std::string_view bytes);

// Shows the parse-error report for `sXMLFile`: string 5001 filled with the path, line,
// character position, source text and reason, titled with string 5000.
void ReportParseError(const std::string& sXMLFile, const platform::XmlParseError& error);

// The catalogue root of a loaded document, or nothing when its root element's local
// name is not exactly "C5Devices".
platform::XmlNode CatalogueRoot(const platform::XmlDocument& document);

// The first "C5Device" child of the catalogue root whose ProgramID is "P" followed by
// `sProgID`, or nothing.
platform::XmlNode FindProgIDNode(const std::string& sXMLFile, const std::string& sProgID);
// The same query on the bytes of `sXMLFile` as the caller read them.
platform::XmlNode FindProgIDNode(const std::string& sXMLFile, std::string_view bytes, const std::string& sProgID);

}  // namespace vemo
