#include <string>
#include <vector>

#include "common/test_support.h"
#include "platform/xml_dom.h"
#include "progid/cProgIDInfo.h"

namespace vemo {
namespace {

using test::ExpectAutomationError;

const std::string kAttributes =
    "ProgramID=\"P80000A1B2C3D0401\" ImgBlockSize=\"4096\" IsHostBased=\"Yes\" IsHybridBased=\"No\" "
    "IsNeuronBased=\"Yes\" SupportsFlash=\"No\" Has472Plugin=\"Yes\" SupportsOffline=\"Yes\"";
const std::string kDevInfo =
    "<DeviceCode>0A1B</DeviceCode><DeviceType>Controller</DeviceType><DeviceTypeEx>VAV</DeviceTypeEx>"
    "<Manufacturer>Acme</Manufacturer><PluginRev>1.2</PluginRev><FirmRev>3.4</FirmRev>"
    "<SelfDoc>&amp;3.4@0,3;Air handler</SelfDoc>";

// `text` with the first `from` replaced by `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class DeviceRecordTest : public ::testing::Test {
 protected:
  // Loads the first C5Device of a catalogue holding `device` into a fresh record.
  std::shared_ptr<cProgIDInfo> LoadElement(const std::string& device) {
    file_ = dir_.Write("devices.xml", test::Catalogue(device));
    platform::XmlDocument document;
    EXPECT_TRUE(document.load(file_)) << document.parseError().reason;
    auto record = std::make_shared<cProgIDInfo>();
    record->LoadDeviceEntry(document.documentElement().selectSingleNode("C5Device"), file_);
    return record;
  }
  std::shared_ptr<cProgIDInfo> Load(const std::string& attributes, const std::string& devInfo = kDevInfo) {
    return LoadElement("<C5Device " + attributes + "><DevInfo>" + devInfo + "</DevInfo></C5Device>");
  }
  // IsHostBased, IsHybridBased, IsNeuronBased, SupportsFlash, Has472Plugin, SupportsOfflineEdit.
  static std::vector<bool> Flags(const cProgIDInfo& r) {
    return {r.IsHostBased(), r.IsHybridBased(), r.IsNeuronBased(), r.SupportsFlash(), r.Has472Plugin(),
            r.SupportsOfflineEdit()};
  }
  static std::vector<std::string> Names(const cProgIDInfo& record) {
    std::vector<std::string> names;
    for (std::int32_t i = 1; i <= record.Count(); ++i) names.push_back(record.Item(Variant(i))->Name());
    return names;
  }

