#include <algorithm>
#include <filesystem>
#include <span>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/test_support.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/I709LMObject.h"
#include "vemosupport/IVemoDataPointLayout.h"
#include "node/C472VirtualNode.h"
#include "services/kiv_reader.h"

namespace vemo {
namespace {

using test::ArrayOf;
using test::Cp;
using test::ExpectAutomationError;
using test::Nv;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kId = "80000A1B2C3D0401";

// Logs the files it is asked to read and writes the number of reads so far to the first
// byte of the block; refuses "bad.kiv" and any other program ID.
struct Reader : IKivReader {
  explicit Reader(std::shared_ptr<std::vector<std::string>> log) : paths(std::move(log)) {}
  bool ReadKiv(const std::string& path, const std::string& programId, std::span<std::uint8_t> block) override {
    paths->push_back(path);
    block[0] = static_cast<std::uint8_t>(paths->size());
    return programId == kId && !path.ends_with("bad.kiv");
  }
  std::shared_ptr<std::vector<std::string>> paths;
};

// Block: CP 10 at 0, CP 20 at 2, NV 7 at 6; the plain NV 1 takes no block bytes.
const std::string kPoints = "<CPs>" + Cp("C2", 4, "20|0|0-1|0") + Cp("C1", 2, "10|0|0-1|0") + "</CPs><NCIs>" +
                            Nv("N7", 3, "&amp;0,0,0,7", "0A0B0C") + "</NCIs><NVIs>" + Nv("N1", 2, "@0|1") + "</NVIs>";

class PopulationTest : public ::testing::Test {
 protected:
  PopulationTest() { SetKivReaderFactory([paths = paths_] { return std::make_unique<Reader>(paths); }); }
  ~PopulationTest() override { SetKivReaderFactory(nullptr); }

  // (Re)writes the catalogue and makes a node from it.
  std::shared_ptr<C472VirtualNode> MakeNode(const std::string& points, const std::string& selfDoc = "&amp;3.4@0,3;x") {
    const std::string devInfo = "<DevInfo><SelfDoc>" + selfDoc + "</SelfDoc></DevInfo>";
    dir_.Write("c.xml", test::Catalogue(test::Device(kId, "", devInfo + points)));
    cFactory factory;
    const auto node = factory.CreateVirtualC472Node(factory.CreateProgIDInfo(kId, dir_.path()));
    return std::dynamic_pointer_cast<C472VirtualNode>(node);
  }

  test::TempDir dir_;
  test::ScopedDefaultFolder noDefault_{dir_.slash() + "missing"};
  std::shared_ptr<std::vector<std::string>> paths_ = std::make_shared<std::vector<std::string>>();
};

TEST_F(PopulationTest, BlockHoldsCPsThenConfigNVsAndAHeldNVOutlivesTheNode) {
  auto node = MakeNode(kPoints);
  ASSERT_TRUE(node->PopulateDevice(""));
  EXPECT_TRUE(paths_->empty()) << "no file named, none read";
  EXPECT_EQ(node->ReadConfigData(6, 3).bytes, (Bytes{0x0A, 0x0B, 0x0C})) << "the NV default is in the block";
  const auto layout = [&](const ObjectPtr& point) {
    const auto& place = dynamic_cast<const IVemoDataPointLayout&>(*point);
    return std::pair(place.Section(), place.BlockOffset());
  };
  EXPECT_EQ(layout(node->ConfigurationProperties()->Item(20)), std::pair(std::string("CPs"), 2));
  EXPECT_EQ(layout(node->NetworkVariables()->Item("7")), std::pair(std::string("NCIs"), 6));
  EXPECT_EQ(layout(node->NetworkVariables()->Item("1")), std::pair(std::string("NVIs"), -1)) << "keeps its own bytes";
  const auto cp10 = node->ConfigurationProperties()->Item(10);
  cp10->Value(ArrayOf({1, 2}));
  node->ConfigurationProperties()->Item(20)->Value(ArrayOf({3, 4, 5, 6, 0xEE}));  // only the first 4 are taken
  const std::shared_ptr<I709NetworkVariable> nv = node->NetworkVariables()->Item("7");
  nv->Value(ArrayOf({7, 8, 9}));
  ExpectAutomationError([&] { cp10->Value(ArrayOf({0xEE})); }, 5, "", "Expected 2 bytes, not 1.");
  EXPECT_EQ(node->ReadConfigData(0, 9).bytes, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9})) << "a refused write changes nothing";

  const std::weak_ptr<C472VirtualNode> weakNode = node;
  node.reset();
  EXPECT_TRUE(weakNode.expired()) << "a held NV does not keep its node";
  nv->Value(ArrayOf({4, 5, 6}));
  EXPECT_EQ(nv->Value().AsBytes()->bytes, (Bytes{4, 5, 6}));
}

