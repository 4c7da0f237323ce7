#include <string>
#include <utility>

#include "common/test_support.h"
#include "platform/xml_dom.h"

namespace vemo::platform {
namespace {

std::string Repeat(const std::string& text, int times) {
  std::string result;
  while (times-- > 0) result += text;
  return result;
}

class XmlDomTest : public testing::Test {
 protected:
  // Loads `content` as a file and answers the document element (nothing when it fails).
  XmlNode Load(const std::string& content) {
    loaded_ = document_.load(dir_.Write("doc" + std::to_string(++files_) + ".xml", content));
    return document_.documentElement();
  }

  test::TempDir dir_;
  XmlDocument document_;
  bool loaded_ = false;
  int files_ = 0;
};

TEST_F(XmlDomTest, ReportsWhereADocumentIsBroken) {
  EXPECT_FALSE(Load("<?xml version=\"1.0\"?>\n<root>\n  <a>\n  </b>\n</root>\n"));
  const XmlParseError& error = document_.parseError();
  EXPECT_FALSE(loaded_);
  EXPECT_NE(error.errorCode, 0);
  EXPECT_EQ(error.line, 4);
  EXPECT_GT(error.linepos, 0);
  EXPECT_EQ(error.srcText, "  </b>");
  EXPECT_NE(error.reason.find("mismatch"), std::string::npos) << error.reason;
  EXPECT_EQ(document_.readyState(), XmlDocument::kReadyStateComplete);

  const std::string paths[] = {dir_.slash() + "missing.xml", dir_.Mkdir("folder.xml"), dir_.Write("empty.xml", ""),
                               dir_.Write("text.xml", "just some words\n"),
                               dir_.Write("utf8.xml", "<a>caf\xC3\x28</a>")};
  for (const std::string& path : paths) {
    EXPECT_FALSE(document_.load(path)) << path;
    EXPECT_NE(document_.parseError().errorCode, 0) << path;
    EXPECT_FALSE(document_.parseError().reason.empty()) << path;
    EXPECT_FALSE(document_.documentElement()) << path;
  }
  EXPECT_TRUE(Load("<ok/>"));
  EXPECT_EQ(document_.parseError().errorCode, 0);
}

TEST_F(XmlDomTest, RefusesHostileDocumentsWithoutReadingOtherFiles) {
  const std::string secret = dir_.Write("secret.txt", "TOPSECRET-4711");
  const std::string dtd = dir_.Write("evil.dtd", "<!ENTITY leak \"TOPSECRET-4711\">");
  std::string laughs = "<!ENTITY l0 \"lol\">";
  for (int i = 1; i < 10; ++i) {
    laughs += "<!ENTITY l" + std::to_string(i) + " \"" + Repeat("&l" + std::to_string(i - 1) + ";", 10) + "\">";
  }
  const std::pair<const char*, std::string> cases[] = {
      {"external entity", "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secret + "\">]>\n<r>&x;</r>"},
      {"relative external entity", "<!DOCTYPE r [<!ENTITY x SYSTEM \"secret.txt\">]>\n<r>&x;</r>"},
      {"external parameter entity", "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]>\n<r>&leak;</r>"},
      {"external DTD", "<!DOCTYPE r SYSTEM \"" + dtd + "\">\n<r>&leak;</r>"},
      {"billion laughs", "<!DOCTYPE r [" + laughs + "]>\n<r>&l9;</r>"},
      {"quadratic blowup",
       "<!DOCTYPE r [<!ENTITY a \"" + std::string(50000, 'a') + "\">]>\n<r>" + Repeat("&a;", 50000) + "</r>"},
      {"deep nesting", Repeat("<a>", 100000) + Repeat("</a>", 100000)},
  };
  for (const auto& [name, content] : cases) {
    EXPECT_FALSE(Load(content)) << name;
    EXPECT_FALSE(loaded_) << name;
    const XmlParseError& error = document_.parseError();
    EXPECT_FALSE(error.reason.empty()) << name;
    EXPECT_EQ((error.reason + error.srcText).find("TOPSECRET"), std::string::npos) << name;
  }
  // Entities declared inside the document are expanded into text.
  EXPECT_EQ(Load("<!DOCTYPE r [<!ENTITY co \"Acme &amp; Co\">]>\n<r><n>&co;</n></r>").firstChild().text(), "Acme & Co");
  EXPECT_EQ(document_.documentElement().firstChild().firstChild().nodeType(), XmlNodeType::Text);
}

TEST_F(XmlDomTest, NamesAttributesAndNodeTypes) {
  const XmlNode root = Load(
      "<v:Root xmlns:v=\"urn:v\" xmlns=\"urn:d\" id=\"7\" v:kind=\"k\">"
      "<Item>one<![CDATA[<two>]]><!-- note -->three</Item></v:Root>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root.baseName(), "Root");
  std::string attributes;
  for (const XmlAttribute& attribute : root.attributes()) {
    attributes += attribute.baseName + "=" + attribute.value + " ";
  }
  EXPECT_EQ(attributes, "v=urn:v xmlns=urn:d id=7 kind=k ");
  EXPECT_EQ(root.getAttribute("v:kind"), "k");
  EXPECT_EQ(root.getAttribute("kind"), std::nullopt);
  EXPECT_FALSE(root.selectSingleNode("Item"));  // a name without a prefix is in no namespace

  const XmlNode item = root.firstChild();
  EXPECT_EQ(item.text(), "one<two>three");
  const std::vector<XmlNode> children = item.childNodes();
  ASSERT_EQ(children.size(), 4u);
  const XmlNodeType types[] = {XmlNodeType::Text, XmlNodeType::CData, XmlNodeType::Comment, XmlNodeType::Text};
  for (std::size_t i = 0; i < children.size(); ++i) EXPECT_EQ(children[i].nodeType(), types[i]) << i;
  EXPECT_EQ(children[1].nodeValue(), "<two>");
  EXPECT_EQ(children[2].nodeValue(), " note ");
  EXPECT_EQ(children[2].nextSibling(), children[3]);
  EXPECT_EQ(children[3].parentNode(), item);
  EXPECT_FALSE(root.parentNode());
}

const char kGroups[] =
    "<root>\n"
    "  <group id=\"g1\"><item key=\"x\">first</item><item key=\"y\">second</item></group>\n"
    "  <group id=\"g2\"><item key=\"y\">third</item><inner><item key=\"y\">fourth</item></inner></group>\n"
    "</root>\n";

TEST_F(XmlDomTest, SelectsRelativeToANodeInDocumentOrder) {
  const XmlNode root = Load(kGroups);
  const XmlNode g2 = root.selectSingleNode("group[@id='g2']");
  ASSERT_TRUE(g2);
  EXPECT_EQ(root.selectSingleNode("group").text(), "firstsecond");
  EXPECT_EQ(g2.selectSingleNode("item[@key='y']").text(), "third");
  EXPECT_EQ(g2.selectSingleNode(".//item[@key='y']").text(), "third");
  EXPECT_EQ(g2.selectSingleNode("inner//item").text(), "fourth");
  EXPECT_EQ(g2.selectSingleNode("//item[@key='y']").text(), "second");
  EXPECT_EQ(root.selectSingleNode("group[2]/item | group[1]/item").text(), "first");
  EXPECT_EQ(g2.selectSingleNode("inner/item/ancestor::*").baseName(), "root");
  EXPECT_EQ(g2.selectSingleNode("item").parentNode(), g2);
  const XmlNode key = root.selectSingleNode("group/item/@key");
  EXPECT_EQ(key.nodeType(), XmlNodeType::Attribute);
  EXPECT_EQ(key.nodeValue(), "x");
  for (const char* nothing : {"item", "group[@id='g3']", "item[", "", "count(group)", "///"}) {
    EXPECT_FALSE(root.selectSingleNode(nothing)) << nothing;
  }
}

XmlNode SecondItem(const std::string& path) {
  XmlDocument document;
  return document.load(path) ? document.documentElement().selectSingleNode(".//item[2]") : XmlNode();
}

TEST_F(XmlDomTest, NodesKeepTheirDocumentAlive) {
  const XmlNode item = SecondItem(dir_.Write("groups.xml", kGroups));
  ASSERT_TRUE(item);
  Load("<other/>");
  EXPECT_EQ(item.text(), "second");
  EXPECT_EQ(item.parentNode().getAttribute("id"), "g1");
}

}  // namespace
}  // namespace vemo::platform
