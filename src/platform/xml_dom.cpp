#include "platform/xml_dom.h"

#include "platform/file_system.h"
#include "platform/libxml_quiet.h"
#include "platform/markup_guard.h"
#include "platform/text_encoding.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlversion.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <cstring>
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

static_assert(kUnreadableFileCode == XML_IO_LOAD_ERROR);

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
// Each parse refuses external entities through its own SAX callbacks, so neither the
// process-wide entity loader nor any other libxml2 user in the process can re-enable
// them for our documents, and the process-wide state is never touched.

struct ParseState {
  bool anyError = false;
  xmlError first{};
  std::string message;
  bool refusedEntity = false;
  std::string refusedName;
};

ParseState* StateOf(void* context) {
  return static_cast<ParseState*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

void RefuseEntity(void* context, const xmlChar* name, const xmlChar* systemId) noexcept {
  ParseState* state = StateOf(context);
  if (state == nullptr || state->refusedEntity) return;
  state->refusedEntity = true;
  try {
    state->refusedName = Chars(systemId ? systemId : name);
  } catch (...) {
    // The name only decorates the report; the refusal stands without it.
  }
}

bool IsExternal(xmlEntityPtr entity) {
  return entity != nullptr && (entity->etype == XML_EXTERNAL_GENERAL_PARSED_ENTITY ||
                               entity->etype == XML_EXTERNAL_GENERAL_UNPARSED_ENTITY ||
                               entity->etype == XML_EXTERNAL_PARAMETER_ENTITY);
}

// libxml2's own lookup would fetch an external entity's content while it looks it up,
// so the declaration is checked first.
xmlEntityPtr GetEntityWithoutFetching(void* context, const xmlChar* name) noexcept {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  xmlEntityPtr declared = parser->myDoc ? xmlGetDocEntity(parser->myDoc, name) : nullptr;
  if (IsExternal(declared) && xmlGetPredefinedEntity(name) == nullptr) {
    RefuseEntity(context, name, declared->SystemID);
    return nullptr;
  }
  return xmlSAX2GetEntity(context, name);
}

xmlEntityPtr GetParameterEntityWithoutFetching(void* context, const xmlChar* name) noexcept {
  xmlEntityPtr entity = xmlSAX2GetParameterEntity(context, name);
  if (IsExternal(entity)) {
    RefuseEntity(context, name, entity->SystemID);
    return nullptr;
  }
  return entity;
}

xmlParserInputPtr ResolveNothing(void* context, const xmlChar* publicId, const xmlChar* systemId) noexcept {
  RefuseEntity(context, publicId, systemId);
  return nullptr;
}

// An external DTD is never read; declaring one is harmless as long as nothing needs it.
void SkipExternalSubset(void*, const xmlChar*, const xmlChar*, const xmlChar*) noexcept {}

void RefuseExternalLoads(xmlSAXHandlerPtr sax) {
  sax->getEntity = GetEntityWithoutFetching;
  sax->getParameterEntity = GetParameterEntityWithoutFetching;
  sax->resolveEntity = ResolveNothing;
  sax->externalSubset = SkipExternalSubset;
}

// --- Errors --------------------------------------------------------------------------

#if LIBXML_VERSION >= 21200
using ErrorPointer = const xmlError*;
#else
using ErrorPointer = xmlErrorPtr;
#endif

void CaptureFirstError(void* userData, ErrorPointer error) noexcept {
  ParseState* state = StateOf(userData);
  if (state == nullptr || state->anyError || error == nullptr || error->level < XML_ERR_ERROR) return;
  state->anyError = true;
  state->first = *error;
  state->first.message = nullptr;
  state->first.file = nullptr;
  state->first.str1 = state->first.str2 = state->first.str3 = nullptr;
  state->first.ctxt = state->first.node = nullptr;
  try {
    state->message = Chars(reinterpret_cast<const xmlChar*>(error->message));
  } catch (...) {
    // Out of memory: the error stands with libxml2's code and no text.
  }
}

void IgnoreError(void*, ErrorPointer) noexcept {}

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

// The text of 1-based line `line` of a document's bytes, decoded from the document's
// own encoding (byte-order mark, declaration or UTF-16/UCS-4 shape), without its line
// end; empty when there is no such line.
std::string SourceLine(std::string_view bytes, int line) {
  if (line < 1) return {};
  std::optional<std::string> text = DecodeToUtf8(bytes, XmlDocumentEncoding(bytes));
  if (!text) text = ValidUtf8(bytes);
  std::size_t start = 0;
  for (int current = 1; current < line; ++current) {
    start = text->find('\n', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  std::string_view found = std::string_view(*text).substr(start);
  found = found.substr(0, found.find('\n'));
  if (!found.empty() && found.back() == '\r') found.remove_suffix(1);
  return std::string(found);
}

// --- Reading ---------------------------------------------------------------------------

// The bytes as libxml2 reads them: every piece passes the markup guard first, so a file
// that would take the parser unbounded time stops before the parser sees its bytes.
struct GuardedBytes {
  std::string_view rest;
  MarkupGuard guard;
};

int ReadGuarded(void* context, char* buffer, int length) noexcept {
  auto* input = static_cast<GuardedBytes*>(context);
  const std::size_t handed = std::min(input->rest.size(), static_cast<std::size_t>(std::max(length, 0)));
  const std::string_view piece = input->rest.substr(0, handed);
  try {
    if (!input->guard.Accept(piece)) return -1;
  } catch (...) {
    return -1;  // out of memory while watching: the parse ends as a read error
  }
  std::memcpy(buffer, piece.data(), handed);
  input->rest.remove_prefix(handed);
  return static_cast<int>(handed);
}

// The bytes belong to the caller of XmlDocument::load.
int LeaveOpen(void*) noexcept { return 0; }

}  // namespace

// --- XmlDocument ----------------------------------------------------------------------

void PrepareXmlParser() {
  static std::once_flag initialised;
  std::call_once(initialised, [] { xmlInitParser(); });
}

bool XmlDocument::load(const std::string& path) {
  FileReader reader;
  std::string problem;
  const std::optional<std::string_view> bytes = reader.Read(path, kMaxXmlFileBytes, problem);
  if (!bytes) {
    failUnreadable(problem);
    return false;
  }
  return load(path, *bytes);
}

void XmlDocument::failUnreadable(const std::string& reason) {
  document_.reset();
  parseError_ = XmlParseError{};
  parseError_.errorCode = kUnreadableFileCode;
  parseError_.reason = reason;
  readyState_ = kReadyStateComplete;
}

bool XmlDocument::load(const std::string& path, std::string_view bytes) {
  PrepareXmlParser();
  document_.reset();
  parseError_ = XmlParseError{};
  readyState_ = kReadyStateComplete;

  xmlParserCtxtPtr context = xmlNewParserCtxt();
  if (context == nullptr) {
    parseError_.errorCode = XML_ERR_NO_MEMORY;
    parseError_.reason = "Out of memory.";
    return false;
  }
  ParseState state;
  context->_private = &state;
  context->sax->serror = CaptureFirstError;
  RefuseExternalLoads(context->sax);

  // Internal entities are expanded (NOENT); nothing is fetched from the network; no
  // external DTD is loaded. Without XML_PARSE_HUGE libxml2 keeps its limits on depth
  // and entity amplification, which is what turns bombs into parse errors. The tree is
  // only ever read, so small text nodes may be stored compactly (COMPACT), which makes
  // both the load and the freeing of a large entry cheaper.
  const int options =
      XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;
  // libxml2 reads the bytes in small pieces as it parses.
  GuardedBytes file{bytes, {}};
  const QuietGenericErrors quiet;
  xmlDocPtr doc = xmlCtxtReadIO(context, ReadGuarded, LeaveOpen, &file, path.c_str(), nullptr, options);
  if (!file.guard.problem().empty()) {
    state.anyError = true;
    state.first = xmlError{};
    state.first.code = XML_ERR_INTERNAL_ERROR;
    state.first.line = file.guard.line();
    state.message = file.guard.problem();
  }
  // A refused entity is the cause of whatever the parser said after it: report it, at
  // the place where the parser first stumbled.
  if (state.refusedEntity && file.guard.problem().empty()) {
    if (!state.anyError) state.first = xmlError{};
    state.anyError = true;
    state.first.code = XML_ERR_EXT_ENTITY_STANDALONE;
    state.message = "External entities are not loaded: " + state.refusedName;
  }
  const bool wellFormed = context->wellFormed != 0;
  xmlFreeParserCtxt(context);

  if (doc != nullptr && wellFormed && !state.anyError) {
    document_ = std::make_shared<detail::ParsedDocument>(doc);
    return true;
  }
  if (doc != nullptr) xmlFreeDoc(doc);
  parseError_.errorCode = state.first.code != 0 ? state.first.code : XML_ERR_DOCUMENT_END;
  parseError_.line = state.first.line;
  parseError_.linepos = state.first.int2;
  parseError_.srcText = SourceLine(bytes, state.first.line);
  parseError_.reason = state.anyError ? TrimEnd(state.message) : "The document is not well-formed.";
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

bool XmlNode::inNoNamespace() const {
  return node_ && (Raw(node_)->ns == nullptr || Raw(node_)->ns->href == nullptr);
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