TEST_F(PopulationTest, TrueAndTheFileReadOnlyWithConfigurationDataAndObjectsFromTheSelfDoc) {
  // The object list is the SelfDoc's part between "@" and ";", only when it starts with "&".
  const std::string cp = "<CPs>" + Cp("C1", 2, "10") + "</CPs>", io = "<NVIs>" + Nv("N1", 1, "@0|1") + "</NVIs>";
  const std::tuple<std::string, const char*, bool, int> cases[] = {
      {io + "<NVOs>" + Nv("N2", 1, "@0|1") + "</NVOs><NCIs/>", "&amp;3.4@0,3,3", false, 4},
      {"<NCIs>" + Nv("N1", 1, "&amp;0,0") + "</NCIs>", "&amp;3.4@0;x,3@9", true, 2},
      {"<CPs>" + Nv("N1", 1, "&amp;0,0") + "</CPs><NCIs>" + Cp("C1", 2, "10") + "</NCIs>", "&amp;3.4@0,3", false, 3},
      {cp, "3.4@0,3;x", true, 0}, {cp, "&amp;3.4;x", true, 0}};
  const std::string kiv = dir_.Write("a.kiv", "");
  for (const auto& [points, selfDoc, populated, objects] : cases) {
    paths_->clear();
    const auto node = MakeNode(points, selfDoc);
    EXPECT_EQ(node->PopulateDevice(kiv), populated) << points;
    EXPECT_EQ(paths_->size(), populated ? 1u : 0u) << points;
    EXPECT_EQ(node->ObjectCount(), objects) << selfDoc;
  }
}

TEST_F(PopulationTest, LaterCallsOnlyRereadTheFileAndARefusedFileLeavesNoData) {
  const auto node = MakeNode(kPoints);
  const std::string first = dir_.Write("first.kiv", ""), second = dir_.Write("second.kiv", "");
  ASSERT_TRUE(node->PopulateDevice(first));
  const auto nv = node->NetworkVariables()->Item("7");
  MakeNode("<CPs>" + Cp("C5", 1, "50") + "</CPs>", "&amp;3.4@0,3,3;Other");
  EXPECT_TRUE(node->PopulateDevice(second));
  EXPECT_EQ(*paths_, (std::vector<std::string>{first, second}));
  EXPECT_EQ(node->NetworkVariables()->Item("7"), nv) << "points are built once";
  node->Refresh();
  std::filesystem::remove(second);
  node->Refresh();
  EXPECT_EQ(paths_->size(), 3u) << "Refresh rereads the file only while it exists";
  EXPECT_FALSE(node->PopulateDevice(dir_.Write("bad.kiv", "")));
  node->Refresh();
  EXPECT_EQ(paths_->size(), 4u) << "Refresh reads nothing for a node without data";
}

TEST_F(PopulationTest, PendingPointsTakeTheObjectOfTheNVTheyNameInListOrder) {
  // The list holds CPs, then NCIs, then NVIs: CP 40 names NV 8 before NV 8 has its object.
  const auto node = MakeNode("<CPs>" + Cp("C1", 1, "30|2|0-1|9") + Cp("C2", 1, "20|2|0-49|7") +
                             Cp("C3", 1, "40|2|0-1|8") + "</CPs><NCIs>" + Nv("N8", 1, "&amp;2,7") +
                             Nv("N6", 1, "&amp;2,8") + "</NCIs><NVIs>" + Nv("N7", 1, "@1|1") + "</NVIs>");
  ASSERT_TRUE(node->PopulateDevice(""));
  const auto cps = node->ConfigurationProperties();
  const auto id = [](const auto& point) { return std::dynamic_pointer_cast<IC472VirtualObj>(point)->LMObjectID(); };
  const auto nv6 = node->NetworkVariables()->Item("6");
  const std::vector<std::int32_t> ids{id(cps->Item(30)), id(cps->Item(20)), id(cps->Item(40)), id(nv6)};
  EXPECT_EQ(ids, (std::vector<std::int32_t>{-2, 1, -2, 1}));
  std::string name;
  std::int16_t type = 0;
  std::int32_t resource = 0;
  const auto object1 = std::dynamic_pointer_cast<I709LMObject>(node->GetObject(2, name, type, resource).AsObject());
  EXPECT_EQ(object1->ConfigurationProperties()->Item(1), cps->Item(20));
  EXPECT_EQ(object1->NetworkVariables()->Count(), 3);
}

TEST_F(PopulationTest, APendingLinkRoundsItsSelectTextHalvesToEven) {
  // CP 10 names NV "2.5" (NV 2's object), CP 11 names "3.5" (NV 4's object).
  const auto node = MakeNode("<CPs>" + Cp("C1", 1, "10|2|0-1|2.5") + Cp("C2", 1, "11|2|0-1|3.5") +
                             "</CPs><NVIs>" + Nv("N2", 1, "@0|1") + Nv("N4", 1, "@1|1") + "</NVIs>");
  ASSERT_TRUE(node->PopulateDevice(""));
  const auto id = [&](int key) {
    return std::dynamic_pointer_cast<IC472VirtualObj>(node->ConfigurationProperties()->Item(key))->LMObjectID();
  };
  EXPECT_EQ(id(10), 0);
  EXPECT_EQ(id(11), 1);
}

