#include "platform/xml_scan.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlversion.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/libxml_quiet.h"
#include "platform/markup_guard.h"
#include "platform/xml_dom.h"

namespace vemo::platform {

namespace {

// The options of XmlDocument::load: a scan must meet exactly the errors a load meets.
constexpr int kOptions = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// The tree libxml2 builds refuses a text node past 10,000,000 bytes; a scan leaves
// anything near that to the load. A text node is never longer than the stretch of the
// file between two "<". Real catalogue texts are a few dozen bytes.
constexpr std::size_t kMaxStretch = 1'000'000;

struct ScanState {
  const XmlScanNames* names = nullptr;
  XmlScan result;
  bool gaveUp = false;
  int depth = 0;
  std::vector<bool> inGroup;  // per open element: whether it is a group element
  struct Capture {
    int depth;
    std::string text;
  };
  std::vector<Capture> captures;  // the key elements open now, innermost last
};

ScanState* StateOf(void* context) { return static_cast<ScanState*>(static_cast<xmlParserCtxtPtr>(context)->_private); }

// The parse goes on to its end without the scan: libxml2 2.9 may still read the input
// it would free if it were stopped from inside a callback.
void GiveUp(void* context) noexcept { StateOf(context)->gaveUp = true; }

bool Is(const xmlChar* name, std::string_view wanted) { return wanted == reinterpret_cast<const char*>(name); }

void OnText(void* context, const xmlChar* text, int length) noexcept;

// Text matters only inside a key element: elsewhere the parser is spared the calls.
// Whitespace goes where the load sends it, to the same handler as other text.
void ListenToText(void* context, bool listen) {
  xmlSAXHandlerPtr handler = static_cast<xmlParserCtxtPtr>(context)->sax;
  handler->characters = handler->ignorableWhitespace = handler->cdataBlock = listen ? OnText : nullptr;
}

void OnStart(void* context, const xmlChar* localname, const xmlChar*, const xmlChar*, int, const xmlChar**,
             int attributeCount, int, const xmlChar** attributes) noexcept {
  ScanState& state = *StateOf(context);
  if (state.gaveUp) return;
  try {
    ++state.depth;
    if (state.depth == 1) state.result.rootName = reinterpret_cast<const char*>(localname);
    const bool entry = state.depth == 2 && Is(localname, state.names->entry);
    // Each attribute comes as local name, prefix, URI, value start and value end.
    for (int i = 0; i < attributeCount; ++i) {
      const xmlChar** attribute = attributes + 5 * i;
      // The tree registers an xml:id, and complains about some: only a load can tell.
      if (attribute[1] != nullptr && Is(attribute[1], "xml") && Is(attribute[0], "id")) return GiveUp(context);
      if (entry && Is(attribute[0], state.names->entryAttribute)) {
        state.result.entryAttributes.emplace_back(reinterpret_cast<const char*>(attribute[3]),
                                                  static_cast<std::size_t>(attribute[4] - attribute[3]));
      }
    }
    if (!state.inGroup.empty() && state.inGroup.back() && Is(localname, state.names->key)) {
      state.captures.push_back({state.depth, {}});
      ListenToText(context, true);
    }
    state.inGroup.push_back(Is(localname, state.names->group));
  } catch (...) {
    GiveUp(context);  // out of memory: the load decides
  }
}

void OnEnd(void* context, const xmlChar*, const xmlChar*, const xmlChar*) noexcept {
  ScanState& state = *StateOf(context);
  if (state.gaveUp) return;
  try {
    if (!state.captures.empty() && state.captures.back().depth == state.depth) {
      state.result.keyTexts.push_back(std::move(state.captures.back().text));
      state.captures.pop_back();
      if (state.captures.empty()) ListenToText(context, false);
    }
    if (!state.inGroup.empty()) state.inGroup.pop_back();
    --state.depth;
  } catch (...) {
    GiveUp(context);
  }
}

// Text and CDATA alike: an element's text is both, in document order.
void OnText(void* context, const xmlChar* text, int length) noexcept {
  ScanState& state = *StateOf(context);
  if (state.gaveUp) return;
  try {
    for (ScanState::Capture& capture : state.captures) {
      capture.text.append(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
    }
  } catch (...) {
    GiveUp(context);
  }
}

// A document type may declare entities and default attributes, which the tree then
// holds: such a file goes to the load.
void OnDocumentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*) noexcept { GiveUp(context); }

xmlEntityPtr OnEntity(void* context, const xmlChar* name) noexcept {
  if (xmlEntityPtr predefined = xmlGetPredefinedEntity(name)) return predefined;
  GiveUp(context);
  return nullptr;
}

xmlEntityPtr OnParameterEntity(void* context, const xmlChar*) noexcept {
  GiveUp(context);
  return nullptr;
}

xmlParserInputPtr ResolveNothing(void* context, const xmlChar*, const xmlChar*) noexcept {
  GiveUp(context);
  return nullptr;
}

#if LIBXML_VERSION >= 21200
using ErrorPointer = const xmlError*;
#else
using ErrorPointer = xmlErrorPtr;
#endif

// Warnings pass, as they do for a load; an error ends the scan.
void OnError(void* context, ErrorPointer error) noexcept {
  if (error != nullptr && error->level >= XML_ERR_ERROR) GiveUp(context);
}

xmlSAXHandler ScanHandler() {
  xmlSAXHandler handler;
  std::memset(&handler, 0, sizeof handler);
  handler.initialized = XML_SAX2_MAGIC;
  handler.startElementNs = OnStart;
  handler.endElementNs = OnEnd;
  handler.internalSubset = OnDocumentType;
  handler.externalSubset = OnDocumentType;
  handler.getEntity = OnEntity;
  handler.getParameterEntity = OnParameterEntity;
  handler.resolveEntity = ResolveNothing;
  handler.serror = OnError;
  return handler;
}

// A quicker stand-in for the markup guard of XmlDocument::load, which looks at every
// byte in turn. It lets through only what that guard lets through, and stops the scan
// on anything it cannot vouch for, so the load (with the guard itself) decides:
// - bytes in an ASCII-compatible form, declared UTF-8 or not declared at all (the
//   guard reads more encodings, and refuses some);
// - at most kMaxAttributes "=" between two "<": a start tag ends before the next "<",
//   which an attribute value cannot hold, so it has no more attributes than that
//   (declarations, the guard's other count, end the scan anyway);
// - at most kMaxStretch bytes between two "<", so no text comes near the tree's limit.
class QuickGuard {
 public:
  bool Accept(std::string_view bytes) {
    if (head_.size() < kHead) {
      head_.append(bytes.substr(0, kHead - head_.size()));
      if (!HeadIsPlain()) return false;
    }
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    // The stretch that earlier bytes left open goes on up to the first "<".
    const char* first = static_cast<const char*>(std::memchr(at, '<', bytes.size()));
    stretch_ += static_cast<std::size_t>((first ? first : end) - at);
    if (!Count(at, first ? first : end)) return false;
    if (first == nullptr) return true;
    // The stretch after the last "<" goes on into later bytes.
    const char* last = static_cast<const char*>(::memrchr(first, '<', static_cast<std::size_t>(end - first)));
    // In between, a window shorter than a crowded tag that holds a "<" holds only short
    // stretches before it: only a stretch with no "<" in a whole window is counted.
    for (at = first + 1; at <= last;) {
      const std::size_t window = std::min<std::size_t>(kShortestCrowdedTag, static_cast<std::size_t>(last + 1 - at));
      if (const void* open = ::memrchr(at, '<', window)) {
        at = static_cast<const char*>(open) + 1;
        continue;
      }
      const char* open = static_cast<const char*>(std::memchr(at, '<', static_cast<std::size_t>(last + 1 - at)));
      equals_ = 0;
      stretch_ = static_cast<std::size_t>(open - at);
      if (!Count(at, open)) return false;
      at = open + 1;
    }
    equals_ = 0;
    stretch_ = static_cast<std::size_t>(end - (last + 1));
    return Count(last + 1, end);
  }

