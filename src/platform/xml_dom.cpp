#include "platform/xml_dom.h"

#include "platform/file_system.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <mutex>

namespace vemo::platform {

namespace detail {

struct ParsedDocument {
  xmlDocPtr doc = nullptr;
  // Made on the first selection and kept: making a context registers every XPath
  // function anew.
  mutable xmlXPathContextPtr xpath = nullptr;
  explicit ParsedDocument(xmlDocPtr d) : doc(d) {}
  ~ParsedDocument() {
    if (xpath) xmlXPathFreeContext(xpath);
    xmlFreeDoc(doc);
  }
  ParsedDocument(const ParsedDocument&) = delete;
  ParsedDocument& operator=(const ParsedDocument&) = delete;
};

}  // namespace detail

namespace {

// Files larger than this are refused rather than read into memory.
constexpr std::int64_t kMaxFileBytes = 256L * 1024 * 1024;
constexpr std::int32_t kUnreadableFileCode = XML_IO_LOAD_ERROR;

xmlNodePtr Raw(void* node) { return static_cast<xmlNodePtr>(node); }

std::string Owned(xmlChar* text) {
  if (text == nullptr) return {};
  std::string result(reinterpret_cast<const char*>(text));
  xmlFree(text);
  return result;
}

std::string Chars(const xmlChar* text) { return text ? reinterpret_cast<const char*>(text) : std::string(); }

// The text content of an element or attribute. The usual case, a single text or CDATA
// child, is read in place.
std::string Content(xmlNodePtr node) {
  xmlNodePtr only = node->children;
  if (only && !only->next && (only->type == XML_TEXT_NODE || only->type == XML_CDATA_SECTION_NODE)) {
    return Chars(only->content);
  }
  return Owned(xmlNodeGetContent(node));
}

// --- External entities -------------------------------------------------------------
// libxml2's entity loader is process-wide. Ours refuses every load made while this
// thread is inside XmlDocument::load and hands every other load to the loader that was
// in place before, so a host that uses libxml2 itself keeps its behaviour.

thread_local bool t_insideLoad = false;
thread_local bool t_refusedEntity = false;
thread_local std::string t_refusedUrl;
xmlExternalEntityLoader g_previousLoader = nullptr;

xmlParserInputPtr GuardedEntityLoader(const char* url, const char* id, xmlParserCtxtPtr context) {
  if (t_insideLoad) {
    if (!t_refusedEntity) t_refusedUrl = url ? url : (id ? id : "");
    t_refusedEntity = true;
    return nullptr;
  }
  return g_previousLoader ? g_previousLoader(url, id, context) : nullptr;
}

void InstallEntityGuard() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    g_previousLoader = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(GuardedEntityLoader);
  });
}

struct LoadScope {
  LoadScope() {
    t_insideLoad = true;
    t_refusedEntity = false;
    t_refusedUrl.clear();
  }
  ~LoadScope() { t_insideLoad = false; }
};

// --- Errors --------------------------------------------------------------------------

struct ErrorCapture {
  bool any = false;
  xmlError first{};
  std::string message;
};

void CaptureFirstError(void* userData, xmlErrorPtr error) {
  auto* context = static_cast<xmlParserCtxtPtr>(userData);
  auto* capture = static_cast<ErrorCapture*>(context->_private);
  if (capture == nullptr || capture->any || error == nullptr || error->level < XML_ERR_ERROR) return;
  capture->any = true;
  capture->first = *error;
  capture->message = Chars(reinterpret_cast<const xmlChar*>(error->message));
  capture->first.message = nullptr;
  capture->first.file = nullptr;
  capture->first.str1 = capture->first.str2 = capture->first.str3 = nullptr;
}

void IgnoreError(void*, xmlErrorPtr) {}

// An XML name without a colon: what an XPath name test of one step looks like.
bool IsNCName(std::string_view text) {
  if (text.empty()) return false;
  const auto startChar = [](unsigned char c) { return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80; };
  if (!startChar(static_cast<unsigned char>(text[0]))) return false;
  for (char c : text.substr(1)) {
    const auto u = static_cast<unsigned char>(c);
    if (!(startChar(u) || (u >= '0' && u <= '9') || u == '-' || u == '.')) return false;
  }
  return true;
}

std::string TrimEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

