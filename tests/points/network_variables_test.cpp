#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/test_support.h"
#include "platform/xml_dom.h"
#include "points/C472VirtualNV.h"
#include "points/C472VirtualNVCol.h"
#include "points/ConfigDataBlock.h"

namespace vemo {
namespace {

using test::ArrayOf;
using test::ExpectAutomationError;
using test::Nv;
using Bytes = std::vector<std::uint8_t>;

// {BA D0} stands for a value that is no byte array.
Bytes ValueBytes(const Variant& value) { return value.AsBytes() ? value.AsBytes()->bytes : Bytes{0xBA, 0xD0}; }

class NetworkVariableTest : public ::testing::Test {
 protected:
  platform::XmlNode Root(const std::string& xml) {
    platform::XmlDocument document;
    EXPECT_TRUE(document.load(dir_.Write("e" + std::to_string(files_++) + ".xml", xml))) << xml;
    return document.documentElement();
  }

  // An NV with index 12 named "nvN12", filed in a collection of its own and bound at
  // offset 1 of `block`; nothing when it is rejected.
  std::shared_ptr<C472VirtualNV> Make(const std::string& selfDoc, bool config, const std::string& def = "",
                                      const std::shared_ptr<ConfigDataBlock>& block = nullptr) {
    auto nv = std::make_shared<C472VirtualNVCol>()->AddNV(Root(Nv("N12", 2, selfDoc, def)), config);
    std::int32_t offset = 1;
    if (nv) nv->BindStorage(block, offset);
    return nv;
  }

  test::TempDir dir_;
  test::MessageBoxRecorder boxes_;
  int files_ = 0;
};

TEST_F(NetworkVariableTest, SelfDocNamesTheObjectOrIsReportedOrRejected) {
  struct Case { const char* selfDoc; bool config, accepted; std::int16_t appliesTo = 0; const char* select = "";
                std::int32_t objectId = 0; std::string box = ""; };
  const Case cases[] = {
      {"&amp;1,3,0,12;Setpoint", true, true, 1, "3", 3}, {"&amp;0,0,0,7", true, true, 0, "0", -1},
      {"~2,5", true, true, 2, "5", -2}, {"@2|1;Temp", false, true, 1, "2", 2}, {"$14#0", false, true, 1, "14", 14},
      // A wrong lead character is reported and the NV kept, tied to the node object.
      {"@1,3,0,12", true, true, 0, "", -1, R"("&" or "~")"}, {"&amp;2|1;Temp", false, true, 0, "", -1, R"("@" or "$")"},
      // Missing parts or a number that does not fit reject the NV.
      {"@", false, false}, {"&amp;40000,1", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selfDoc);
    const std::size_t before = boxes_.boxes().size();
    const auto nv = Make(c.selfDoc, c.config);
    ASSERT_EQ(nv != nullptr, c.accepted);
    ASSERT_EQ(boxes_.boxes().size(), before + (c.box.empty() ? 0 : 1));
    if (!c.box.empty()) {
      const test::RecordedBox& box = boxes_.boxes().back();
      const std::string text =
          "Expecting " + c.box + " as first character in the NV SelfDoc string.\nNVIndex = 12\nNVName = nvN12";
      EXPECT_EQ(std::tuple(box.title, box.style, box.text.substr(0, text.size())),
                std::tuple("XML Parsing Error", 16, text));
    }
    if (c.accepted) {
      const auto got = std::tuple(nv->AppliesTo(), nv->SelectData(), nv->LMObjectID());
      EXPECT_EQ(got, std::tuple(c.appliesTo, c.select, c.objectId));
    }
  }
}

TEST_F(NetworkVariableTest, ValueIsOwnBytesOrABlockSliceWithTheDefaultOnlyWhenItFits) {
  for (const auto& [def, expected] :
       {std::pair{"00ff", Bytes{0, 255}}, {"F0FA", Bytes{0xF0, 0xFA}}, {"0FF", Bytes(2)}, {"00FF00", Bytes(2)}}) {
    EXPECT_EQ(ValueBytes(Make("@1|1", false, def)->Value()), expected) << def;
  }
  const auto plain = Make("@1|1", false);
  plain->Value(ArrayOf({7, 8}));
  ExpectAutomationError([&] { plain->Value(ArrayOf({1})); }, 5, "", "The NV takes 2 bytes, not 1.");
  EXPECT_EQ(ValueBytes(plain->Value()), (Bytes{7, 8})) << "a refused value keeps the old one";

  const auto unbound = Make("&amp;0,0", true, "0102");  // a configuration NV without a block has no value
  ExpectAutomationError([&] { unbound->Value(); }, 422);
  auto block = std::make_shared<ConfigDataBlock>();
  block->Allocate(4);
  const auto bound = Make("&amp;0,0", true, "", block);
  bound->Value(ArrayOf({1, 2, 3}));  // only the first 2 are taken
  ExpectAutomationError([&] { bound->Value(ArrayOf({9})); }, 5);
  EXPECT_EQ(block->Bytes().bytes, (Bytes{0, 1, 2, 0, 0})) << "a refused write changes nothing";

  // Anything but a byte array is refused first, with its own message, storage or not.
  for (const auto& target : {plain, unbound}) {
    ExpectAutomationError([&] { target->Value(Variant("0102")); }, 5, "C472VirtualNV::I709NetworkVariable_Value",
                          "Expecting byte array as input!");
  }
}

TEST_F(NetworkVariableTest, CollectionOrdersByIndexAndRefusesDuplicatesAndIncompleteElements) {
  // The index's first character is a prefix of any kind; the number after it is the key.
  // After the first three: an index already filed, then incomplete elements.
  const platform::XmlNode root = Root(
      "<NVs>" + Nv("N8", 4, "&amp;0,0") + Nv("N3", 2, "&amp;0,0") + Nv("\xC3\xA9" "5", 1, "@0|1") +
      Nv("x3", 1, "&amp;0,0") + R"(<NV Index="N" Size="1" NVType="3"><Name>n</Name><SelfDoc>@0|1</SelfDoc></NV>)" +
      R"(<NV Index="N1" Size="1" NVType="3"><SelfDoc>@0|1</SelfDoc></NV></NVs>)");
  auto col = std::make_shared<C472VirtualNVCol>();
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(col->AddNV(root.selectSingleNode("NV[" + std::to_string(i) + "]"), i != 3) != nullptr, i < 4) << i;
  }
  EXPECT_EQ((std::vector{col->Item(1)->Index(), col->Item(2)->Index(), col->Item(3)->Index()}),
            (std::vector<std::int16_t>{3, 5, 8}));
  EXPECT_EQ(col->Item("3")->Length(), 2) << "the first NV with index 3 stays";
  EXPECT_EQ(col->ConfigDataSize(), 6) << "only the filed configuration NVs need block bytes";
  ExpectAutomationError([&] { col->Item("7"); }, 5);
  ExpectAutomationError([&] { col->Item(4); }, 9);
}

}  // namespace
}  // namespace vemo
