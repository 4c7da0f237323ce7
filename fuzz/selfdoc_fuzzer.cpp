// The little languages inside catalogue texts: an NV's self-documentation (with its
// name and default), a CP's definition record, the node's object list, and the
// placeholders of the string table's messages.
//
// Input: one flag byte, two bytes of NV length, one byte of index and offset, then up
// to seven fields separated by 0x1F (a byte no catalogue text may hold):
//   NV self-doc, NV name, NV default, CP definition, object list, message, parameter.
// The NV's texts reach it through a small XML file, as they do from a catalogue.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "node/C472VirtualLMCol.h"
#include "platform/xml_dom.h"
#include "points/C472VirtualCP.h"
#include "points/C472VirtualNV.h"
#include "points/ConfigDataBlock.h"
#include "support/resource_strings.h"

namespace {

using namespace vemo;

enum Field { kNvSelfDoc, kNvName, kNvDefault, kCpDefinition, kObjectList, kMessage, kParameter, kFieldCount };

enum Flag : std::uint8_t {
  kConfigNv = 1,     // the NV is a configuration NV (an NCIs member)
  kLatin1 = 2,       // the XML file declares ISO-8859-1 even when its texts are UTF-8
  kValueKind = 12,   // what ReplaceNumParam gets: a 16-bit integer, a double, text or empty
};

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

// Text as XML element content: markup characters escaped, and control characters,
// which XML cannot carry at all, left out.
std::string XmlText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";  // "]]>" may not stand in content
    } else if (u >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
      out += c;
    }
  }
  return out;
}

std::vector<std::string> Fields(std::string_view text) {
  std::vector<std::string> fields;
  while (fields.size() + 1 < kFieldCount) {
    const std::size_t end = text.find('\x1f');
    if (end == std::string_view::npos) break;
    fields.emplace_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  fields.emplace_back(text);
  fields.resize(kFieldCount);
  return fields;
}

std::shared_ptr<C472VirtualNV> NvFromXml(const std::vector<std::string>& fields, std::uint8_t flags,
                                         std::int16_t length, std::int16_t index) {
  const std::string texts = fields[kNvSelfDoc] + fields[kNvName] + fields[kNvDefault];
  const bool latin1 = (flags & kLatin1) != 0 || !IsUtf8(texts);
  const std::string xml = std::string("<?xml version=\"1.0\" encoding=\"") + (latin1 ? "ISO-8859-1" : "UTF-8") +
                          "\"?>\n<NV><Name>" + XmlText(fields[kNvName]) + "</Name><SelfDoc>" +
                          XmlText(fields[kNvSelfDoc]) + "</SelfDoc><Default>" + XmlText(fields[kNvDefault]) +
                          "</Default></NV>\n";
  platform::XmlDocument document;
  if (!document.load(fuzz::WriteWorkFile("nv.xml", xml))) return nullptr;
  const platform::XmlNode element = document.documentElement();
  auto nv = std::make_shared<C472VirtualNV>();
  const bool kept = !nv->InitFromXML(index, length, /*nNVType=*/3, element.selectSingleNode("Name"),
                                     element.selectSingleNode("SelfDoc"), element.selectSingleNode("Default"),
                                     (flags & kConfigNv) != 0);
  return kept ? nv : nullptr;
}

Variant NumberParameter(std::uint8_t flags, const std::string& text, std::int16_t number) {
  switch ((flags & kValueKind) >> 2) {
    case 0: return Variant(number);
    case 1: return Variant(static_cast<double>(number) / 7.0 * (text.empty() ? 1.0 : static_cast<double>(text[0])));
    case 2: return Variant(text);
    default: return Variant();
  }
}

void FillPlaceholders(const std::vector<std::string>& fields, std::uint8_t flags, std::int16_t number) {
  const std::string& message = fields[kMessage];
  if (const auto filled = fuzz::Attempt([&] { return ReplaceNumParam(message, NumberParameter(flags, fields[kParameter], number)); })) {
    fuzz::Require(message.find("%0") != std::string::npos || *filled == message,
                  "a message without %0 stays as it is");
  }
  if (const auto filled = fuzz::Attempt([&] { return ReplaceStrParam(message, fields[kParameter]); })) {
    fuzz::Require(message.find("%s") != std::string::npos || *filled == message,
                  "a message without %s stays as it is");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return fuzz::InitializeQuietly(); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::uint8_t flags = data[0];
  const auto length = static_cast<std::int16_t>(data[1] | (data[2] << 8));
  const std::uint8_t position = data[3];
  const std::vector<std::string> fields = Fields(fuzz::AsText(data + 4, size - 4));

  auto objects = std::make_shared<C472VirtualLMCol>();
  objects->BuildFromSelfDoc(fields[kObjectList]);

  // A block that some points fit in and some run past.
  auto block = std::make_shared<ConfigDataBlock>();
  block->Allocate(64);
  std::int32_t offset = position & 0x3F;

  auto cp = std::make_shared<C472VirtualCP>();
  cp->InitFromXML(position, length, fields[kCpDefinition]);
  if (fuzz::Tolerate([&] { cp->BindStorage(block, offset); })) {
    (void)fuzz::Attempt([&] { return cp->Value(); });
  }
  objects->LinkCP(cp);

  if (const auto nv = NvFromXml(fields, flags, length, static_cast<std::int16_t>(position))) {
    if (fuzz::Tolerate([&] { nv->BindStorage(block, offset); })) {
      (void)fuzz::Attempt([&] { return nv->Value(); });
    }
    objects->LinkNV(nv);
  }

  // Every object answers, and carries no more points than were made.
  for (std::int32_t i = 1; i <= objects->Count(); ++i) {
    const auto object = objects->Item(Variant(i));
    (void)object->Name(), (void)object->Description();
    const auto cps = object->ConfigurationProperties();
    const auto nvs = object->NetworkVariables();
    fuzz::Require((cps ? cps->Count() : 0) + (nvs ? nvs->Count() : 0) <= 2,
                  "an object holds only the points linked to it");
  }

  FillPlaceholders(fields, flags, length);
  return 0;
}
