#include <memory>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "platform/xml_dom.h"
#include "points/C472VirtualCP.h"
#include "points/C472VirtualCPCol.h"
#include "points/ConfigDataBlock.h"

namespace vemo {
namespace {

using test::ExpectAutomationError;
using Bytes = std::vector<std::uint8_t>;

Variant ArrayOf(Bytes bytes) { return Variant(ByteArray{std::move(bytes), 0}); }

std::string Cp(const std::string& index, const std::string& size, const std::string& definition) {
  return "<CP Index=\"" + index + "\" Size=\"" + size + "\"><Name>" + definition + "</Name></CP>";
}

TEST(ConfigurationPropertyTest, DefinitionRecordGivesKeyTypeAndObject) {
  struct Case { const char* definition; std::int16_t appliesTo; bool standard; std::int16_t type; const char* select;
                std::int32_t objectId; };
  const Case cases[] = {
      {"12|1|0-49|3", 1, true, 49, "3", 3},
      {"12|0|1-7|0", 0, false, 7, "0", -1},
      {"12|2|0-49|5", 2, true, 49, "5", -2},
      {"12", 0, true, 0, "", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.definition);
    C472VirtualCP cp;
    cp.InitFromXML(4, 3, c.definition);
    EXPECT_EQ(cp.Key(), 12);
    EXPECT_EQ(cp.Index(), 4);
    EXPECT_EQ(cp.AppliesTo(), c.appliesTo);
    EXPECT_EQ(cp.StandardType(), c.standard);
    EXPECT_EQ(cp.CPType(), c.type);
    EXPECT_EQ(cp.SelectData(), c.select);
    EXPECT_EQ(cp.LMObjectID(), c.objectId);
    EXPECT_EQ(cp.Name(), c.definition);
    EXPECT_EQ(cp.ElementCount(), 1);
    EXPECT_EQ(cp.ElementSize(), 3);
  }
}

TEST(ConfigurationPropertyTest, ValueNeedsStorageAndAByteArray) {
  C472VirtualCP cp;
  cp.InitFromXML(1, 2, "12|0|0-1|0");
  for (const Variant& value : {ArrayOf({1, 2}), Variant("0102"), Variant(), Variant(7)}) {
    ExpectAutomationError([&] { cp.Value(value); }, 422);
  }
  ExpectAutomationError([&] { cp.Value(); }, 422);

  auto block = std::make_shared<ConfigDataBlock>();
  block->Allocate(4);
  std::int32_t offset = 1;
  cp.BindStorage(block, offset);
  EXPECT_EQ(offset, 3);
  cp.Value(ArrayOf({9, 8, 7, 6}));
  EXPECT_EQ(block->Bytes().bytes, (Bytes{0, 9, 8, 0, 0}));
  EXPECT_EQ(cp.Value().AsBytes()->bytes, (Bytes{9, 8}));
  for (const Variant& value : {Variant("0102"), Variant(258), Variant(Variant::Array{Variant(1), Variant(2)})}) {
    ExpectAutomationError([&] { cp.Value(value); }, 5, "", "Invalid procedure call or argument");
  }
  ExpectAutomationError([&] { cp.Value(ArrayOf({1})); }, 5);
  EXPECT_EQ(block->Bytes().bytes, (Bytes{0, 9, 8, 0, 0}));
}

class ConfigurationPropertiesTest : public ::testing::Test {
 protected:
  platform::XmlNode Root(const std::string& xml) {
    platform::XmlDocument document;
    EXPECT_TRUE(document.load(dir_.Write("e" + std::to_string(files_++) + ".xml", xml))) << xml;
    return document.documentElement();
  }

  test::TempDir dir_;
  int files_ = 0;
  std::shared_ptr<C472VirtualCPCol> col_ = std::make_shared<C472VirtualCPCol>();
};

TEST_F(ConfigurationPropertiesTest, OrderedByIndexAndFoundByKeyOnly) {
  const platform::XmlNode root = Root("<CPs>" + Cp("C4", "4", "40|0|0-1|0") + Cp("C1", "2", "10|0|0-1|0") +
                                      Cp("C3", "1", "30|0|0-1|0") + Cp("C9", "8", "10|1|0-2|3") + "</CPs>");
  for (int i = 1; i <= 3; ++i) ASSERT_NE(col_->AddCP(root.selectSingleNode("CP[" + std::to_string(i) + "]")), nullptr);
  EXPECT_EQ(col_->AddCP(root.selectSingleNode("CP[4]")), nullptr) << "key 10 is taken";
  ASSERT_EQ(col_->Count(), 3);
  EXPECT_EQ(col_->ConfigDataSize(), 7);
  EXPECT_EQ(col_->Item(10)->Name(), "10|0|0-1|0");

  std::vector<std::string> order;
  const std::shared_ptr<Enumerator> members = col_->NewEnum();
  while (const std::optional<Variant> member = members->Next()) {
    order.push_back(std::dynamic_pointer_cast<I709ConfigurationProperty>(member->AsObject())->Name().substr(0, 2));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"10", "30", "40"}));

  for (const Variant& key : {Variant(10), Variant(" 10 "), Variant(10.0), Variant("10")}) {
    const auto cp = col_->Item(key);
    ASSERT_NE(cp, nullptr);
    EXPECT_EQ(cp->Name(), "10|0|0-1|0");
  }
  const Variant missing[] = {Variant(1), Variant("1"), Variant(""), Variant(), ArrayOf({10}),
                             Variant(Variant::Array{Variant(10)})};
  for (const Variant& key : missing) EXPECT_EQ(col_->Item(key), nullptr);
}

TEST_F(ConfigurationPropertiesTest, BindStorageGivesEachCPTheNextSlice) {
  const platform::XmlNode root =
      Root("<CPs>" + Cp("C4", "4", "40") + Cp("C1", "2", "10") + Cp("C3", "1", "30") + "</CPs>");
  for (int i = 1; i <= 3; ++i) ASSERT_NE(col_->AddCP(root.selectSingleNode("CP[" + std::to_string(i) + "]")), nullptr);
  auto block = std::make_shared<ConfigDataBlock>();
  block->Allocate(col_->ConfigDataSize());
  std::int32_t offset = 0;
  col_->BindStorage(block, offset);
  EXPECT_EQ(offset, 7);
  col_->Item(10)->Value(ArrayOf({0xA1, 0xA2}));
  col_->Item(30)->Value(ArrayOf({0xB1}));
  col_->Item(40)->Value(ArrayOf({0xC1, 0xC2, 0xC3, 0xC4}));
  EXPECT_EQ(block->Read(0, 7).bytes, (Bytes{0xA1, 0xA2, 0xB1, 0xC1, 0xC2, 0xC3, 0xC4}));
}

TEST_F(ConfigurationPropertiesTest, IncompleteElementsAreRejected) {
  const std::string rejected[] = {
      R"(<CP Index="C1" Size="2"/>)",
      Cp("C", "2", "10"),
      Cp("C1", "", "10"),
      R"(<CP Size="2"><Name>10</Name></CP>)",
      R"(<CP Index="C1"><Name>10</Name></CP>)",
      Cp("C1", "32768", "10"),
      Cp("C2147483648", "2", "10"),
  };
  for (const std::string& element : rejected) EXPECT_EQ(col_->AddCP(Root(element)), nullptr) << element;
  EXPECT_EQ(col_->Count(), 0);
  EXPECT_EQ(col_->ConfigDataSize(), 0);
}

}  // namespace
}  // namespace vemo
