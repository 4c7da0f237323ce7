#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/test_support.h"
#include "vemosupport/cFactory.h"
#include "node/C472VirtualNode.h"

namespace vemo {
namespace {

using test::ExpectAutomationError;

constexpr const char* kId = "8000000000000001";
constexpr const char* kOfflineHex = "5B4F66666C696E655D";  // "[Offline]"

class NodeOfflineTest : public ::testing::Test {
 protected:
  // A node whose record has this SelfDoc (XML text).
  std::shared_ptr<C472VirtualNode> Node(const std::string& selfDoc = "&amp;3.4@0,3;Air handler;rev 2") {
    const std::string devInfo = "<DevInfo><SelfDoc>" + selfDoc + "</SelfDoc></DevInfo>";
    dir_.Write("c.xml", test::Catalogue(test::Device(kId, "", devInfo)));
    return std::dynamic_pointer_cast<C472VirtualNode>(
        factory_.CreateVirtualC472Node(factory_.CreateProgIDInfo(kId, dir_.path())));
  }

  test::TempDir dir_;
  cFactory factory_;
};

TEST_F(NodeOfflineTest, CommentIsTheSelfDocAfterItsFirstSemicolonAndIdentityNeedsARecord) {
  for (const auto& [selfDoc, comment] : {std::pair{"&amp;3.4@0,3;Air handler;rev 2", "Air handler;rev 2"},
                                         {"no comment here", ""}, {"&amp;3.4@0;", ""}, {"", ""}}) {
    EXPECT_EQ(Node(selfDoc)->Comment(), comment) << selfDoc;
  }
  const auto bare = std::make_shared<C472VirtualNode>();
  ExpectAutomationError([&] { bare->ProgramID(); }, 91);
  ExpectAutomationError([&] { bare->SelfDocumentation(); }, 91);
  ExpectAutomationError([&] { bare->Comment(); }, 91);
}

TEST_F(NodeOfflineTest, ReadMemoryOf1FBytesIsAnsweredWithTheOfflineText) {
  const auto node = Node();
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"6d", "0000001f", true}, {"6D", "0102031F", true}, {"6D", "001F", false}, {"6E", "0000001F", false},
      {"6D", "0000001E", false}};
  for (const auto& [code, data, answered] : cases) {
    std::string text = data;
    EXPECT_TRUE(node->SendMessageWait(code, text, 4));
    EXPECT_EQ(text, answered ? kOfflineHex : data) << code << " " << data;
  }
  std::string text = "0000001F";
  std::make_shared<C472VirtualNode>()->SendMessageWait("6D", text, 4);
  EXPECT_EQ(text, "0000001F") << "a node without a record does not answer";
  // Each character gives its Latin-1 code, or "?" beyond Latin-1.
  EXPECT_EQ(StringToHex("\xC3\xA9" "a\xE2\x82\xAC\xF0\x9F\x98\x80"), "E9613F3F");
}

TEST_F(NodeOfflineTest, ConfigDataIsReadAndWrittenWithinItsSize) {
  const auto node = Node();
  node->ConfigData()->Allocate(9);
  ExpectAutomationError([&] { node->ReadConfigData(8, 2); }, 5);
  ExpectAutomationError([&] { node->ReadConfigData(3, 0); }, 9);

  const ByteArray data{{0x11, 0x22, 0x33}, 1};
  node->WriteConfigData(data, 7, 2);
  EXPECT_EQ(node->ReadConfigData(7, 2).bytes, (std::vector<std::uint8_t>{0x11, 0x22}));
  const ByteArray before = node->ConfigData()->Bytes();
  ExpectAutomationError([&] { node->WriteConfigData(ByteArray{{0x44}, 0}, 0, 2); }, 5);
  for (const auto& [offset, length] : {std::pair{-1, 2}, {8, 2}, {0, 0}}) {
    ExpectAutomationError([&, offset = offset, length = length] {
      node->WriteConfigData(data, offset, static_cast<std::int16_t>(length));
    }, 5);
  }
  EXPECT_EQ(node->ConfigData()->Bytes(), before) << "a refused write changes nothing";
}

}  // namespace
}  // namespace vemo
