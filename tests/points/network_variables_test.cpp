#include <memory>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "platform/xml_dom.h"
#include "points/C472VirtualNV.h"
#include "points/C472VirtualNVCol.h"
#include "points/ConfigDataBlock.h"

namespace vemo {
namespace {

using test::ExpectAutomationError;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kValueSource = "C472VirtualNV::I709NetworkVariable_Value";

Variant ArrayOf(Bytes bytes) { return Variant(ByteArray{std::move(bytes), 0}); }

Bytes ValueBytes(const Variant& value) {
  const ByteArray* bytes = value.AsBytes();
  EXPECT_NE(bytes, nullptr) << "a value is a byte array";
  return bytes ? bytes->bytes : Bytes{};
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '&' ? "&amp;" : std::string(1, c);
  return out;
}

// An NV element with these attributes and children.
std::string Nv(const std::string& attributes, const std::string& children) {
  return "<NV " + attributes + ">" + children + "</NV>";
}

std::string Nv(const std::string& index, std::int16_t size, const std::string& selfDoc, const std::string& name = "n",
               const std::string& def = "") {
  return Nv("Index=\"" + index + "\" Size=\"" + std::to_string(size) + "\" NVType=\"3\"",
            "<Name>" + name + "</Name><SelfDoc>" + Escaped(selfDoc) + "</SelfDoc>" +
                (def.empty() ? "" : "<Default>" + def + "</Default>"));
}

class NetworkVariableTest : public ::testing::Test {
 protected:
  platform::XmlNode Root(const std::string& xml) {
    platform::XmlDocument document;
    EXPECT_TRUE(document.load(dir_.Write("e" + std::to_string(files_++) + ".xml", xml))) << xml;
    return document.documentElement();
  }

  // An NV with index 12 named "nvX", built from the parts of its element.
  std::shared_ptr<C472VirtualNV> Make(const std::string& selfDoc, bool config, std::int16_t length = 2,
                                      const std::string& def = "", bool* accepted = nullptr) {
    const platform::XmlNode nv = Root(Nv("N12", length, selfDoc, "nvX", def));
    auto result = std::make_shared<C472VirtualNV>();
    const bool ok = result->InitFromXML(12, length, 3, nv.selectSingleNode("Name"), nv.selectSingleNode("SelfDoc"),
                                        nv.selectSingleNode("Default"), config);
    if (accepted) *accepted = ok;
    return result;
  }