 private:
  static constexpr std::size_t kHead = 256;

  bool Count(const char* from, const char* to) {
    equals_ += static_cast<std::size_t>(std::count(from, to, '='));
    return equals_ <= MarkupGuard::kMaxAttributes && stretch_ <= kMaxStretch;
  }

  // Each attribute of a start tag takes a space, a name, "=" and two quotes. A shorter
  // stretch with more "=" than the limit is not a start tag the parser accepts: it
  // stops there with an error, which ends the scan too.
  static constexpr std::size_t kShortestCrowdedTag = 5 * (MarkupGuard::kMaxAttributes + 1);

  // Judged on what has come so far; true while it may still turn out plain.
  bool HeadIsPlain() const {
    const std::string_view head(head_);
    if (head.find('\0') != std::string_view::npos) return false;  // UTF-16, UCS-4
    const auto byte = [&](std::size_t i) { return i < head.size() ? static_cast<unsigned char>(head[i]) : 0x20; };
    if (byte(0) == 0xFE || byte(0) == 0xFF || byte(0) == 0x4C) return false;  // byte-order marks, EBCDIC
    const std::string_view text = head.starts_with("\xEF\xBB\xBF") ? head.substr(3) : head;
    if (!text.starts_with("<?xml")) return true;
    const std::size_t end = text.find("?>");
    if (end == std::string_view::npos) return head.size() < kHead;
    const std::string_view declaration = text.substr(0, end);
    const std::size_t key = declaration.find("encoding");
    if (key == std::string_view::npos) return true;
    const std::size_t quote = declaration.find_first_of("\"'", key);
    if (quote == std::string_view::npos) return false;
    std::string name(declaration.substr(quote + 1, 5));
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name == "UTF-8" && declaration.size() > quote + 6 && declaration[quote + 6] == declaration[quote];
  }