// Keeps valid UTF-8 sequences and replaces every other byte with U+FFFD, so that a
// line of a file in another encoding still makes a readable report.
std::string ValidUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    bool valid = length != 0 && i + length <= bytes.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      valid = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
    }
    if (valid) {
      out.append(bytes.substr(i, length));
      i += length;
    } else {
      out.append("\xEF\xBF\xBD");
      ++i;
    }
  }
  return out;
}

// The text of 1-based line `line` of a file, without its line end; empty when the file
// has no such line (or is gone).
std::string SourceLine(const std::string& path, int line) {
  if (line < 1) return {};
  std::ifstream file(path, std::ios::binary);
  std::string text;
  for (int current = 1; current <= line; ++current) {
    if (!std::getline(file, text)) return {};
  }
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return ValidUtf8(text);
}

}  // namespace

// --- XmlDocument ----------------------------------------------------------------------

bool XmlDocument::load(const std::string& path) {
  InstallEntityGuard();
  document_.reset();
  parseError_ = XmlParseError{};
  readyState_ = kReadyStateComplete;

  std::string problem;
  const int fd = OpenRegularFile(path, kMaxFileBytes, problem);
  if (fd < 0) {
    parseError_.errorCode = kUnreadableFileCode;
    parseError_.reason = problem;
    return false;
  }

  xmlParserCtxtPtr context = xmlNewParserCtxt();
  if (context == nullptr) {
    ::close(fd);
    parseError_.errorCode = XML_ERR_NO_MEMORY;
    parseError_.reason = "Out of memory.";
    return false;
  }
  ErrorCapture capture;
  context->_private = &capture;
  context->sax->serror = CaptureFirstError;

  // Internal entities are expanded (NOENT); nothing is fetched from the network; no
  // external DTD is loaded. Without XML_PARSE_HUGE libxml2 keeps its limits on depth
  // and entity amplification, which is what turns bombs into parse errors.
  const int options = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  xmlDocPtr doc = nullptr;
  {
    LoadScope scope;
    // libxml2 reads the file in small pieces as it parses.
    doc = xmlCtxtReadFd(context, fd, path.c_str(), nullptr, options);
    if (t_refusedEntity && !capture.any) {
      capture.any = true;
      capture.first = xmlError{};
      capture.first.code = XML_ERR_EXT_ENTITY_STANDALONE;
      capture.message = "External entities are not loaded: " + t_refusedUrl;
    }
  }
  const bool wellFormed = context->wellFormed != 0;
  xmlFreeParserCtxt(context);
  ::close(fd);

  if (doc != nullptr && wellFormed && !capture.any) {
    document_ = std::make_shared<detail::ParsedDocument>(doc);
    return true;
  }
  if (doc != nullptr) xmlFreeDoc(doc);
  parseError_.errorCode = capture.first.code != 0 ? capture.first.code : XML_ERR_DOCUMENT_END;
  parseError_.line = capture.first.line;
  parseError_.linepos = capture.first.int2;
  parseError_.srcText = SourceLine(path, capture.first.line);
  parseError_.reason = capture.any ? TrimEnd(capture.message) : "The document is not well-formed.";
  return false;
}

XmlNode XmlDocument::documentElement() const {
  if (!document_) return {};
  xmlNodePtr root = xmlDocGetRootElement(document_->doc);
  return root ? XmlNode(document_, root) : XmlNode();
}

// --- XmlNode --------------------------------------------------------------------------

XmlNodeType XmlNode::nodeType() const {
  if (!node_) return XmlNodeType::Other;
  switch (Raw(node_)->type) {
    case XML_ELEMENT_NODE: return XmlNodeType::Element;
    case XML_ATTRIBUTE_NODE: return XmlNodeType::Attribute;
    case XML_TEXT_NODE: return XmlNodeType::Text;
    case XML_CDATA_SECTION_NODE: return XmlNodeType::CData;
    case XML_ENTITY_REF_NODE: return XmlNodeType::EntityReference;
    case XML_ENTITY_NODE: return XmlNodeType::Entity;
    case XML_PI_NODE: return XmlNodeType::ProcessingInstruction;
    case XML_COMMENT_NODE: return XmlNodeType::Comment;
    case XML_DOCUMENT_NODE: return XmlNodeType::Document;
    case XML_DOCUMENT_TYPE_NODE:
    case XML_DTD_NODE: return XmlNodeType::DocumentType;
    case XML_DOCUMENT_FRAG_NODE: return XmlNodeType::DocumentFragment;
    case XML_NOTATION_NODE: return XmlNodeType::Notation;
    default: return XmlNodeType::Other;
  }
}