  test::TempDir dir_;
  std::string file_;
};

TEST_F(DeviceRecordTest, CompleteEntryFillsEveryFieldAndListsItemsInDocumentOrder) {
  const auto record = Load(kAttributes);
  EXPECT_TRUE(record->IsValid());
  EXPECT_EQ(record->ProgramID(), "80000A1B2C3D0401");
  EXPECT_EQ(record->XMLFilename(), file_);
  EXPECT_EQ(record->ImgBlockSize(), 4096);
  EXPECT_EQ(Flags(*record), (std::vector<bool>{true, false, true, false, true, true}));
  EXPECT_EQ((std::vector<std::string>{record->DeviceCode(), record->DeviceType(), record->DeviceTypeEx(),
                                      record->Manufacturer(), record->PluginVersion(), record->FirmwareVersion(),
                                      record->SelfDoc()}),
            (std::vector<std::string>{"0A1B", "Controller", "VAV", "Acme", "1.2", "3.4", "&3.4@0,3;Air handler"}));

  EXPECT_EQ(Names(*record), (std::vector<std::string>{"ProgramID", "ImgBlockSize", "IsHostBased", "IsHybridBased",
                                                      "IsNeuronBased", "SupportsFlash", "Has472Plugin",
                                                      "SupportsOffline", "DeviceCode", "DeviceType", "DeviceTypeEx",
                                                      "Manufacturer", "PluginRev", "FirmRev", "SelfDoc"}));
  EXPECT_EQ(record->Item(Variant("ProgramID"))->Value(), "80000A1B2C3D0401");
  EXPECT_EQ(record->Item(Variant("devicecode"))->Value(), "0A1B");
  EXPECT_EQ(record->Item(Variant("SUPPORTSOFFLINE"))->Value(), "Yes");
  EXPECT_EQ(record->Item(Variant(std::int32_t{15}))->Value(), "&3.4@0,3;Air handler");
  ExpectAutomationError([&] { record->Item(Variant(std::int32_t{0})); }, 9);
  ExpectAutomationError([&] { record->Item(Variant(record->Count() + 1)); }, 9);
  ExpectAutomationError([&] { record->Item(Variant("NoSuchItem")); }, 5);
}

TEST_F(DeviceRecordTest, ImageBlockSizeIsTheRoundedWholeNumberAndAlwaysCounts) {
  const struct {
    const char* text;
    std::int32_t size;
  } cases[] = {{"4096", 4096}, {"-5", 0}, {"abc", 0}, {"2.5", 2}, {"3.5", 4}, {"1e11", 0}, {"12x", 0}, {"", 0}};
  for (const auto& c : cases) {
    const auto record =
        Load(Replaced(kAttributes, "ImgBlockSize=\"4096\"", std::string("ImgBlockSize=\"") + c.text + "\""));
    EXPECT_EQ(record->ImgBlockSize(), c.size) << c.text;
    EXPECT_TRUE(record->IsValid()) << c.text;
    EXPECT_EQ(record->Item(Variant("ImgBlockSize"))->Value(), c.text);
  }
}

TEST_F(DeviceRecordTest, FlagsAreTrueOnlyForExactlyYesAndAlwaysCount) {
  const struct {
    const char* text;
    bool value;
  } cases[] = {{"Yes", true}, {"yes", false}, {"YES", false}, {"Yes ", false}, {"True", false}, {"", false}};
  for (const auto& c : cases) {
    std::string attributes = "ProgramID=\"P80000A1B2C3D0401\" ImgBlockSize=\"1\"";
    for (const char* flag : {"IsHostBased", "IsHybridBased", "IsNeuronBased", "SupportsFlash", "Has472Plugin",
                             "SupportsOffline"}) {
      attributes += std::string(" ") + flag + "=\"" + c.text + "\"";
    }
    const auto record = Load(attributes);
    EXPECT_TRUE(record->IsValid()) << c.text;
    EXPECT_EQ(Flags(*record), std::vector<bool>(6, c.value)) << c.text;
  }
}

TEST_F(DeviceRecordTest, NamesAreMatchedByLocalNameWithLetterCase) {
  const auto lower = Load(Replaced(kAttributes, "IsHostBased=", "ishostbased="));
  EXPECT_FALSE(lower->IsHostBased());
  EXPECT_FALSE(lower->IsValid()) << "only 14 recognised values";
  EXPECT_EQ(lower->Item(Variant("ishostbased"))->Name(), "ishostbased");

  const auto record = Load("xmlns:v=\"urn:vendor\" " +
                               Replaced(kAttributes, "IsHybridBased=\"No\"", "v:IsHybridBased=\"Yes\""),
                           Replaced(kDevInfo, "<FirmRev>3.4</FirmRev>", "<v:FirmRev>3.5</v:FirmRev>"));
  EXPECT_TRUE(record->IsHybridBased());
  EXPECT_EQ(record->FirmwareVersion(), "3.5");
  EXPECT_TRUE(record->IsValid());
  EXPECT_EQ(record->Count(), 16) << "the namespace declaration is an item as well";
  EXPECT_EQ(record->Item(Variant("IsHybridBased"))->Value(), "Yes");
}

TEST_F(DeviceRecordTest, DevInfoElementValueFollowsItsFirstChild) {
  const struct {
    const char* element;  // replaces <DeviceTypeEx>VAV</DeviceTypeEx>
    bool listed;
    const char* value;
  } cases[] = {
      {"<DeviceTypeEx/>", true, ""},
      {"<DeviceTypeEx></DeviceTypeEx>", true, ""},
      {"<DeviceTypeEx>A<!--note-->B</DeviceTypeEx>", true, "A"},
      {"<DeviceTypeEx>A<b>B</b></DeviceTypeEx>", true, "A"},
      {"<DeviceTypeEx><![CDATA[VAV]]></DeviceTypeEx>", false, ""},
      {"<DeviceTypeEx><!--note-->VAV</DeviceTypeEx>", false, ""},
      {"<DeviceTypeEx><b>VAV</b></DeviceTypeEx>", false, ""},
  };
  for (const auto& c : cases) {
    const auto record = Load(kAttributes, Replaced(kDevInfo, "<DeviceTypeEx>VAV</DeviceTypeEx>", c.element));
    EXPECT_EQ(record->DeviceTypeEx(), c.value) << c.element;
    EXPECT_EQ(record->IsValid(), c.listed) << c.element;
    EXPECT_EQ(record->Count(), c.listed ? 15 : 14) << c.element;
    if (c.listed) {
      EXPECT_EQ(record->Item(Variant("DeviceTypeEx"))->Value(), c.value) << c.element;
    } else {
      ExpectAutomationError([&] { record->Item(Variant("DeviceTypeEx")); }, 5);
    }
  }
}

TEST_F(DeviceRecordTest, RepeatedDeviceCodeSpoilsTheEntryAndTheLaterTextWins) {
  const auto record = Load(kAttributes, kDevInfo + "<DeviceCode>0C0D</DeviceCode>");
  EXPECT_FALSE(record->IsValid());
  EXPECT_EQ(record->DeviceCode(), "0C0D");
  ASSERT_EQ(record->Count(), 16);
  // The name finds the first item; the second is reachable by position only.
  EXPECT_EQ(record->Item(Variant("DeviceCode"))->Value(), "0A1B");
  EXPECT_EQ(record->Item(Variant(std::int32_t{16}))->Name(), "DeviceCode");
  EXPECT_EQ(record->Item(Variant(std::int32_t{16}))->Value(), "0C0D");
}

TEST_F(DeviceRecordTest, UnrecognisedAttributesAndElementsAreOnlyItemsAndOnlyTheFirstDevInfoIsRead) {
  const auto record = LoadElement("<C5Device Vendor=\"acme\" " + kAttributes + " Extra=\"x\"><Other/><DevInfo>" +
                                  "<Notes>n</Notes>" + kDevInfo +
                                  "</DevInfo><DevInfo><DeviceCode>FFFF</DeviceCode><More>m</More></DevInfo></C5Device>");
  EXPECT_TRUE(record->IsValid());
  EXPECT_EQ(record->DeviceCode(), "0A1B");
  EXPECT_EQ(record->ProgramID(), "80000A1B2C3D0401");
  ASSERT_EQ(record->Count(), 18);
  EXPECT_EQ(record->Item(Variant(std::int32_t{1}))->Name(), "Vendor");
  EXPECT_EQ(record->Item(Variant(std::int32_t{10}))->Name(), "Extra");
  EXPECT_EQ(record->Item(Variant(std::int32_t{11}))->Name(), "Notes");
  EXPECT_EQ(record->Item(Variant("vendor"))->Value(), "acme");
}

TEST_F(DeviceRecordTest, DeviceWithoutDevInfoRaisesObjectNotSet) {
  ExpectAutomationError([&] { LoadElement("<C5Device " + kAttributes + "><devinfo/></C5Device>"); }, 91);
}

}  // namespace
}  // namespace vemo
