#include <string>
#include <tuple>
#include <utility>

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
    "<Manufacturer>Acme</Manufacturer><PluginRev>1.2</PluginRev><FirmRev>3.4</FirmRev><SelfDoc>&amp;3.4</SelfDoc>";
const std::string kDevice = "<C5Device " + kAttributes + "><DevInfo>" + kDevInfo + "</DevInfo></C5Device>";

// Loads the first C5Device of a catalogue holding `device`, with the first `from` replaced by `to`.
std::shared_ptr<cProgIDInfo> Load(std::string device, const std::string& from = "", const std::string& to = "") {
  const test::TempDir dir;
  platform::XmlDocument document;
  document.load(dir.Write("devices.xml", test::Catalogue(device.replace(device.find(from), from.size(), to))));
  auto record = std::make_shared<cProgIDInfo>();
  record->LoadDeviceEntry(document.documentElement().selectSingleNode("C5Device"), dir.slash() + "devices.xml");
  return record;
}

TEST(DeviceRecord, ItemsFollowDocumentOrderAndOnlyTheFirstDevInfoIsRead) {
  const auto record = Load("<C5Device Vendor='acme' " + kAttributes + "><Other/><DevInfo><Notes>n</Notes>" + kDevInfo +
                           "</DevInfo><DevInfo><DeviceCode>FFFF</DeviceCode></DevInfo></C5Device>");
  EXPECT_TRUE(record->IsValid()) << "unrecognised items do not count";
  std::string names;
  for (std::int32_t i = 1; i <= record->Count(); ++i) names += record->Item(Variant(i))->Name() + " ";
  EXPECT_EQ(names,
            "Vendor ProgramID ImgBlockSize IsHostBased IsHybridBased IsNeuronBased SupportsFlash Has472Plugin "
            "SupportsOffline Notes DeviceCode DeviceType DeviceTypeEx Manufacturer PluginRev FirmRev SelfDoc ");
  EXPECT_EQ(record->Item(Variant("devicecode"))->Value(), "0A1B");
  ExpectAutomationError([&] { record->Item(Variant(record->Count() + 1)); }, 9);
  ExpectAutomationError([&] { record->Item(Variant("NoSuchItem")); }, 5);
}

TEST(DeviceRecord, ValidNeedsTheFifteenNamesOnceAndElementsCountWhenEmptyOrStartingWithText) {
  const std::string ex = "<DeviceTypeEx>VAV</DeviceTypeEx>";
  const std::tuple<std::string, std::string, bool, std::int32_t, const char*> cases[] = {
      {"IsHostBased=", "ishostbased=", false, 15, "VAV"},
      {"<PluginRev>1.2</PluginRev>", "", false, 14, "VAV"},
      {"<FirmRev>3.4</FirmRev>", "<v:FirmRev xmlns:v=\"urn:v\">3.5</v:FirmRev>", true, 15, "VAV"},
      {ex, "<DeviceTypeEx/>", true, 15, ""},
      {ex, "<DeviceTypeEx>A<!--note-->B</DeviceTypeEx>", true, 15, "A"},
      {ex, "<DeviceTypeEx><![CDATA[VAV]]></DeviceTypeEx>", false, 14, ""},
  };
  for (const auto& [from, to, valid, count, typeEx] : cases) {
    const auto record = Load(kDevice, from, to);
    EXPECT_EQ(std::tuple(record->IsValid(), record->Count(), record->DeviceTypeEx()), std::tuple(valid, count, typeEx))
        << to;
  }
}

TEST(DeviceRecord, RepeatedElementSpoilsTheEntryAndIsReachableByPositionOnly) {
  const auto record = Load(kDevice, "</DevInfo>", "<DeviceCode>0C0D</DeviceCode></DevInfo>");
  EXPECT_FALSE(record->IsValid());
  EXPECT_EQ(record->Item(Variant("DeviceCode"))->Value(), "0A1B");
  EXPECT_EQ(record->Item(Variant(std::int32_t{16}))->Value(), "0C0D");
}

TEST(DeviceRecord, ImageBlockSizeAndFlagsConvertTheirText) {
  for (const auto& [text, size] : {std::pair{"-5", 0}, {"2.5", 2}, {"3.5", 4}, {"1e11", 0}, {"12x", 0}}) {
    EXPECT_EQ(Load(kDevice, "\"4096\"", std::string("\"") + text + "\"")->ImgBlockSize(), size) << text;
  }
  for (const auto& [text, value] : {std::pair{"Yes", true}, {"yes", false}, {"Yes ", false}}) {
    EXPECT_EQ(Load(kDevice, "Flash=\"No\"", std::string("Flash=\"") + text + "\"")->SupportsFlash(), value) << text;
  }
}

TEST(DeviceRecord, NamespaceDeclarationsAreNeitherItemsNorValues) {
  const auto record = Load(kDevice, "IsHostBased=\"Yes\"", "xmlns:x=\"urn:x\" xmlns:IsHostBased=\"Yes\" Größe=\"3\"");
  EXPECT_FALSE(record->IsHostBased());
  EXPECT_EQ(record->Item(Variant(1))->Name(), "ProgramID");
  ExpectAutomationError([&] { record->Item(Variant("x")); }, 5);
  EXPECT_EQ(record->Item(Variant("GRÖSSE"))->Value(), "3") << "item names fold case in every script";
}

TEST(DeviceRecord, DeviceWithoutDevInfoRaisesObjectNotSet) {
  ExpectAutomationError([] { Load(kDevice, "<DevInfo>" + kDevInfo + "</DevInfo>", "<devinfo/>"); }, 91);
}

}  // namespace
}  // namespace vemo