  std::string head_;
  std::size_t equals_ = 0, stretch_ = 0;  // "=" and bytes since the last "<", when counted
};

// The bytes as libxml2 reads them during a scan: in large blocks (libxml2 asks for a few
// kilobytes at a time), each through the quick guard before the parser sees it, and
// no further once the scan has given up.
struct GuardedBytes {
  static constexpr std::size_t kBlock = 64 * 1024;
  std::string_view unguarded;  // not yet through the guard
  const ScanState* state;
  QuickGuard guard;
  bool refused = false;
  std::string_view block;  // through the guard, not yet handed out
};

int ReadGuarded(void* context, char* buffer, int length) noexcept {
  auto* input = static_cast<GuardedBytes*>(context);
  if (input->refused || input->state->gaveUp) return -1;
  if (input->block.empty()) {
    const std::string_view next = input->unguarded.substr(0, GuardedBytes::kBlock);
    try {
      input->refused = !input->guard.Accept(next);
    } catch (...) {
      input->refused = true;
    }
    if (input->refused) return -1;
    input->block = next;
    input->unguarded.remove_prefix(next.size());
  }
  const std::size_t handed = std::min(input->block.size(), static_cast<std::size_t>(std::max(length, 0)));
  std::memcpy(buffer, input->block.data(), handed);
  input->block.remove_prefix(handed);
  return static_cast<int>(handed);
}

int LeaveOpen(void*) noexcept { return 0; }

}  // namespace

std::optional<XmlScan> ScanXmlBytes(const std::string& path, std::string_view bytes, const XmlScanNames& names) {
  PrepareXmlParser();
  xmlParserCtxtPtr context = xmlNewParserCtxt();
  if (context == nullptr) return std::nullopt;
  *context->sax = ScanHandler();
  ScanState state;
  state.names = &names;
  context->_private = &state;
  GuardedBytes input{bytes, &state, {}, false, {}};
  const QuietGenericErrors quiet;
  // Without a document handler libxml2 builds no document, so there is none to free.
  xmlDocPtr nothing = xmlCtxtReadIO(context, ReadGuarded, LeaveOpen, &input, path.c_str(), nullptr, kOptions);
  if (nothing != nullptr) xmlFreeDoc(nothing);
  const bool read = !state.gaveUp && !input.refused && context->wellFormed != 0;
  xmlFreeParserCtxt(context);
  if (!read) return std::nullopt;
  return std::move(state.result);
}

}  // namespace vemo::platform
