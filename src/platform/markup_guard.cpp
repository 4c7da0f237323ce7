#include "platform/markup_guard.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/text.h"

namespace vemo::platform {

namespace {

// Encodings in which every ASCII markup character is the ASCII byte and no byte of
// another character looks like one.
bool KeepsAsciiMarkup(const std::string& declared) {
  const std::string name = UpperCase(declared);
  constexpr std::array<std::string_view, 22> kPrefixes = {
      "UTF-8", "UTF8",  "UTF-16", "UTF16",   "UCS-2", "UCS2", "UCS-4", "UCS4",        "UTF-32",    "ISO-8859",
      "ISO8859", "ISO_8859", "LATIN", "US-ASCII", "ASCII", "WINDOWS-125", "CP125", "KOI8", "SHIFT_JIS", "EUC-",
      "GB", "BIG5"};
  return std::any_of(kPrefixes.begin(), kPrefixes.end(), [&](std::string_view prefix) { return name.starts_with(prefix); });
}

// The bytes that mean something inside a start tag or end tag, and the line break.
constexpr std::array<bool, 256> kTagMarkup = [] {
  std::array<bool, 256> markup{};
  for (unsigned char c : std::string_view("\"'<>=\n")) markup[c] = true;
  return markup;
}();

}  // namespace

bool MarkupGuard::Accept(std::string_view bytes) {
  if (!problem_.empty()) return false;
  std::size_t unit = 1;
  if (form_ == Form::Undecided) {
    pending_.append(bytes);
    if (pending_.size() < 4) return true;  // decided when more bytes come, or at once below
    bytes = {};
    if (!Detect()) return false;
    std::string first = std::move(pending_);
    pending_.clear();
    return Accept(first);
  }
  switch (form_) {
    case Form::Utf16LE:
    case Form::Utf16BE: unit = 2; break;
    case Form::Ucs4LE:
    case Form::Ucs4BE: unit = 4; break;
    default: break;
  }
  if (unit == 1) {
    // Bytes that cannot change the state are passed over in a tight loop: text and
    // attribute values at memchr speed, names and blanks inside tags through a table.
    // Every other byte goes through See, which needs the two bytes before it.
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char lastBefore = previous_, secondLastBefore = beforePrevious_;
    const auto byteBefore = [&](const char* at, std::ptrdiff_t back) {
      const std::ptrdiff_t index = at - begin - back;
      return index >= 0 ? begin[index] : index == -1 ? lastBefore : secondLastBefore;
    };
    const auto skipTo = [&](const char* from, char wanted) {
      const void* found = std::memchr(from, wanted, static_cast<std::size_t>(end - from));
      const char* const to = found ? static_cast<const char*>(found) : end;
      line_ += static_cast<std::int32_t>(std::count(from, to, '\n'));
      return to;
    };
    const char* at = begin;
    while (at != end) {
      if (state_ == State::Text && !atStart_) {
        at = skipTo(at, '<');
        if (at == end) break;
        state_ = State::Open;
        ++at;
      } else if (state_ == State::Quote && !inDeclaration_) {
        at = skipTo(at, quote_);
        if (at == end) break;
        state_ = State::Tag;
        ++at;
      } else if (state_ == State::Tag && !inDeclaration_) {
        while (at != end && !kTagMarkup[static_cast<unsigned char>(*at)]) ++at;
        if (at == end) break;
        const char c = *at++;
        if (c == '\n') {
          ++line_;
        } else if (c == '"' || c == '\'') {
          state_ = State::Quote;
          quote_ = c;
        } else if (c == '>') {
          state_ = State::Text;
        } else if (c == '<') {
          state_ = State::Open;
        } else if (c == '=' && !Count(attributes_, kMaxAttributes, "a start tag has too many attributes.")) {
          return false;
        }
      } else {
        previous_ = byteBefore(at, 1);
        beforePrevious_ = byteBefore(at, 2);
        if (!See(*at)) return false;
        ++at;
      }
    }
    if (end != begin) {
      previous_ = byteBefore(end, 1);
      beforePrevious_ = byteBefore(end, 2);
    }
    return true;
  }
  for (char byte : bytes) {
    pending_ += byte;
    if (pending_.size() < unit) continue;
    std::uint32_t code = 0;
    for (std::size_t k = 0; k < unit; ++k) {
      const std::size_t at = form_ == Form::Utf16LE || form_ == Form::Ucs4LE ? unit - 1 - k : k;
      code = (code << 8) | static_cast<unsigned char>(pending_[at]);
    }
    pending_.clear();
    // Only ASCII characters take part in markup.
    if (!See(code < 0x80 ? static_cast<char>(code) : 'x')) return false;
  }
  return true;
}

bool MarkupGuard::Detect() {
  const auto b = [this](std::size_t i) { return static_cast<unsigned char>(pending_[i]); };
  if ((b(0) == 0xFF && b(1) == 0xFE && b(2) == 0 && b(3) == 0) || (b(0) == '<' && b(1) == 0 && b(2) == 0 && b(3) == 0)) {
    form_ = Form::Ucs4LE;
  } else if ((b(0) == 0 && b(1) == 0 && b(2) == 0xFE && b(3) == 0xFF) || (b(0) == 0 && b(1) == 0 && b(2) == 0 && b(3) == '<')) {
    form_ = Form::Ucs4BE;
  } else if ((b(0) == 0xFF && b(1) == 0xFE) || (b(0) == '<' && b(1) == 0)) {
    form_ = Form::Utf16LE;
  } else if ((b(0) == 0xFE && b(1) == 0xFF) || (b(0) == 0 && b(1) == '<')) {
    form_ = Form::Utf16BE;
  } else if (b(0) == 0x4C && b(1) == 0x6F && b(2) == 0xA7 && b(3) == 0x94) {
    problem_ = "The file's encoding (EBCDIC) is not read.";
    return false;
  } else {
    form_ = Form::Bytes;
  }
  return true;
}

bool MarkupGuard::Count(int& counter, int limit, const char* what) {
  if (++counter <= limit) return true;
  problem_ = std::string("The file is not read further: ") + what;
  return false;
}

bool MarkupGuard::CheckDeclaredEncoding() {
  // encoding = "name" or 'name' inside the XML declaration.
  const std::size_t key = declaration_.find("encoding");
  if (key == std::string::npos) return true;
  const std::size_t open = declaration_.find_first_of("\"'", key);
  if (open == std::string::npos) return true;
  const std::size_t close = declaration_.find(declaration_[open], open + 1);
  const std::string name = declaration_.substr(open + 1, close == std::string::npos ? close : close - open - 1);
  if (form_ != Form::Bytes || KeepsAsciiMarkup(name)) return true;
  problem_ = "The file's encoding (" + name + ") is not read.";
  return false;
}

bool MarkupGuard::See(char c) {
  if (c == '\n') ++line_;
  const char before = previous_, beforeThat = beforePrevious_;
  beforePrevious_ = previous_;
  previous_ = c;
  return Step(c, before, beforeThat);
}

bool MarkupGuard::Step(char c, char before, char beforeThat) {
  switch (state_) {
    case State::Text:
      if (c == '<') {
        state_ = State::Open;
      } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != static_cast<char>(0xEF) &&
                 c != static_cast<char>(0xBB) && c != static_cast<char>(0xBF)) {
        atStart_ = false;
      }
      return true;
    case State::Open:
      if (c == '?') {
        state_ = State::Instruction;
        capturing_ = atStart_;
        atStart_ = false;
        return true;
      }
      atStart_ = false;
      if (c == '!') {
        state_ = State::Bang;
        return true;
      }
      state_ = State::Tag;
      inDeclaration_ = false;
      attributes_ = 0;
      return Step(c, before, beforeThat);
    case State::Bang:
      if (c == '-') {
        state_ = State::BangDash;
      } else if (c == '[') {
        state_ = State::CData;
      } else {
        state_ = State::Tag;
        inDeclaration_ = true;
      }
      return true;
    case State::BangDash:
      state_ = c == '-' ? State::Comment : State::Tag;
      inDeclaration_ = state_ == State::Tag;
      return true;
    case State::Comment:
      if (c == '>' && before == '-' && beforeThat == '-') state_ = State::Text;
      return true;
    case State::CData:
      if (c == '>' && before == ']' && beforeThat == ']') state_ = State::Text;
      return true;
    case State::Instruction:
      if (c == '>' && before == '?') {
        state_ = State::Text;
        if (capturing_) {
          capturing_ = false;
          return CheckDeclaredEncoding();
        }
      } else if (capturing_ && declaration_.size() < 256) {
        declaration_ += c;
      }
      return true;
    case State::Tag:
      if (c == '"' || c == '\'') {
        state_ = State::Quote;
        quote_ = c;
        return !inDeclaration_ || Count(declarationValues_, kMaxDeclarationValues, "its document type declares too much.");
      }
      if (c == '>') state_ = State::Text;
      if (c == '<') state_ = State::Open;  // a declaration inside a document type
      if (c == '=') {
        return inDeclaration_ ? Count(declarationValues_, kMaxDeclarationValues, "its document type declares too much.")
                              : Count(attributes_, kMaxAttributes, "a start tag has too many attributes.");
      }
      if (c == '&' && inDeclaration_) {
        return Count(declarationValues_, kMaxDeclarationValues, "its document type declares too much.");
      }
      return true;
    case State::Quote:
      if (c == quote_) state_ = State::Tag;
      if (inDeclaration_ && (c == '=' || c == '&' || c == '<')) {
        return Count(declarationValues_, kMaxDeclarationValues, "its document type declares too much.");
      }
      return true;
  }
  return true;
}

}  // namespace vemo::platform
