#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "factory/cFactory.h"
#include "interfaces/I709LMObject.h"
#include "node/C472VirtualNode.h"
#include "services/kiv_reader.h"

namespace vemo {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kId = "80000A1B2C3D0401";

Variant ArrayOf(Bytes bytes) { return Variant(ByteArray{std::move(bytes), 0}); }

// Records what the configuration-file reader is asked; on success it writes its call
// number to the first byte of the block.
struct ReaderLog {
  std::vector<std::string> paths;
  std::string programId;
  bool answer = true;
};

class FakeReader : public services::IKivReader {
 public:
  explicit FakeReader(std::shared_ptr<ReaderLog> log) : log_(std::move(log)) {}
  bool ReadKiv(const std::string& path, const std::string& programId, ByteArray& block) override {
    log_->paths.push_back(path);
    log_->programId = programId;
    if (log_->answer && !block.bytes.empty()) block.bytes[0] = static_cast<std::uint8_t>(log_->paths.size());
    return log_->answer;
  }

 private:
  std::shared_ptr<ReaderLog> log_;
};

std::string Cp(const std::string& index, int size, const std::string& definition) {
  return "<CP Index=\"" + index + "\" Size=\"" + std::to_string(size) + "\"><Name>" + definition + "</Name></CP>";
}

// `selfDoc` is XML text: "&amp;" for "&".
std::string Nv(const std::string& index, int size, const std::string& selfDoc, const std::string& def = "") {
  return "<NV Index=\"" + index + "\" Size=\"" + std::to_string(size) + "\" NVType=\"3\"><Name>nv" + index +
         "</Name><SelfDoc>" + selfDoc + "</SelfDoc>" + (def.empty() ? "" : "<Default>" + def + "</Default>") + "</NV>";
}

constexpr const char* kSelfDoc = "&amp;3.4@0,3;Demo";

class PopulationTest : public ::testing::Test {
 protected:
  PopulationTest() { services::SetKivReaderFactory([log = log_] { return std::make_unique<FakeReader>(log); }); }
  ~PopulationTest() override { services::SetKivReaderFactory(nullptr); }

  void WriteCatalogue(const std::string& sections, const std::string& selfDoc = kSelfDoc,
                      const std::string& id = kId) const {
    const std::string devInfo = "<DevInfo><DeviceCode>0A1B</DeviceCode><SelfDoc>" + selfDoc + "</SelfDoc></DevInfo>";
    dir_.Write(std::string(kId) + ".xml", test::Catalogue(test::Device(id, "", devInfo + sections)));
  }

  std::shared_ptr<C472VirtualNode> MakeNode(const std::string& sections, const std::string& selfDoc = kSelfDoc) {
    WriteCatalogue(sections, selfDoc);
    auto factory = std::make_shared<cFactory>();
    const std::shared_ptr<IVemoProgIDInfo> info = factory->CreateProgIDInfo(kId, dir_.path());
    EXPECT_NE(info, nullptr);
    return std::dynamic_pointer_cast<C472VirtualNode>(factory->CreateVirtualC472Node(info));
  }

  // The LonMark object with this index (-1 for the device object).
  static std::shared_ptr<I709LMObject> Object(C472VirtualNode& node, int index) {
    std::string name;
    std::int16_t type = 0;
    std::int32_t resource = 0;
    const Variant object = node.GetObject(static_cast<std::int16_t>(index + 1), name, type, resource);
    return std::dynamic_pointer_cast<I709LMObject>(object.AsObject());
  }

