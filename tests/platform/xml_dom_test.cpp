#include <string>
#include <utility>

#include "common/test_support.h"
#include "platform/xml_dom.h"

namespace vemo::platform {
namespace {

class XmlDomTest : public testing::Test {
 protected:
  // Loads `content` as a file and answers the document element (nothing when it fails).
  XmlNode Load(const std::string& content) {
    return document_.load(dir_.Write("doc.xml", content)) ? document_.documentElement() : XmlNode();
  }

  test::TempDir dir_;
  XmlDocument document_;
};

TEST_F(XmlDomTest, ReportsWhereADocumentIsBroken) {
  EXPECT_FALSE(Load("<?xml version=\"1.0\"?>\n<root>\n  <a>\n  </b>\n</root>\n"));
  const XmlParseError& error = document_.parseError();
  EXPECT_NE(error.errorCode, 0);
  EXPECT_EQ(error.line, 4);
  EXPECT_EQ(error.srcText, "  </b>");
  EXPECT_FALSE(error.reason.empty());
  EXPECT_FALSE(document_.load(dir_.slash() + "missing.xml"));
  EXPECT_TRUE(Load("<ok/>"));
  EXPECT_EQ(document_.parseError().errorCode, 0);
}

TEST_F(XmlDomTest, RefusesHostileDocumentsWithoutReadingOtherFiles) {
  const auto Repeat = [](const std::string& text, int times) {
    std::string result;
    while (times-- > 0) result += text;
    return result;
  };
  const std::string secret = dir_.Write("secret.txt", "TOPSECRET-4711");
  const std::string dtd = dir_.Write("evil.dtd", "<!ENTITY leak \"TOPSECRET-4711\">");
  std::string laughs = "<!ENTITY l0 \"lol\">";
  for (int i = 1; i < 10; ++i) {
    laughs += "<!ENTITY l" + std::to_string(i) + " \"" + Repeat("&l" + std::to_string(i - 1) + ";", 10) + "\">";
  }
  const std::pair<const char*, std::string> cases[] = {
      {"external entity", "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secret + "\">]>\n<r>&x;</r>"},
      {"external DTD", "<!DOCTYPE r SYSTEM \"" + dtd + "\">\n<r>&leak;</r>"},
      {"billion laughs", "<!DOCTYPE r [" + laughs + "]>\n<r>&l9;</r>"},
      {"deep nesting", Repeat("<a>", 100000) + Repeat("</a>", 100000)},
  };
  for (const auto& [name, content] : cases) {
    EXPECT_FALSE(Load(content)) << name;
    const XmlParseError& error = document_.parseError();
    EXPECT_EQ((error.reason + error.srcText).find("TOPSECRET"), std::string::npos) << name;
  }
}

TEST_F(XmlDomTest, TellsTextFromCDataAndComments) {
  const XmlNode item = Load("<Item>one<![CDATA[<two>]]><!-- note -->three</Item>");
  EXPECT_EQ(item.text(), "one<two>three");
  const std::vector<XmlNode> children = item.childNodes();
  ASSERT_EQ(children.size(), 4u);
  const XmlNodeType types[] = {XmlNodeType::Text, XmlNodeType::CData, XmlNodeType::Comment, XmlNodeType::Text};
  for (std::size_t i = 0; i < children.size(); ++i) EXPECT_EQ(children[i].nodeType(), types[i]) << i;
}

TEST_F(XmlDomTest, SelectsTheFirstMatchInDocumentOrderAndKeepsTheDocumentAlive) {
  const XmlNode root = Load("<root><group id='g1'><item key='x'>first</item><item key='y'>second</item></group>"
                            "<group id='g2'><item key='y'>third</item><inner><item key='y'>fourth</item></inner>"
                            "</group></root>");
  const XmlNode g2 = root.selectSingleNode("group[@id='g2']");
  EXPECT_EQ(g2.selectSingleNode(".//item[@key='y']").text(), "third");
  EXPECT_EQ(g2.selectSingleNode("//item[@key='y']").text(), "second");
  EXPECT_EQ(root.selectSingleNode("group[2]/item | group[1]/item").text(), "first");
  for (const char* nothing : {"item", "group[@id='g3']", "item[", "", "count(group)"}) {
    EXPECT_FALSE(root.selectSingleNode(nothing)) << nothing;
  }
  // A node keeps its document alive.
  const XmlNode item = root.selectSingleNode(".//item[2]");
  document_ = XmlDocument();
  EXPECT_EQ(item.text(), "second");
  EXPECT_EQ(item.parentNode().getAttribute("id"), "g1");
}

}  // namespace
}  // namespace vemo::platform
