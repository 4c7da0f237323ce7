#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemo::platform {

// The element and attribute names a scan collects. Names are compared by their local
// part alone, whatever namespace they are in, so a scan finds at least everything a
// query by name without a prefix selects.
struct XmlScanNames {
  std::string_view entry;           // elements directly below the root ...
  std::string_view entryAttribute;  // ... whose attribute of this name is collected
  std::string_view group;           // elements at any depth ...
  std::string_view key;             // ... whose child elements of this name give their whole text
};

// What a scan saw in a document that it read to its end.
struct XmlScan {
  std::string rootName;                       // the root element's local name
  std::vector<std::string> entryAttributes;   // in document order
  std::vector<std::string> keyTexts;          // each key element's text and CDATA, as one
};

// Reads a file's bytes (as read once by the caller) through libxml2's SAX interface without building a tree, with the same
// size limit, markup guard and parser options as XmlDocument::load. Nothing when the
// scan cannot vouch for the file: any error, a document type declaration, an entity
// other than the five predefined ones, an xml:id attribute, or a very long text. Such
// a file is for XmlDocument::load to judge (and to report), so a file the scan reads
// to its end is one that XmlDocument::load loads.
std::optional<XmlScan> ScanXmlBytes(const std::string& path, std::string_view bytes, const XmlScanNames& names);

}  // namespace vemo::platform
