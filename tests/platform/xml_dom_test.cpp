#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <sys/stat.h>

#include <string>
#include <tuple>
#include <utility>

#include "common/test_support.h"
#include "platform/xml_dom.h"

namespace vemo::platform {
namespace {

using test::Repeat;
using test::Utf16le;

class XmlDomTest : public testing::Test {
 protected:
  // Loads `content` as a file and answers the document element (nothing when it fails).
  XmlNode Load(const std::string& content) {
    return document_.load(dir_.Write("doc.xml", content)) ? document_.documentElement() : XmlNode();
  }

  test::TempDir dir_;
  XmlDocument document_;
};

TEST_F(XmlDomTest, ReportsWhereADocumentIsBrokenAndClearsTheReportOnSuccess) {
  EXPECT_FALSE(Load("<?xml version=\"1.0\"?>\n<root>\n  <a>\n  </b>\n</root>\n"));
  const XmlParseError& error = document_.parseError();
  EXPECT_NE(error.errorCode, 0);
  EXPECT_EQ(std::pair(error.line, error.srcText), std::pair(4, std::string("  </b>")));
  EXPECT_TRUE(Load("<ok/>"));
  EXPECT_EQ(document_.parseError().errorCode, 0);
  // What is not a regular file is refused at once: a folder, or a pipe nobody writes to.
  const std::string pipe = dir_.path() + "/pipe.xml";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {dir_.path(), pipe, dir_.path() + "/missing.xml"}) {
    EXPECT_FALSE(document_.load(path)) << path;
    EXPECT_FALSE(document_.parseError().reason.empty()) << path;
  }
}

TEST_F(XmlDomTest, RefusesHostileDocumentsWithoutReadingOtherFiles) {
  const std::string secret = dir_.Write("secret.txt", "TOPSECRET-4711");
  const std::string dtd = dir_.Write("evil.dtd", "<!ENTITY leak \"TOPSECRET-4711\">");
  // Entity bombs and deep nesting are refused too: see the report's line test below.
  for (const std::string& content : {"<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secret + "\">]>\n<r>&x;</r>",
                                     "<!DOCTYPE r SYSTEM \"" + dtd + "\">\n<r>&leak;</r>"}) {
    EXPECT_FALSE(Load(content)) << content.substr(0, 60);
    const XmlParseError& error = document_.parseError();
    EXPECT_EQ((error.reason + error.srcText).find("TOPSECRET"), std::string::npos) << content.substr(0, 60);
  }
}

TEST_F(XmlDomTest, TheReportShowsTheLineAsTextInTheDocumentsOwnEncoding) {
  // (file content, line of the error, the line as the report shows it)
  const std::tuple<std::string, int, std::string> cases[] = {
      {Utf16le("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<r>\n<a>caf\xE9</b>\n</r>\n"), 3, "<a>café</b>"},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r>caf\xE9</x>\n", 2, "<r>café</x>"},
      {"\xEF\xBB\xBF<r>caf\xC3\xA9</x>\n", 1, "<r>café</x>"},
  };
  for (const auto& [content, line, shown] : cases) {
    EXPECT_FALSE(Load(content));
    EXPECT_EQ(document_.parseError().line, line) << shown;
    EXPECT_EQ(document_.parseError().srcText, shown);
  }
  // Problems found inside an entity, a declaration or at a limit, where the parser is
  // reading something other than the document's own bytes: the line is still decoded
  // from the document's encoding. (content in Latin-1, encoded as UTF-16 or declared)
  std::string laughs = "<!ENTITY l0 \"lol\">";
  for (int i = 1; i < 10; ++i) laughs += "<!ENTITY l" + std::to_string(i) + " \"" + Repeat("&l" + std::to_string(i - 1) + ";", 10) + "\">";
  std::string declarations;
  for (int i = 0; i < 300; ++i) declarations += "<!ENTITY e" + std::to_string(i) + " 'v'>";
  const std::string inner[] = {
      "<!DOCTYPE r [<!ENTITY a \"&b;\"><!ENTITY b \"&a;\">]>\n<r>caf\xE9 &a;</r>\n",
      "<!DOCTYPE r [\n<!ENTITY e \"caf\xE9\" x>\n]>\n<r/>\n",
      "<!DOCTYPE r [" + laughs + "]>\n<r>caf\xE9 &l9;</r>\n",
      "<r>caf\xE9" + Repeat("<a>", 300) + Repeat("</a>", 300) + "</r>\n",
      "<!DOCTYPE r [\n" + declarations + "\n]>\n<r>caf\xE9</r>\n",
  };
  const auto lineOf = [](const std::string& latin1, int line) {
    std::string text;
    for (char c : latin1) text += static_cast<unsigned char>(c) < 0x80 ? std::string{c} : "\xC3" + std::string{static_cast<char>(c - 0x40)};
    for (int current = 1; current < line; ++current) text.erase(0, text.find('\n') + 1);
    return text.substr(0, text.find('\n'));
  };
  for (const std::string& body : inner) {
    for (const std::string declaration : {"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n",
                                          "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"}) {
      const std::string text = declaration + body;
      EXPECT_FALSE(Load(declaration.find("16") != std::string::npos ? Utf16le(text) : text)) << text.substr(0, 80);
      const XmlParseError& error = document_.parseError();
      EXPECT_GE(error.line, 1) << text.substr(0, 80);
      EXPECT_EQ(error.srcText, lineOf(text, error.line)) << text.substr(0, 80);
    }
  }
  EXPECT_FALSE(Load("\xFF\xFE"));
  EXPECT_EQ(document_.parseError().srcText, "") << "a byte-order mark alone shows no text";
  // A long UTF-16 line is as long as its text, not twice its bytes.
  EXPECT_FALSE(Load(Utf16le("<r>" + std::string(20000, 'x') + "</b>")));
  EXPECT_EQ(document_.parseError().srcText.size(), 20007u);
}

// A loader such as a host may install for its own documents: it reads any local file.
xmlParserInputPtr PermissiveLoader(const char* url, const char*, xmlParserCtxtPtr context) {
  return url ? xmlNewInputFromFile(context, url) : nullptr;
}

TEST_F(XmlDomTest, AHostsOwnEntityLoaderNeverOpensOurDocumentsToOtherFiles) {
  const std::string secret = dir_.Write("secret.txt", "TOPSECRET-4711");
  const xmlExternalEntityLoader original = xmlGetExternalEntityLoader();
  xmlSetExternalEntityLoader(PermissiveLoader);
  const std::string leaks[] = {
      "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secret + "\">]>\n<r>&x;</r>",
      "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + secret + "\"> %p;]>\n<r/>",
      "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secret + "\">]>\n<r a=\"&x;\"/>",
  };
  for (const std::string& content : leaks) {
    EXPECT_FALSE(Load(content)) << content;
    const XmlParseError& error = document_.parseError();
    EXPECT_NE(error.reason.find("External entities are not loaded"), std::string::npos) << error.reason;
    EXPECT_EQ((error.reason + error.srcText).find("TOPSECRET"), std::string::npos) << content;
  }
  // The process-wide loader is left as the host set it, and still serves the host.
  EXPECT_EQ(xmlGetExternalEntityLoader(), PermissiveLoader);
  xmlSetExternalEntityLoader(original);
  // Declared but never used, an external entity or DTD is simply not read.
  EXPECT_TRUE(Load("<!DOCTYPE r SYSTEM \"missing.dtd\" [<!ENTITY x SYSTEM \"" + secret + "\">]>\n<r>ok</r>"));
}

TEST_F(XmlDomTest, TextSkipsCommentsButKeepsCData) {
  const XmlNode item = Load("<Item>one<![CDATA[<two>]]><!-- note -->three</Item>");
  EXPECT_EQ(item.text(), "one<two>three");
  EXPECT_EQ(item.childNodes().at(1).nodeType(), XmlNodeType::CData);
}

TEST_F(XmlDomTest, SelectsTheFirstMatchInDocumentOrderAndKeepsTheDocumentAlive) {
  const XmlNode root = Load("<root><group id='g1'><item>first</item><item key='y'>second</item></group>"
                            "<group id='g2'><item key='y'>third</item></group></root>");
  EXPECT_EQ(root.selectSingleNode("group[@id='g2']").selectSingleNode("//item[@key='y']").text(), "second");
  EXPECT_EQ(root.selectSingleNode("group[2]/item | group[1]/item").text(), "first");
  for (const char* nothing : {"item", "item[", "count(group)"}) EXPECT_FALSE(root.selectSingleNode(nothing)) << nothing;
  const XmlNode item = root.selectSingleNode(".//item[2]");
  document_ = XmlDocument();
  EXPECT_EQ(item.parentNode().getAttribute("id"), "g1") << "a node keeps its document alive";
}

}  // namespace
}  // namespace vemo::platform