TEST_F(PopulationTest, AFailedPopulationLeavesTheNodeAsItWasAndALaterCallBuildsItAll) {
  // NV 5's self-documentation lacks its "&", so it shows a box: the host's box throws.
  const auto node = MakeNode("<CPs>" + Cp("C1", 2, "10") + "</CPs><NCIs>" + Nv("N4", 1, "&amp;0,0", "04") +
                             Nv("N5", 1, "0,0") + Nv("N6", 1, "&amp;0,0", "06") + "</NCIs>");
  SetMessageBoxHandler([](const std::string&, const std::string&, int) -> int { throw AutomationError(1001, "Host"); });
  ExpectAutomationError([&] { node->PopulateDevice(""); }, 1001, "Host");
  SetMessageBoxHandler(nullptr);
  EXPECT_EQ(node->ObjectCount(), 0);
  EXPECT_FALSE(node->NetworkVariables());
  EXPECT_FALSE(node->ConfigurationProperties());
  ExpectAutomationError([&] { node->ReadConfigData(0, 1); }, 5);

  test::MessageBoxRecorder boxes;
  ASSERT_TRUE(node->PopulateDevice(""));
  EXPECT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(node->NetworkVariables()->Count(), 3);
  EXPECT_EQ(node->ReadConfigData(0, 5).bytes, (Bytes{0, 0, 4, 0, 6}));
  EXPECT_EQ(node->NetworkVariables()->Item("6")->Value().AsBytes()->bytes, Bytes{6});
}

TEST_F(PopulationTest, ABlockBeyondTheLimitIsRefusedBeforeAnythingIsAllocated) {
  // 40 CPs of the largest size make about 1.3 MB, past the 1 MiB limit; NCIs alone too.
  std::string cps, ncis, half;
  for (int i = 1; i <= 40; ++i) {
    cps += Cp("C" + std::to_string(i), 32767, std::to_string(i));
    ncis += Nv("N" + std::to_string(i), 32767, "&amp;0,0");
    if (i == 20) half = cps;
  }
  for (const std::string& points : {"<CPs>" + cps + "</CPs>", "<NCIs>" + ncis + "</NCIs>"}) {
    const auto node = MakeNode(points);
    ExpectAutomationError([&] { node->PopulateDevice(""); }, 7, "PopulateDevice",
                          "The configuration data block would take 1310680 bytes, more than the limit of 1048576 bytes.");
    EXPECT_FALSE(node->NetworkVariables());
  }
  // Just inside the limit, population goes ahead.
  EXPECT_TRUE(MakeNode("<CPs>" + half + "</CPs>")->PopulateDevice(""));
}

// A reader sees a view of exactly the block; what it writes counts only when it
// answers true, and a reader that throws changes nothing of the node.
struct ScriptedReader : IKivReader {
  enum class Answer { Fill, FillButRefuse, Throw };
  explicit ScriptedReader(Answer a, std::shared_ptr<std::size_t> seen) : answer(a), viewSize(std::move(seen)) {}
  bool ReadKiv(const std::string&, const std::string&, std::span<std::uint8_t> block) override {
    *viewSize = block.size();
    std::fill(block.begin(), block.end(), 0xAB);
    if (answer == Answer::Throw) throw AutomationError(53, "Reader");
    return answer == Answer::Fill;
  }
  Answer answer;
  std::shared_ptr<std::size_t> viewSize;
};

TEST_F(PopulationTest, TheReaderFillsAFixedViewThatCountsOnlyWhenItSucceeds) {
  const auto seen = std::make_shared<std::size_t>(0);
  const auto use = [&](ScriptedReader::Answer answer) {
    SetKivReaderFactory([answer, seen] { return std::make_unique<ScriptedReader>(answer, seen); });
  };
  const auto node = MakeNode(kPoints);
  const std::string kiv = dir_.Write("device.kiv", "");
  use(ScriptedReader::Answer::Throw);
  ExpectAutomationError([&] { node->PopulateDevice(kiv); }, 53, "Reader");
  EXPECT_FALSE(node->NetworkVariables()) << "nothing of the failed call is kept";
  EXPECT_EQ(node->ConfigurationFile(), "");

  use(ScriptedReader::Answer::FillButRefuse);
  EXPECT_FALSE(node->PopulateDevice(kiv));
  EXPECT_EQ(*seen, 10u) << "9 bytes of data and the spare byte";
  EXPECT_EQ(node->ReadConfigData(6, 3).bytes, (Bytes{0x0A, 0x0B, 0x0C})) << "a refusing reader leaves the defaults";

  const auto second = MakeNode(kPoints);
  use(ScriptedReader::Answer::Fill);
  EXPECT_TRUE(second->PopulateDevice(kiv));
  EXPECT_EQ(second->ReadConfigData(0, 9).bytes, Bytes(9, 0xAB));
}

}  // namespace
}  // namespace vemo
