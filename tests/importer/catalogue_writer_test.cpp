#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "common/test_support.h"
#include "importer/catalogue_writer.h"
#include "importer/xif_reader.h"
#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709LMObject.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/I709Node.h"
#include "vemosupport/IVemoProgIDInfo.h"
#include "vemosupport/_C472VirtualNode.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/importer.h"

namespace vemo {
namespace {

using importer::XifCpTemplate;
using importer::XifDevice;
using importer::XifNv;
using Bytes = std::vector<std::uint8_t>;
using Kind = ImportNote::Kind;

XifNv Nv(const std::string& name, int index, int size, const char* selfDoc, bool config = false, int arrayCount = 0,
         bool output = false) {
  return {.name = name, .index = index, .arrayCount = arrayCount, .output = output, .config = config,
          .hasSelfDoc = selfDoc != nullptr, .selfDoc = selfDoc ? selfDoc : "", .snvtIndex = 100 + index, .size = size};
}

XifCpTemplate Cp(int header, const std::string& select, int size, int dim = 1, std::uint8_t flags = 0x80) {
  return {.record = "", .header = header, .select = select, .scope = header == 1 ? 3 : 0, .flags = flags,
          .typeIndex = 40 + size, .size = size, .dim = dim};
}

XifDevice Device(const std::string& nodeSelfDoc) {
  XifDevice device;
  device.fileName = "lamp.xif";
  device.declaredName = "LampPair";
  device.xifVersion = "4.501";
  device.generator = "hand-written";
  device.programId = "9A10C0DE0007A101";
  device.hasNodeSelfDoc = !nodeSelfDoc.empty();
  device.nodeSelfDoc = nodeSelfDoc;
  return device;
}

constexpr int kInTwoObjects = -100;

// The written files loaded through the library as a user loads them.
struct Loaded {
  std::shared_ptr<IVemoProgIDInfo> info;
  std::shared_ptr<I709Node> node;
  bool populated = false;
  std::vector<test::RecordedBox> boxes;
  std::map<int, int> nvObject, cpObject;  // NV index / CP key -> LonMark object index holding it

