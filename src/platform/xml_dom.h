#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemo::platform {

// DOM node types, numbered as the DOM numbers them.
enum class XmlNodeType : int {
  Other = 0,
  Element = 1,
  Attribute = 2,
  Text = 3,
  CData = 4,
  EntityReference = 5,
  Entity = 6,
  ProcessingInstruction = 7,
  Comment = 8,
  Document = 9,
  DocumentType = 10,
  DocumentFragment = 11,
  Notation = 12,
};

// The error code of a file that cannot be read at all.
inline constexpr std::int32_t kUnreadableFileCode = 1549;  // libxml2's XML_IO_LOAD_ERROR

// Files larger than this are refused rather than read. Real catalogue files are
// kilobytes, a folder of every device a vendor makes a few megabytes; a document takes
// about 33 times its file in memory, so this bounds one parse near 550 MB.
inline constexpr std::int64_t kMaxXmlFileBytes = 16L * 1024 * 1024;

struct XmlParseError {
  std::int32_t errorCode = 0;  // 0 when the document loaded
  std::int32_t line = 0;       // 1-based line of the problem, 0 when unknown
  std::int32_t linepos = 0;    // 1-based character position within that line
  std::string srcText;         // the text of that line
  std::string reason;
};

struct XmlAttribute {
  std::string baseName;  // the name without any namespace prefix
  std::string value;
};

namespace detail {
struct ParsedDocument;
}

// libxml2 sets up its global state on first use, which is not safe from several
// threads at once: every parse calls this first, and it does that exactly once.
void PrepareXmlParser();

// A node of a loaded document. A node keeps its whole document alive; a default-made
// node is "nothing".
class XmlNode {
 public:
  XmlNode() = default;

  explicit operator bool() const { return node_ != nullptr; }
  friend bool operator==(const XmlNode& a, const XmlNode& b) { return a.node_ == b.node_; }

  XmlNodeType nodeType() const;
  // The name without any namespace prefix.
  std::string baseName() const;
  // True for an element or attribute whose name is in no namespace.
  bool inNoNamespace() const;
  // The value of a text, CDATA, comment or processing-instruction node; empty for others.
  std::string nodeValue() const;
  // All text below the node (text and CDATA), concatenated in document order.
  std::string text() const;

  XmlNode firstChild() const;
  XmlNode nextSibling() const;
  std::vector<XmlNode> childNodes() const;
  XmlNode parentNode() const;

  // The attributes of an element in document order. Namespace declarations are markup,
  // not attributes, and are not among them.
  std::vector<XmlAttribute> attributes() const;
  // The value of the attribute with exactly this (qualified) name.
  std::optional<std::string> getAttribute(std::string_view name) const;

  // The first node, in document order, that an XPath 1.0 expression selects with this
  // node as context; nothing when none does or when the expression is not valid XPath.
  XmlNode selectSingleNode(std::string_view expression) const;

 private:
  friend class XmlDocument;
  XmlNode(std::shared_ptr<const detail::ParsedDocument> document, void* node)
      : document_(std::move(document)), node_(node) {}

  std::shared_ptr<const detail::ParsedDocument> document_;
  void* node_ = nullptr;
};

// A DOM document, loaded synchronously from a file. Loading never reads anything but
// the named file: external entities and external DTDs are refused, internal entities
// are expanded, and entity bombs and absurd nesting end as parse errors.
class XmlDocument {
 public:
  static constexpr int kReadyStateComplete = 4;

  // Loads the file, read whole through one descriptor; false when it could not be read
  // or parsed (see parseError()).
  bool load(const std::string& path);
  // Parses `bytes`, the content of the file `path` as read once by the caller; the
  // report of a problem (its source line among it) comes from these bytes alone.
  bool load(const std::string& path, std::string_view bytes);
  // Marks the document as a file that could not be read, for `reason`.
  void failUnreadable(const std::string& reason);

  const XmlParseError& parseError() const { return parseError_; }
  int readyState() const { return readyState_; }
  XmlNode documentElement() const;

 private:
  std::shared_ptr<const detail::ParsedDocument> document_;
  XmlParseError parseError_;
  int readyState_ = 0;
};

}  // namespace vemo::platform