  test::TempDir dir_;
  test::MessageBoxRecorder boxes_;
  int files_ = 0;
};

TEST_F(NetworkVariableTest, SelfDocNamesTheLonMarkObject) {
  struct Case { const char* selfDoc; bool config; std::int16_t appliesTo; const char* select; std::int32_t objectId; };
  const Case cases[] = {
      {"&1,3,0,12;Setpoint", true, 1, "3", 3}, {"&0,0,0,7", true, 0, "0", -1}, {"&2,5,0,7", true, 2, "5", -2},
      {"~1,3,0,12;Setpoint", true, 1, "3", 3}, {"~2,5", true, 2, "5", -2},     {"@2|1;Temp", false, 1, "2", 2},
      {"@2#1;Temp", false, 1, "2", 2},         {"$2|1", false, 1, "2", 2},     {"@14#0", false, 1, "14", 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selfDoc);
    bool accepted = false;
    const auto nv = Make(c.selfDoc, c.config, 2, "", &accepted);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(nv->AppliesTo(), c.appliesTo);
    EXPECT_EQ(nv->SelectData(), c.select);
    EXPECT_EQ(nv->LMObjectID(), c.objectId);
    EXPECT_EQ(nv->Comment(), c.selfDoc);
    EXPECT_EQ(nv->IsConfigurationVariable(), c.config);
  }
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(NetworkVariableTest, SelfDocWithoutItsPartsRejectsTheNV) {
  for (const auto& [selfDoc, config] :
       {std::pair{"@", false}, {"$", false}, {"&1", true}, {"~", true}, {"&7;x", true}}) {
    bool accepted = true;
    Make(selfDoc, config, 2, "", &accepted);
    EXPECT_FALSE(accepted) << selfDoc;
  }
}

TEST_F(NetworkVariableTest, WrongLeadCharacterIsReportedAndTheNVKept) {
  const std::string configLine = R"(Expecting "&" or "~" as first character in the NV SelfDoc string.)";
  const std::string otherLine = R"(Expecting "@" or "$" as first character in the NV SelfDoc string.)";
  for (const auto& [selfDoc, config, line] : {std::tuple{"@1,3,0,12", true, configLine}, {"1,3", true, configLine},
                                              {"&2|1;Temp", false, otherLine}, {"#2|1", false, otherLine}}) {
    SCOPED_TRACE(selfDoc);
    const std::size_t before = boxes_.boxes().size();
    bool accepted = false;
    const auto nv = Make(selfDoc, config, 2, "", &accepted);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(nv->AppliesTo(), 0);
    EXPECT_EQ(nv->LMObjectID(), -1);
    ASSERT_EQ(boxes_.boxes().size(), before + 1);
    const test::RecordedBox& box = boxes_.boxes().back();
    EXPECT_EQ(box.title, "XML Parsing Error");
    EXPECT_EQ(box.style, 16);
    EXPECT_EQ(box.text.rfind(line + "\nNVIndex = 12\nNVName = nvX", 0), 0u) << box.text;
  }
}

TEST_F(NetworkVariableTest, PlainNVHoldsItsOwnBytesWithTheDefaultOnlyWhenItFits) {
  for (const auto& [def, expected] : {std::pair{"00ff", Bytes{0x00, 0xFF}}, {"A10B", Bytes{0xA1, 0x0B}},
                                      {"0FF", Bytes{0, 0}}, {"00FF00", Bytes{0, 0}}, {"", Bytes{0, 0}}}) {
    const auto nv = Make("@1|1", false, 2, def);
    std::int32_t offset = 4;
    nv->BindStorage(nullptr, offset);
    EXPECT_EQ(offset, 4) << "a plain NV takes no block bytes";
    EXPECT_EQ(ValueBytes(nv->Value()), expected) << def;
  }
  const auto nv = Make("@1|1", false, 2, "0102");
  std::int32_t offset = 0;
  nv->BindStorage(nullptr, offset);
  EXPECT_FALSE(nv->UpdateWhenSoftOffline());
  nv->Value(ArrayOf({7, 8}));
  EXPECT_EQ(ValueBytes(nv->Value()), (Bytes{7, 8}));
  for (const Bytes& wrong : {Bytes{1, 2, 3}, Bytes{1}}) {
    ExpectAutomationError([&] { nv->Value(ArrayOf(wrong)); }, 5, "", "Invalid procedure call or argument");
  }
  EXPECT_EQ(ValueBytes(nv->Value()), (Bytes{7, 8})) << "a refused value keeps the old one";
}

TEST_F(NetworkVariableTest, AnythingButAByteArrayIsRefusedWithItsOwnMessage) {
  auto block = std::make_shared<ConfigDataBlock>();
  block->Allocate(2);
  std::int32_t offset = 0;
  const auto bound = Make("&0,0", true);
  bound->BindStorage(block, offset);
  const auto plain = Make("@1|1", false);
  plain->BindStorage(nullptr, offset);
  const Variant wrong[] = {Variant("0102"), Variant(258), Variant(1.5),
                           Variant(Variant::Array{Variant(std::int16_t{1}), Variant(std::int16_t{2})})};
  for (const auto& nv : {bound, plain, Make("&0,0", true)}) {
    for (const Variant& value : wrong) {
      ExpectAutomationError([&] { nv->Value(value); }, 5, kValueSource, "Expecting byte array as input!");
    }
  }
}

TEST_F(NetworkVariableTest, ConfigNVValueIsASliceOfTheBlock) {
  const auto unbound = Make("&0,0", true, 2, "0102");
  std::int32_t offset = 1;
  unbound->BindStorage(nullptr, offset);
  EXPECT_EQ(offset, 1);
  ExpectAutomationError([&] { unbound->Value(); }, 422);
  ExpectAutomationError([&] { unbound->Value(ArrayOf({1, 2})); }, 422);

  auto block = std::make_shared<ConfigDataBlock>();
  block->Allocate(4);
  const auto nv = Make("&0,0", true, 2, "0A0B");
  nv->BindStorage(block, offset);
  EXPECT_EQ(offset, 3);
  EXPECT_EQ(block->Bytes().bytes, (Bytes{0, 0x0A, 0x0B, 0, 0}));
  nv->Value(ArrayOf({1, 2, 3}));
  EXPECT_EQ(block->Bytes().bytes, (Bytes{0, 1, 2, 0, 0}));
  EXPECT_EQ(ValueBytes(nv->Value()), (Bytes{1, 2}));
  ExpectAutomationError([&] { nv->Value(ArrayOf({9})); }, 5);
  EXPECT_EQ(block->Bytes().bytes, (Bytes{0, 1, 2, 0, 0}));
}

TEST_F(NetworkVariableTest, CollectionKeepsIndexOrderAndRefusesDuplicates) {
  const platform::XmlNode root = Root("<NVIs>" + Nv("N5", 1, "@0|1", "first") + Nv("N2", 1, "@0|1") +
                                      Nv("N9", 1, "@0|1") + Nv("N7", 1, "@0|1") + Nv("x5", 1, "@0|1", "second") +
                                      "</NVIs>");
  auto col = std::make_shared<C472VirtualNVCol>();
  for (int i = 1; i <= 4; ++i) {
    ASSERT_NE(col->AddNV(root.selectSingleNode("NV[" + std::to_string(i) + "]"), false), nullptr);
  }
  EXPECT_EQ(col->AddNV(root.selectSingleNode("NV[5]"), false), nullptr);
  ASSERT_EQ(col->Count(), 4);
  EXPECT_EQ(col->Item("5")->Name(), "first");

  std::vector<std::int16_t> order;
  const std::shared_ptr<Enumerator> members = col->NewEnum();
  while (const std::optional<Variant> member = members->Next()) {
    order.push_back(std::dynamic_pointer_cast<I709NetworkVariable>(member->AsObject())->Index());
  }
  EXPECT_EQ(order, (std::vector<std::int16_t>{2, 5, 7, 9}));
  EXPECT_EQ(col->Item(1)->Index(), 2);
  EXPECT_EQ(col->Item("7")->Index(), 7);
  ExpectAutomationError([&] { col->Item(" 7 "); }, 5);
  ExpectAutomationError([&] { col->Item(0); }, 9);
  ExpectAutomationError([&] { col->Item(5); }, 9);
}

TEST_F(NetworkVariableTest, CollectionRejectsIncompleteElements) {
  const std::string parts = "<Name>n</Name><SelfDoc>@0|1</SelfDoc>";
  const std::string rejected[] = {
      Nv(R"(Size="1" NVType="3")", parts),
      Nv(R"(Index="N" Size="1" NVType="3")", parts),
      Nv(R"(Index="N1" NVType="3")", parts),
      Nv(R"(Index="N1" Size="" NVType="3")", parts),
      Nv(R"(Index="N1" Size="1")", parts),
      Nv(R"(Index="N1" Size="1" NVType="")", parts),
      Nv(R"(Index="N1" Size="1" NVType="3")", "<SelfDoc>@0|1</SelfDoc>"),
      Nv(R"(Index="N1" Size="1" NVType="3")", "<Name>n</Name>"),
      Nv(R"(Index="N32768" Size="1" NVType="3")", parts),
      Nv(R"(Index="N1" Size="32768" NVType="3")", parts),
      Nv(R"(Index="N1" Size="1" NVType="-32769")", parts),
      Nv("N1", 1, "@"),
  };
  for (const std::string& element : rejected) {
    auto col = std::make_shared<C472VirtualNVCol>();
    EXPECT_EQ(col->AddNV(Root(element), false), nullptr) << element;
    EXPECT_EQ(col->Count(), 0);
  }
  for (const std::string index : {"N12", "x12", "112", "\xC3\xA9" "12"}) {
    auto col = std::make_shared<C472VirtualNVCol>();
    const auto nv = col->AddNV(Root(Nv(index, 1, "@0|1")), false);
    ASSERT_NE(nv, nullptr) << index;
    EXPECT_EQ(nv->Index(), 12) << index;
  }
}

TEST_F(NetworkVariableTest, ConfigNVsTakeConsecutiveBlockSlicesInIndexOrder) {
  const platform::XmlNode root = Root("<NVs>" + Nv("N8", 4, "&0,0", "n8", "03040506") +
                                      Nv("N3", 2, "&0,0", "n3", "0102") + Nv("N5", 1, "@0|1", "n5", "FF") + "</NVs>");
  auto col = std::make_shared<C472VirtualNVCol>();
  ASSERT_NE(col->AddNV(root.selectSingleNode("NV[1]"), true), nullptr);
  ASSERT_NE(col->AddNV(root.selectSingleNode("NV[2]"), true), nullptr);
  ASSERT_NE(col->AddNV(root.selectSingleNode("NV[3]"), false), nullptr);
  EXPECT_EQ(col->ConfigDataSize(), 6);

  auto block = std::make_shared<ConfigDataBlock>();
  block->Allocate(16);
  std::int32_t offset = 10;
  col->BindStorage(block, offset);
  EXPECT_EQ(offset, 16);
  EXPECT_EQ(block->Read(10, 6).bytes, (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(block->Read(0, 10).bytes, Bytes(10, 0));
  EXPECT_EQ(ValueBytes(col->Item("5")->Value()), (Bytes{0xFF}));
}

}  // namespace
}  // namespace vemo
