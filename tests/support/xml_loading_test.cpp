#include <string>
#include <utility>

#include "common/test_support.h"
#include "support/xml_loading.h"

namespace vemo {
namespace {

const std::string kId = "80000A1B2C3D0401";
const std::string kTail = "\n\nThe problem must be fixed before this XML file can be used.\n";

std::string Named(const std::string& programId, const std::string& name) {
  return "<C5Device ProgramID=\"" + programId + "\" Name='" + name + "'/>\n";
}

class FindProgIDNodeTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  test::MessageBoxRecorder boxes_;
};

TEST_F(FindProgIDNodeTest, FindsTheFirstDirectChildOfACatalogueRootWithExactlyThatID) {
  const std::string file = dir_.Write(
      "c.xml", test::Catalogue(Named(kId, "bare") + "<Group>" + Named("P" + kId, "nested") + "</Group>" +
                               Named("P" + kId, "first") + Named("P" + kId, "second") +
                               "<C5Device ProgramID='P12\"34' Name='dq'/>" + Named("P12'34", "sq")));
  const std::string prefixed =
      dir_.Write("p.xml", "<x:C5Devices xmlns:x=\"urn:a\">" + Named("P" + kId, "p") + "</x:C5Devices>");
  const std::string otherRoot = dir_.Write("o.xml", "<Catalogue>" + Named("P" + kId, "o") + "</Catalogue>");
  const struct {
    std::string file, id, name;
  } cases[] = {
      {file, kId, "first"}, {file, "80000a1b2c3d0401", "-"}, {file, "80000A1B2C3D04", "-"}, {file, "P" + kId, "-"},
      {file, "12'34", "sq"}, {file, "12\"34", "-"}, {file, "x\" or \"a\" = \"a", "-"},
      {prefixed, kId, "p"}, {otherRoot, kId, "-"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindProgIDNode(c.file, c.id).getAttribute("Name").value_or("-"), c.name) << c.file << " " << c.id;
  }
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(FindProgIDNodeTest, BrokenFileIsReportedOnceAndGivesNothing) {
  const std::string line = "<C5Device ProgramID=P" + kId + "/>";
  const std::string head = "There was a problem loading/parsing the following XML file:\n     " + dir_.path();
  // Each value fills the first placeholder of the report built so far, the path's included.
  const struct {
    std::string name, content, head, tail;
  } cases[] = {
      {"broken.xml", "<C5Devices>\n" + line + "\n</C5Devices>\n",
       "/broken.xml\nLine Number: 2\nCharacter Position: 21\nProblem Text: " + line + "\nError Description: ", kTail},
      {"odd%0name%s.xml", "<C5Devices>\n<a b=1/>\n</C5Devices>\n",
       "/odd2name<a b=1/>.xml\nLine Number: 6\nCharacter Position: %0\nProblem Text: ", "\nError Description: %s" + kTail},
  };
  std::size_t shown = 0;
  for (const auto& c : cases) {
    EXPECT_FALSE(FindProgIDNode(dir_.Write(c.name, c.content), kId));
    ASSERT_EQ(boxes_.boxes().size(), ++shown);
    const test::RecordedBox& box = boxes_.boxes().back();
    EXPECT_TRUE(box.text.size() > head.size() + c.head.size() + c.tail.size() &&
                box.text.starts_with(head + c.head) && box.text.ends_with(c.tail)) << box.text;
    EXPECT_EQ(std::make_pair(box.title, box.style), std::make_pair(std::string("XML Parsing Error"), 48));
  }
}

TEST_F(FindProgIDNodeTest, ALineTooLongForTheReportIsShownAroundTheError) {
  // libxml2 places the error at the end of "</Wrong", character 40045.
  const std::string line = "<C5Devices><C5Device ProgramID=\"P1\">" + std::string(40000, 'x') + "</Wrong></C5Devices>";
  EXPECT_FALSE(FindProgIDNode(dir_.Write("long.xml", line + "\n"), kId));
  ASSERT_EQ(boxes_.boxes().size(), 1u);
  const std::string& text = boxes_.boxes()[0].text;
  EXPECT_NE(text.find("Problem Text: [...]" + std::string(92, 'x') + "</Wrong></C5Devices>\n"), std::string::npos)
      << text.substr(0, 400);
  EXPECT_LT(text.size(), 1000u);
  EXPECT_NE(text.find("Error Description: "), std::string::npos);

  // A line that fits is shown whole, even when long.
  const std::string fits = "<C5Devices>" + std::string(30000, 'y') + "</Wrong>";
  EXPECT_FALSE(FindProgIDNode(dir_.Write("fits.xml", fits + "\n"), kId));
  EXPECT_NE(boxes_.boxes().back().text.find("Problem Text: " + fits + "\n"), std::string::npos);
}

}  // namespace
}  // namespace vemo
