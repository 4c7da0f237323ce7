// Files that would take the parser unbounded time are stopped before it sees them;
// ordinary catalogue files pass untouched.
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "common/test_support.h"
#include "platform/markup_guard.h"
#include "platform/xml_dom.h"

namespace vemo::platform {
namespace {

using test::Utf16le;

std::string Attributes(int count, const std::string& value = "v") {
  std::string text;
  for (int i = 0; i < count; ++i) text += " a" + std::to_string(i) + "=\"" + value + "\"";
  return text;
}

const std::string kTooManyAttributes = "The file is not read further: a start tag has too many attributes.";
const std::string kDeclaresTooMuch = "The file is not read further: its document type declares too much.";

// 300 attribute defaults in one declaration.
std::string ManyDefaults() {
  std::string defaults;
  for (int i = 0; i < 300; ++i) defaults += " d" + std::to_string(i) + " CDATA \"v\"";
  return "<!DOCTYPE r [\n<!ATTLIST r" + defaults + ">]>\n<r/>";
}

TEST(MarkupGuard, ALoadStopsWhereTheGuardDoesAndOrdinaryFilesPassUntouched) {
  const std::string many(5000, '=');
  // (content, the load's reason or "" when it loads, the line reported)
  const std::tuple<std::string, std::string, int> cases[] = {
      {"<r" + Attributes(MarkupGuard::kMaxAttributes) + "/>", "", 0},
      {"<?xml version=\"1.0\"?><r>\n<e" + Attributes(100000) + "/></r>", kTooManyAttributes, 2},
      {Utf16le("<r>\n<e" + Attributes(300) + "/></r>"), kTooManyAttributes, 2},
      // Equals signs outside start tags do not count.
      {"<r a=\"" + many + "\" b='" + many + "'><!-- <x" + Attributes(300) + "> " + many + " --><![CDATA[<y" +
           Attributes(300) + ">]]><?pi " + many + "?>" + many + "<z" + Attributes(200) + "/></r>",
       "", 0},
      {ManyDefaults(), kDeclaresTooMuch, 2},
      {"<!DOCTYPE r [<!ENTITY e \"<x" + Attributes(300, "&#61;") + "/>\">]>\n<r>&e;</r>", kDeclaresTooMuch, 1},
      {"<!DOCTYPE r [<!ENTITY e \"small\">]>\n<r>&e;</r>", "", 0},
      {"<?xml version=\"1.0\" encoding=\"UTF-7\"?>\n<r/>", "The file's encoding (UTF-7) is not read.", 1},
      {"\x4C\x6F\xA7\x94\x93\x40", "The file's encoding (EBCDIC) is not read.", 1},
      {"<?xml version='1.0' encoding='ISO-8859-1'?>\n<r a='\xE9'/>", "", 0},
  };
  const test::TempDir dir;
  for (const auto& [content, reason, line] : cases) {
    SCOPED_TRACE(content.substr(0, 60));
    XmlDocument document;
    EXPECT_EQ(document.load(dir.Write("doc.xml", content)), reason.empty());
    EXPECT_EQ(document.parseError().reason, reason);
    EXPECT_EQ(document.parseError().line, line);
  }
}

// Text, attribute values and comments are passed over in bulk; a cut anywhere, even
// between the two dashes and the ">" that end a comment or inside a UTF-16 character,
// gives the same answer and line as the whole, and so does feeding it byte by byte.
TEST(MarkupGuard, ACutAnywhereGivesTheSameAnswerAndLine) {
  const std::string tooMany = "<e" + Attributes(257) + "/>";
  struct Case {
    std::string content;
    std::string problem;
    std::int32_t line;
  };
  const std::vector<Case> cases = {
      {"<r a='1\n>=' b=\"x\ny\">\ntext = > \n<!-- <x a=1 -- > - -> \n -->" + tooMany + "</r>", kTooManyAttributes, 6},
      {"<r>\n<![CDATA[ ]> ]]\n> <e" + Attributes(300) + "> ]]>\n<f\n" + Attributes(257) + "/></r>", kTooManyAttributes, 5},
      {ManyDefaults(), kDeclaresTooMuch, 2},
      {"<r>\n<?pi \n?> <a\nb='='\n/>\n\n\n" + tooMany + "</r>", kTooManyAttributes, 8},
      {"<r" + Attributes(MarkupGuard::kMaxAttributes) + ">\n</r>", "", 2},
      {Utf16le("<r>" + std::string(50, '=') + tooMany + "</r>"), kTooManyAttributes, 1},
  };
  for (const Case& c : cases) {
    MarkupGuard whole;
    EXPECT_EQ(whole.Accept(c.content), c.problem.empty()) << c.content;
    EXPECT_EQ(whole.problem(), c.problem);
    EXPECT_EQ(whole.line(), c.line);
    for (std::size_t cut = 0; cut <= c.content.size(); ++cut) {
      MarkupGuard pieces;
      const std::string_view content(c.content);
      if (pieces.Accept(content.substr(0, cut))) pieces.Accept(content.substr(cut));
      ASSERT_EQ(pieces.problem(), c.problem) << "cut at " << cut;
      ASSERT_EQ(pieces.line(), c.line) << "cut at " << cut;
    }
    MarkupGuard byByte;
    std::size_t at = 0;
    while (at < c.content.size() && byByte.Accept(std::string_view(c.content).substr(at, 1))) ++at;
    EXPECT_EQ(byByte.problem(), c.problem);
    EXPECT_EQ(byByte.line(), c.line);
  }
}

TEST(MarkupGuard, TheSampleCatalogueFilesPass) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VEMO_SOURCE_DIR "/catalog")) {
    if (entry.path().extension() != ".xml") continue;
    XmlDocument document;
    EXPECT_TRUE(document.load(entry.path().string())) << entry.path() << ": " << document.parseError().reason;
    ++files;
  }
  EXPECT_GE(files, 2);
}

}  // namespace
}  // namespace vemo::platform