std::string XmlNode::baseName() const {
  if (!node_) return {};
  switch (nodeType()) {
    case XmlNodeType::Element:
    case XmlNodeType::Attribute:
    case XmlNodeType::ProcessingInstruction:
    case XmlNodeType::EntityReference:
      return Chars(Raw(node_)->name);
    default:
      return {};
  }
}

std::string XmlNode::nodeValue() const {
  if (!node_) return {};
  switch (nodeType()) {
    case XmlNodeType::Text:
    case XmlNodeType::CData:
    case XmlNodeType::Comment:
    case XmlNodeType::ProcessingInstruction:
    case XmlNodeType::Attribute:
      return Owned(xmlNodeGetContent(Raw(node_)));
    default:
      return {};
  }
}

std::string XmlNode::text() const { return node_ ? Content(Raw(node_)) : std::string(); }


XmlNode XmlNode::firstChild() const {
  return node_ && Raw(node_)->children ? XmlNode(document_, Raw(node_)->children) : XmlNode();
}

XmlNode XmlNode::nextSibling() const {
  return node_ && Raw(node_)->next ? XmlNode(document_, Raw(node_)->next) : XmlNode();
}

std::vector<XmlNode> XmlNode::childNodes() const {
  std::vector<XmlNode> children;
  if (!node_) return children;
  for (xmlNodePtr child = Raw(node_)->children; child; child = child->next) children.push_back(XmlNode(document_, child));
  return children;
}

XmlNode XmlNode::parentNode() const {
  if (!node_) return {};
  xmlNodePtr parent = Raw(node_)->parent;
  if (parent == nullptr || parent->type == XML_DOCUMENT_NODE) return {};
  return XmlNode(document_, parent);
}

std::vector<XmlAttribute> XmlNode::attributes() const {
  std::vector<XmlAttribute> result;
  if (nodeType() != XmlNodeType::Element) return result;
  for (xmlNsPtr ns = Raw(node_)->nsDef; ns; ns = ns->next) {
    result.push_back({ns->prefix ? Chars(ns->prefix) : std::string("xmlns"), Chars(ns->href)});
  }
  for (xmlAttrPtr attr = Raw(node_)->properties; attr; attr = attr->next) {
    result.push_back({Chars(attr->name), Content(reinterpret_cast<xmlNodePtr>(attr))});
  }
  return result;
}

std::optional<std::string> XmlNode::getAttribute(std::string_view name) const {
  if (nodeType() != XmlNodeType::Element) return std::nullopt;
  for (xmlAttrPtr attr = Raw(node_)->properties; attr; attr = attr->next) {
    const bool prefixed = attr->ns && attr->ns->prefix;
    const std::string_view local(reinterpret_cast<const char*>(attr->name));
    if (!prefixed ? name == local : name == Chars(attr->ns->prefix) + ":" + std::string(local)) {
      return Content(reinterpret_cast<xmlNodePtr>(attr));
    }
  }
  return std::nullopt;
}

XmlNode XmlNode::selectSingleNode(std::string_view expression) const {
  if (!node_) return {};
  // A bare name selects the first child element of that name in no namespace; walking
  // the children gives the same answer as the XPath engine, without it.
  if (IsNCName(expression)) {
    for (xmlNodePtr child = Raw(node_)->children; child; child = child->next) {
      if (child->type == XML_ELEMENT_NODE && (child->ns == nullptr || child->ns->href == nullptr) &&
          expression == reinterpret_cast<const char*>(child->name)) {
        return XmlNode(document_, child);
      }
    }
    return {};
  }
  if (document_->xpath == nullptr) {
    document_->xpath = xmlXPathNewContext(document_->doc);
    if (document_->xpath == nullptr) return {};
    document_->xpath->error = IgnoreError;
  }
  xmlXPathContextPtr context = document_->xpath;
  context->node = Raw(node_);
  const std::string text(expression);
  XmlNode found;
  xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(text.c_str()), context);
  if (result != nullptr && result->type == XPATH_NODESET && result->nodesetval != nullptr &&
      result->nodesetval->nodeNr > 0) {
    xmlXPathNodeSetSort(result->nodesetval);
    xmlNodePtr first = result->nodesetval->nodeTab[0];
    // Namespace nodes are copies that live only as long as the result; they are never
    // handed out.
    if (first->type != XML_NAMESPACE_DECL) found = XmlNode(document_, first);
  }
  xmlXPathFreeObject(result);
  return found;
}

}  // namespace vemo::platform
