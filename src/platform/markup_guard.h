#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vemo::platform {

// Watches the bytes of an XML file on their way to the parser and stops a file before
// the parser spends unbounded time on it. libxml2 checks a start tag's attributes for
// duplicates pairwise, and adds declared default attributes the same way, so time grows
// with the square of their number: a 1.3 MB tag of 100,000 attributes takes 18 s. A
// catalogue entry has about a dozen attributes and no declarations, so the guard
// refuses a start tag with more than kMaxAttributes attributes and a document type
// declaration with more than kMaxDeclarationValues values (quoted literals, "=" and
// "&", which cover declared defaults and markup in entities). It reads UTF-8 and
// the encodings that keep ASCII's markup characters, UTF-16 and UCS-4; a file in
// another encoding (UTF-7, EBCDIC, ISO-2022) is refused, as its markup cannot be seen.
class MarkupGuard {
 public:
  static constexpr int kMaxAttributes = 256;
  static constexpr int kMaxDeclarationValues = 256;

  // Looks at the next bytes of the file; false once a limit is crossed, and then
  // problem() says which and line() where.
  bool Accept(std::string_view bytes);

  const std::string& problem() const { return problem_; }
  std::int32_t line() const { return line_; }

 private:
  enum class State { Text, Open, Bang, BangDash, Comment, CData, Instruction, Tag, Quote };

  bool Detect();
  bool See(char c);
  bool Step(char c, char before, char beforeThat);
  bool Count(int& counter, int limit, const char* what);
  bool CheckDeclaredEncoding();

  // How the bytes form characters, decided from the first four bytes.
  enum class Form { Undecided, Bytes, Utf16LE, Utf16BE, Ucs4LE, Ucs4BE } form_ = Form::Undecided;
  std::string pending_;  // bytes of a character not yet complete, or the first bytes
  State state_ = State::Text;
  char quote_ = 0;
  char previous_ = 0, beforePrevious_ = 0;
  bool inDeclaration_ = false;
  bool atStart_ = true;  // nothing but the XML declaration seen yet
  bool capturing_ = false;
  std::string declaration_;  // the text of the XML declaration
  int attributes_ = 0;
  int declarationValues_ = 0;
  std::int32_t line_ = 1;
  std::string problem_;
};

}  // namespace vemo::platform