  test::TempDir dir_;
  test::ScopedDefaultFolder noDefault_{dir_.slash() + "missing"};
  test::MessageBoxRecorder boxes_;
  std::shared_ptr<ReaderLog> log_ = std::make_shared<ReaderLog>();
};

const std::string kTwoCPsAndAConfigNV = "<CPs>" + Cp("C2", 4, "20|0|0-1|0") + Cp("C1", 2, "10|0|0-1|0") +
                                        "</CPs><NCIs>" + Nv("N7", 3, "&amp;0,0,0,7", "0A0B0C") + "</NCIs>";

TEST_F(PopulationTest, BlockHoldsCPsThenConfigNVs) {
  const auto node = MakeNode(kTwoCPsAndAConfigNV);
  ASSERT_TRUE(node->PopulateDevice(""));
  EXPECT_TRUE(log_->paths.empty());
  EXPECT_EQ(node->ConfigData()->DataSize(), 9);
  EXPECT_EQ(node->ConfigData()->Bytes().Count(), 10);
  EXPECT_EQ(node->ReadConfigData(6, 3).bytes, (Bytes{0x0A, 0x0B, 0x0C})) << "the NV default is in the block";
  node->ConfigurationProperties()->Item(10)->Value(ArrayOf({1, 2}));
  node->ConfigurationProperties()->Item(20)->Value(ArrayOf({3, 4, 5, 6}));
  node->NetworkVariables()->Item("7")->Value(ArrayOf({7, 8, 9}));
  EXPECT_EQ(node->ReadConfigData(0, 9).bytes, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(PopulationTest, ResultSaysWhetherThereIsConfigurationData) {
  struct Case { const char* name; std::string sections; bool populated; bool hasNVs; std::int32_t members; };
  const Case cases[] = {
      {"inputs and outputs only", "<NVIs>" + Nv("N1", 1, "@0|1") + "</NVIs><NVOs>" + Nv("N2", 1, "@0|1") + "</NVOs>",
       false, true, 2},
      {"CPs only", "<CPs>" + Cp("C1", 2, "10") + "</CPs>", true, false, 1},
      {"CPs and empty NCIs", "<CPs>" + Cp("C1", 2, "10") + "</CPs><NCIs/>", true, true, 1},
      {"empty NCIs only", "<NCIs/>", false, true, 0},
      {"a config NV only", "<NCIs>" + Nv("N1", 1, "&amp;0,0") + "</NCIs>", true, true, 1},
      {"members in the wrong sections",
       "<CPs>" + Nv("N1", 1, "&amp;0,0") + "</CPs><NCIs>" + Cp("C1", 2, "10") + "</NCIs>", false, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log_->paths.clear();
    const auto node = MakeNode(c.sections);
    const std::string kiv = dir_.Write("a.kiv", "");
    EXPECT_EQ(node->PopulateDevice(kiv), c.populated);
    EXPECT_EQ(log_->paths.size(), c.populated ? 1u : 0u) << "the file is read only for a node with data";
    EXPECT_EQ(node->NetworkVariables() != nullptr, c.hasNVs);
    const std::int32_t cps = node->ConfigurationProperties() ? node->ConfigurationProperties()->Count() : 0;
    const std::int32_t nvs = node->NetworkVariables() ? node->NetworkVariables()->Count() : 0;
    EXPECT_EQ(cps + nvs, c.members);
  }
}

TEST_F(PopulationTest, ObjectListComesFromTheSelfDoc) {
  for (const char* selfDoc : {"3.4@0,1;x", "&amp;3.4;x", ""}) {
    const auto node = MakeNode("<CPs>" + Cp("C1", 1, "10") + "</CPs>", selfDoc);
    node->PopulateDevice("");
    EXPECT_EQ(node->ObjectCount(), 0) << selfDoc;
  }
  const auto node = MakeNode("<CPs>" + Cp("C1", 1, "10") + "</CPs>", "&amp;3.4@0,8010;x");
  node->PopulateDevice("");
  ASSERT_EQ(node->ObjectCount(), 3);
  std::string name;
  std::int16_t type = 5;
  std::int32_t resource = 7;
  const auto device = std::dynamic_pointer_cast<I709LMObject>(node->GetObject(0, name, type, resource).AsObject());
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(name, "Device Object");
  EXPECT_EQ(type, -1);
  EXPECT_EQ(resource, 0);
  EXPECT_EQ(Object(*node, 0)->Index(), 0);
  EXPECT_EQ(Object(*node, 0)->Name(), "Node Object");
  EXPECT_EQ(Object(*node, 1)->LMObjectType(), 8010);
}

TEST_F(PopulationTest, LaterCallsOnlyRereadTheFile) {
  const auto node = MakeNode(kTwoCPsAndAConfigNV);
  const std::string first = dir_.Write("first.kiv", "");
  const std::string second = dir_.Write("second.kiv", "");
  ASSERT_TRUE(node->PopulateDevice(first));
  EXPECT_EQ(node->ConfigurationFile(), first);
  EXPECT_EQ(node->ReadConfigData(0, 1).bytes, Bytes{1});
  const auto cps = node->ConfigurationProperties();
  const auto nv = node->NetworkVariables()->Item("7");

  WriteCatalogue("<CPs>" + Cp("C5", 1, "50") + "</CPs>", "&amp;3.4@0,3,3;Other");
  EXPECT_TRUE(node->PopulateDevice(second));
  EXPECT_EQ(node->ConfigurationFile(), second);
  EXPECT_EQ(log_->paths, (std::vector<std::string>{first, second}));
  EXPECT_EQ(log_->programId, kId);
  EXPECT_EQ(node->ReadConfigData(0, 1).bytes, Bytes{2});
  EXPECT_EQ(node->ConfigurationProperties(), cps);
  EXPECT_EQ(cps->Count(), 2);
  EXPECT_EQ(node->NetworkVariables()->Item("7"), nv);
  EXPECT_EQ(node->ObjectCount(), 3);

  node->Refresh();
  EXPECT_EQ(log_->paths.size(), 3u);
  EXPECT_EQ(node->ReadConfigData(0, 1).bytes, Bytes{3});
}

TEST_F(PopulationTest, RefusedFileLeavesTheNodeWithoutData) {
  const auto node = MakeNode(kTwoCPsAndAConfigNV);
  const std::string kiv = dir_.Write("bad.kiv", "");
  log_->answer = false;
  EXPECT_FALSE(node->PopulateDevice(kiv));
  EXPECT_EQ(node->ConfigurationFile(), kiv);
  log_->answer = true;
  node->Refresh();
  EXPECT_EQ(log_->paths.size(), 1u) << "Refresh reads nothing for a node without data";
}

TEST_F(PopulationTest, PendingDataPointsTakeTheObjectOfTheNVTheyName) {
  const auto node = MakeNode("<CPs>" + Cp("C1", 1, "30|2|0-1|9") + Cp("C2", 1, "20|2|0-49|7") + "</CPs><NCIs>" +
                             Nv("N8", 1, "&amp;2,7,0,1") + "</NCIs><NVIs>" + Nv("N7", 1, "@1|1;x") + "</NVIs>");
  ASSERT_TRUE(node->PopulateDevice(""));
  const auto cps = node->ConfigurationProperties();
  EXPECT_EQ(std::dynamic_pointer_cast<IC472VirtualObj>(cps->Item(30))->LMObjectID(), -2) << "NV 9 does not exist";
  EXPECT_EQ(std::dynamic_pointer_cast<IC472VirtualObj>(cps->Item(20))->LMObjectID(), 1);
  EXPECT_EQ(std::dynamic_pointer_cast<IC472VirtualObj>(node->NetworkVariables()->Item("8"))->LMObjectID(), 1);

  const auto object1 = Object(*node, 1);
  ASSERT_NE(object1->ConfigurationProperties(), nullptr);
  EXPECT_EQ(object1->ConfigurationProperties()->Count(), 1);
  EXPECT_EQ(object1->ConfigurationProperties()->Item("20"), cps->Item(20));
  ASSERT_NE(object1->NetworkVariables(), nullptr);
  EXPECT_EQ(object1->NetworkVariables()->Count(), 2);
  EXPECT_EQ(object1->NetworkVariables()->Item("8"), node->NetworkVariables()->Item("8"));
  for (int index : {-1, 0}) EXPECT_EQ(Object(*node, index)->ConfigurationProperties(), nullptr);
}

TEST_F(PopulationTest, MissingCatalogueOrEntryBuildsNoDataPoints) {
  const auto gone = MakeNode(kTwoCPsAndAConfigNV);
  std::filesystem::remove(dir_.slash() + kId + ".xml");
  EXPECT_FALSE(gone->PopulateDevice(dir_.Write("a.kiv", "")));
  EXPECT_EQ(gone->ObjectCount(), 0);
  EXPECT_EQ(gone->ConfigurationProperties(), nullptr);
  EXPECT_EQ(gone->NetworkVariables(), nullptr);

  const auto moved = MakeNode(kTwoCPsAndAConfigNV);
  WriteCatalogue(kTwoCPsAndAConfigNV, "&amp;3.4@0,3;Demo", "80000A1B2C3D0400");
  EXPECT_FALSE(moved->PopulateDevice(dir_.Write("a.kiv", "")));
  EXPECT_EQ(moved->ObjectCount(), 3);
  EXPECT_EQ(moved->ConfigurationProperties(), nullptr);
  EXPECT_EQ(moved->NetworkVariables(), nullptr);
  EXPECT_TRUE(log_->paths.empty());
}

TEST_F(PopulationTest, HeldNVOutlivesItsNode) {
  auto node = MakeNode(kTwoCPsAndAConfigNV);
  ASSERT_TRUE(node->PopulateDevice(""));
  std::shared_ptr<I709NetworkVariable> nv = node->NetworkVariables()->Item("7");
  const std::weak_ptr<C472VirtualNode> weakNode = node;
  const std::weak_ptr<I709NetworkVariables> weakNVs = node->NetworkVariables();
  node.reset();
  EXPECT_TRUE(weakNode.expired());
  EXPECT_TRUE(weakNVs.expired());
  EXPECT_EQ(nv->Value().AsBytes()->bytes, (Bytes{0x0A, 0x0B, 0x0C}));
  nv->Value(ArrayOf({4, 5, 6}));
  EXPECT_EQ(nv->Value().AsBytes()->bytes, (Bytes{4, 5, 6}));
}

}  // namespace
}  // namespace vemo