  Bytes NvValue(int index) const {
    return node->NetworkVariables()->Item(std::to_string(index))->Value().AsBytes()->bytes;
  }
  Bytes CpValue(int key) const { return node->ConfigurationProperties()->Item(key)->Value().AsBytes()->bytes; }
};

// The node's LonMark objects in order: the device object first.
std::vector<std::shared_ptr<I709LMObject>> Objects(I709Node& node) {
  std::vector<std::shared_ptr<I709LMObject>> objects;
  std::string name;
  std::int16_t type = 0;
  std::int32_t resource = 0;
  for (std::int16_t i = 0; i < node.ObjectCount(); ++i) {
    objects.push_back(std::dynamic_pointer_cast<I709LMObject>(node.GetObject(i, name, type, resource).AsObject()));
  }
  return objects;
}

std::vector<int> Types(I709Node& node) {
  std::vector<int> types;
  for (const auto& object : Objects(node)) types.push_back(object->LMObjectType());
  return types;
}

Loaded Load(const ImportedDevice& imported, const test::TempDir& dir) {
  const std::string kiv = dir.Write(imported.programId + ".kiv", imported.configurationFile);
  dir.Write(imported.programId + ".xml", imported.catalogueEntry);
  Loaded loaded;
  test::MessageBoxRecorder boxes;
  cFactory factory;
  loaded.info = factory.CreateProgIDInfo(imported.programId, dir.path());
  const auto node = factory.CreateVirtualC472Node(loaded.info);
  loaded.populated = node->PopulateDevice(kiv);
  loaded.node = std::dynamic_pointer_cast<I709Node>(node);
  loaded.boxes = boxes.boxes();
  const auto note = [](std::map<int, int>& where, int key, int object) {
    if (!where.emplace(key, object).second) where[key] = kInTwoObjects;
  };
  for (const auto& object : Objects(*loaded.node)) {
    const auto nvs = object->NetworkVariables();
    for (std::int32_t i = 1; nvs && i <= nvs->Count(); ++i) note(loaded.nvObject, nvs->Item(i)->Index(), object->Index());
    const auto cps = object->ConfigurationProperties();
    for (std::int32_t i = 1; cps && i <= cps->Count(); ++i) {
      note(loaded.cpObject, std::stoi(cps->Item(i)->Name()), object->Index());
    }
  }
  return loaded;
}

bool HasNote(const ImportedDevice& imported, Kind kind, const std::string& subject, const std::string& part = "") {
  return std::any_of(imported.notes.begin(), imported.notes.end(), [&](const ImportNote& note) {
    return note.kind == kind && note.subject == subject && note.text.find(part) != std::string::npos;
  });
}

// Objects: 0 node, 1 and 2 the two lamps of "4[2Lamp", 3 the sensor.
XifDevice LampPair() {
  XifDevice device = Device("&3.4@0NodeObject,4[2Lamp,1010Sensor;Lamp pair & sensor");
  device.nvs = {
      Nv("nviRequest", 0, 2, "@0|1"),
      Nv("nviLamp_1", 1, 2, "@1|1"),
      Nv("nviLamp_2", 2, 2, "@2#1;second lamp"),
      Nv("nvoLevel", 3, 2, "@3|1?", false, 0, true),
      Nv("nvoSpare", 4, 1, "Do Not Bind", false, 0, true),
      Nv("nviBare", 5, 1, nullptr),
      Nv("nciFree", 14, 1, nullptr, true),                   // declared before lower indexes
      Nv("nciGain", 6, 2, "&1,3,0\\x80,82", true),
      Nv("nciLampHb", 7, 2, "&2,1.2,0\\x80,49", true),        // NVs of blocks 1 and 2: shared
      Nv("nciSensorHb", 8, 2, "&2,3-3,0\\x80,49", true),      // a range naming NV 3 alone
      Nv("nciLamp1Min", 9, 1, "&2,1,0\\x80,53", true),        // reads right as it is
      Nv("nciLampMax", 10, 1, "&1,1~2,0\\x80,50", true, 2),  // element i in block 1 + i
      Nv("nviLampCmd", 12, 1, "@1[2|3", false, 2),           // element i in block 1 + i
  };
  device.cpTemplates = {
      Cp(0, "", 2),              // key 1: the device
      Cp(1, "1~2", 1, 2),        // keys 2, 3: blocks 1 and 2
      Cp(2, "3", 1),             // key 4: the block of NV 3
      Cp(2, "1.2", 1),           // key 5: shared by blocks 1 and 2
      Cp(1, "3", 1, 2, 0x84),    // keys 6, 7: read-only, both block 3
      Cp(2, "8", 1),             // key 8: NV 8, itself linked through NV 3
      Cp(2, "12~13", 1, 2),      // keys 9, 10: NVs 12 and 13
  };
  device.fileValues = {0x01, 0x02, 0x21, 0x22, 0x40, 0x50, 0x80, 0x90, 0xA0};
  device.fileReadOnly = {0x61, 0x71};
  device.nvValues = {0x06, 0x06, 0x07, 0x07, 0x08, 0x08, 0x09, 0x10, 0x11, 0x14};
  device.hasFileValues = device.hasFileReadOnly = device.hasNvValues = true;
  return device;
}

TEST(CatalogueWriter, EntryLoadsWithEveryPointInTheObjectTheDeviceNames) {
  const XifDevice device = LampPair();
  const ImportedDevice imported = importer::WriteCatalogue(device);
  test::TempDir dir;
  const Loaded loaded = Load(imported, dir);
  EXPECT_TRUE(loaded.boxes.empty()) << loaded.boxes.front().text;
  ASSERT_TRUE(loaded.info->IsValid());
  EXPECT_TRUE(loaded.populated);
  EXPECT_EQ(loaded.info->DeviceType(), "Lamp pair & sensor");
  EXPECT_EQ(loaded.info->Manufacturer(), "LonMark manufacturer ID " + std::to_string(0xA10C0));

  // The device object, then blocks 0 to 3 with their declared profiles.
  EXPECT_EQ(Types(*loaded.node), (std::vector<int>{-1, 0, 4, 4, 1010}));
  EXPECT_EQ(imported.functionalBlocks, 4u);

  const std::map<int, int> nvObjects{{0, 0},  {1, 1},  {2, 2},  {3, 3},  {4, -1}, {5, -1}, {6, 3},  {7, -1},
                                     {8, 3},  {9, 1},  {10, 1}, {11, 2}, {12, 1}, {13, 2}, {14, -1}};
  EXPECT_EQ(loaded.nvObject, nvObjects);
  EXPECT_EQ(loaded.cpObject,
            (std::map<int, int>{{1, -1}, {2, 1}, {3, 2}, {4, 3}, {5, -1}, {6, 3}, {7, 3}, {8, 3}, {9, 1}, {10, 2}}));
  EXPECT_EQ(loaded.node->ConfigurationProperties()->Item(10)->Name(), "10|2|0-41|13") << "an NV range, element by element";
  EXPECT_EQ(imported.networkVariables, 15u);
  EXPECT_EQ(imported.configurationProperties, 10u);

  // Every NV as declared, array elements named by element.
  const auto nv11 = loaded.node->NetworkVariables()->Item("11");
  EXPECT_EQ(nv11->Name(), "nciLampMax[1]");
  EXPECT_EQ(std::tuple(nv11->Length(), nv11->NVType(), nv11->IsConfigurationVariable()), std::tuple(1, 110, true));
  EXPECT_FALSE(loaded.node->NetworkVariables()->Item("13")->IsConfigurationVariable());
  EXPECT_EQ(loaded.node->NetworkVariables()->Item("9")->Comment(), "&2,1,0\\x80,53") << "kept as written";

  // Values: template order sliced into writable and read-only sections; NVVAL in NV index order.
  const std::map<int, Bytes> cpValues{{1, {1, 2}}, {2, {0x21}}, {3, {0x22}}, {4, {0x40}},
                                      {5, {0x50}}, {6, {0x61}}, {7, {0x71}}, {8, {0x80}}, {10, {0xA0}}};
  for (const auto& [key, value] : cpValues) EXPECT_EQ(loaded.CpValue(key), value) << "CP " << key;
  const std::map<int, Bytes> nvValues{{6, {6, 6}}, {7, {7, 7}}, {8, {8, 8}}, {9, {9}}, {10, {0x10}}, {11, {0x11}}, {14, {0x14}}};
  for (const auto& [index, value] : nvValues) EXPECT_EQ(loaded.NvValue(index), value) << "NV " << index;
  EXPECT_EQ(imported.configurationBytes, 11u + 10u + 1u);

  // (kind, subject, part of the text, expected to be there)
  const std::tuple<Kind, std::string, std::string, bool> notes[] = {
      {Kind::kRewrite, "node self-documentation", "4[2Lamp", true},
      {Kind::kRewrite, "NV 4 nvoSpare", "Do Not Bind", true},
      {Kind::kRewrite, "NV 5 nviBare", "", true},
      {Kind::kLoss, "NV 7 nciLampHb", "blocks 1, 2", true},
      {Kind::kRewrite, "NV 8 nciSensorHb", "", true},
      {Kind::kRewrite, "NV 10 nciLampMax", "array", true},
      {Kind::kLoss, "CP template record 4", "blocks 1, 2", true},
      {Kind::kRewrite, "CP template record 6", "", true},
      {Kind::kRewrite, "NV 9 nciLamp1Min", "", false},
      {Kind::kRewrite, "NV 0 nviRequest", "", false},
  };
  for (const auto& [kind, subject, part, expected] : notes) EXPECT_EQ(HasNote(imported, kind, subject, part), expected) << subject;
  for (const char* derived : {"DeviceCode", "DeviceType", "DeviceTypeEx", "Manufacturer", "PluginRev", "FirmRev"}) {
    EXPECT_TRUE(HasNote(imported, Kind::kDerived, std::string("DevInfo ") + derived)) << derived;
  }
}

TEST(CatalogueWriter, BlockArraysBecomeOneObjectPerElementAndLaterBlocksKeepTheirIndex) {
  // A closing bracket, blanks, a block array without a name, then a plain block.
  XifDevice device = Device("&3.4@0, 1[2DI], 3[2,8020Fan;arrays");
  device.nvs = {Nv("nviFan", 0, 1, "@5|1"), Nv("nviDi2", 1, 1, "@2|1")};
  const ImportedDevice imported = importer::WriteCatalogue(device);
  test::TempDir dir;
  const Loaded loaded = Load(imported, dir);
  EXPECT_EQ(Types(*loaded.node), (std::vector<int>{-1, 0, 1, 1, 3, 3, 8020}));
  std::vector<std::string> names;
  for (const auto& object : Objects(*loaded.node)) names.push_back(object->Name());
  EXPECT_EQ(std::vector<std::string>(names.begin() + 2, names.end()),
            (std::vector<std::string>{"DI[0]", "DI[1]", "[0]", "[1]", "Fan"}));
  EXPECT_EQ(loaded.nvObject, (std::map<int, int>{{0, 5}, {1, 2}}));
  EXPECT_EQ(loaded.info->DeviceType(), "arrays");
  EXPECT_TRUE(HasNote(imported, Kind::kRewrite, "node self-documentation",
                      "\"3[2\" written as 2 blocks of profile 3 at indexes 3 to 4"));
}

TEST(CatalogueWriter, TheDeviceCodeFindsTheEntryAndDiffersBetweenDevices) {
  const ImportedDevice imported = importer::WriteCatalogue(LampPair());
  test::TempDir dir;
  dir.Write(imported.programId + ".xml", imported.catalogueEntry);
  ASSERT_EQ(imported.deviceCode.size(), 4u);
  cFactory factory;
  EXPECT_EQ(factory.CreateProgIDInfo(imported.deviceCode, dir.path())->ProgramID(), imported.programId);
  std::set<std::string> codes;
  for (const char* id : {"9A10C0DE0007A101", "9A10C0DE0007A102", "80000A1B2C3D0401", "0000000000000000"}) {
    codes.insert(importer::DeviceCodeFor(id));
  }
  EXPECT_EQ(codes.size(), 4u);
}

TEST(CatalogueWriter, ValuesTheFileLacksAreZerosNamedInNotes) {
  XifDevice device = LampPair();
  device.nvValues.resize(5);  // NV 6, NV 7 and the first byte of NV 8
  device.hasFileReadOnly = false;
  device.fileReadOnly.clear();
  const ImportedDevice imported = importer::WriteCatalogue(device);
  test::TempDir dir;
  const Loaded loaded = Load(imported, dir);
  EXPECT_TRUE(loaded.boxes.empty());
  ASSERT_TRUE(loaded.populated) << "the configuration file still covers the whole block";
  EXPECT_EQ(loaded.NvValue(7), (Bytes{7, 7}));
  EXPECT_EQ(loaded.NvValue(8), (Bytes{0, 0})) << "a value cut in half is no value";
  EXPECT_EQ(loaded.CpValue(6), (Bytes{0}));
  EXPECT_TRUE(HasNote(imported, Kind::kLoss, "NV 8 nciSensorHb", "cut short"));
  EXPECT_TRUE(HasNote(imported, Kind::kLoss, "NV 14 nciFree", "cut short"));
  EXPECT_TRUE(HasNote(imported, Kind::kLoss, "CP template record 5", "no FILE readOnly"));
  EXPECT_FALSE(HasNote(imported, Kind::kLoss, "NV 7 nciLampHb", "cut short"));
}

TEST(CatalogueWriter, NodeWithoutObjectListGetsTheDeviceObjectAlone) {
  for (const char* selfDoc : {"", "@.41010204", "&3.4 without a list"}) {
    XifDevice device = Device(selfDoc);
    device.nvs = {Nv("nviIn", 0, 1, "@0|1"), Nv("nciSet", 1, 1, "&1,0,0\\x80,1", true)};
    device.nvValues = {0x5A};
    device.hasNvValues = true;
    const ImportedDevice imported = importer::WriteCatalogue(device);
    test::TempDir dir;
    const Loaded loaded = Load(imported, dir);
    EXPECT_TRUE(loaded.boxes.empty()) << selfDoc;
    EXPECT_TRUE(loaded.info->IsValid()) << selfDoc;
    // An empty object list: the device object alone, which takes the points without a block;
    // the file's text stays visible as the node's comment.
    EXPECT_EQ(loaded.info->SelfDoc(), *selfDoc ? std::string("&3.4@;") + selfDoc : std::string("&3.4@"));
    EXPECT_EQ(loaded.info->DeviceType(), device.declaredName) << "no description to name it by";
    EXPECT_EQ(imported.functionalBlocks, 0u);
    EXPECT_EQ(loaded.node->ObjectCount(), 1);
    EXPECT_EQ(loaded.NvValue(1), Bytes{0x5A});
    EXPECT_TRUE(HasNote(imported, *selfDoc ? Kind::kLoss : Kind::kRewrite, "node self-documentation")) << selfDoc;
  }
}

TEST(CatalogueWriter, XmlCarriesMarkupCharactersAndReplacesWhatItCannotHold) {
  XifDevice device = Device("&3.4@0,3\x01" "Bad\xFF;Quote \" <tag> & more\ttab");
  device.nvs = {Nv("nvi<&\">", 0, 1, "@1|1;caf\xC3\xA9 \xE9\x80"), Nv("nviCtl\x7F", 1, 1, "@0|1;line\r\nbreak")};
  const ImportedDevice imported = importer::WriteCatalogue(device);
  test::TempDir dir;
  const Loaded loaded = Load(imported, dir);
  EXPECT_TRUE(loaded.boxes.empty());
  ASSERT_TRUE(loaded.info->IsValid());
  EXPECT_EQ(loaded.info->DeviceType(), "Quote \" <tag> & more\ttab");
  EXPECT_EQ(loaded.info->SelfDoc(), "&3.4@0,3\xEF\xBF\xBD" "Bad\xEF\xBF\xBD;Quote \" <tag> & more\ttab");
  const auto nvs = loaded.node->NetworkVariables();
  EXPECT_EQ(nvs->Item("0")->Name(), "nvi<&\">");
  EXPECT_EQ(nvs->Item("0")->Comment(), "@1|1;caf\xC3\xA9 \xEF\xBF\xBD\xEF\xBF\xBD") << "valid UTF-8 kept, the rest replaced";
  EXPECT_EQ(nvs->Item("1")->Comment(), "@0|1;line\r\nbreak");
  EXPECT_EQ(loaded.nvObject.at(0), 1);
  EXPECT_TRUE(HasNote(imported, Kind::kLoss, "node self-documentation", "U+FFFD"));
  EXPECT_TRUE(HasNote(imported, Kind::kLoss, "NV 0 nvi<&\">", "U+FFFD"));
  EXPECT_FALSE(HasNote(imported, Kind::kLoss, "NV 1 nviCtl\x7F", "U+FFFD"));
}

TEST(CatalogueWriter, ErrorsNameFileAndLine) {
  EXPECT_STREQ(DeviceInterfaceError("a.xif", 12, "expected VAR").what(), "a.xif:12: expected VAR");
  EXPECT_STREQ(DeviceInterfaceError("a.xif", 0, "cannot be read").what(), "a.xif: cannot be read");
  XifDevice device = Device("");
  device.programId = "9A10C0DE0007A1";
  EXPECT_THROW(importer::WriteCatalogue(device), DeviceInterfaceError);
}

}  // namespace
}  // namespace vemo
