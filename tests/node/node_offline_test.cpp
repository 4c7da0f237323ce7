#include <filesystem>
#include <string>
#include <thread>

#include "common/test_support.h"
#include "factory/cFactory.h"
#include "interfaces/I709Node.h"
#include "node/C472VirtualNode.h"
#include "services/kiv_reader.h"

namespace vemo {
namespace {

using test::ExpectAutomationError;

constexpr const char* kOfflineHex = "5B4F66666C696E655D";  // "[Offline]"

// A device with the given program ID and SelfDoc text, and one configuration CP.
std::string DeviceWithSelfDoc(const std::string& id, const std::string& selfDoc) {
  return "<C5Device ProgramID=\"P" + id + "\"><DevInfo><DeviceCode>" + id.substr(12) +
         "</DeviceCode><SelfDoc>" + selfDoc + "</SelfDoc></DevInfo>"
         "<CPs><CP Index=\"C1\" Size=\"2\"><Name>1|0|0-1</Name></CP></CPs></C5Device>\n";
}

class NodeOfflineTest : public ::testing::Test {
 protected:
  NodeOfflineTest() {
    dir_.Write("devices.xml", test::Catalogue(DeviceWithSelfDoc("8000000000000001", "&amp;3.4@0,3;Air handler;rev 2") +
                                              DeviceWithSelfDoc("8000000000000002", "no comment here") +
                                              DeviceWithSelfDoc("8000000000000003", "&amp;3.4@0;") +
                                              DeviceWithSelfDoc("8000000000000004", "")));
  }
  std::shared_ptr<C472VirtualNode> Node(const std::string& id = "8000000000000001") {
    auto record = factory_.CreateProgIDInfo(id, dir_.path());
    EXPECT_NE(record, nullptr) << id;
    return std::dynamic_pointer_cast<C472VirtualNode>(factory_.CreateVirtualC472Node(record));
  }

  test::TempDir dir_;
  test::MessageBoxRecorder boxes_;
  cFactory factory_;
};

TEST_F(NodeOfflineTest, FreshNodeHasNoObjectsAndNoConfigurationFile) {
  const std::shared_ptr<I709Node> node = Node();
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->ObjectCount(), 0);
  EXPECT_EQ(node->ConfigurationProperties(), nullptr);
  EXPECT_EQ(node->NetworkVariables(), nullptr);
  std::string name = "kept";
  std::int16_t type = 7;
  std::int32_t resource = 99;
  const Variant object = node->GetObject(0, name, type, resource);
  EXPECT_EQ(object.AsObject(), nullptr);
  EXPECT_EQ(name, "kept");
  EXPECT_EQ(type, 7);
  EXPECT_EQ(resource, 0);
  EXPECT_EQ(std::dynamic_pointer_cast<C472VirtualNode>(node)->ConfigurationFile(), "");
}

TEST_F(NodeOfflineTest, IdentityComesFromTheRecord) {
  const struct {
    const char* id;
    const char* selfDoc;
    const char* comment;
  } cases[] = {{"8000000000000001", "&3.4@0,3;Air handler;rev 2", "Air handler;rev 2"},
               {"8000000000000002", "no comment here", ""},
               {"8000000000000003", "&3.4@0;", ""},
               {"8000000000000004", "", ""}};
  for (const auto& c : cases) {
    const std::shared_ptr<I709Node> node = Node(c.id);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->ProgramID(), c.id);
    EXPECT_EQ(node->SelfDocumentation(), c.selfDoc);
    EXPECT_EQ(node->Comment(), c.comment) << c.selfDoc;
  }
}

TEST_F(NodeOfflineTest, NodeWithoutRecordRaisesObjectNotSetForItsIdentity) {
  const auto node = std::make_shared<C472VirtualNode>();
  ExpectAutomationError([&] { node->ProgramID(); }, 91);
  ExpectAutomationError([&] { node->SelfDocumentation(); }, 91);
  ExpectAutomationError([&] { node->Comment(); }, 91);
}

TEST_F(NodeOfflineTest, NetworkMembersGiveFixedOfflineAnswers) {
  const std::shared_ptr<I709Node> node = Node();
  EXPECT_EQ(node->Channel(), 0);
  EXPECT_EQ(node->MajorVersion(), 0);
  EXPECT_EQ(node->MinorVersion(), 0);
  node->Mode(3);
  EXPECT_EQ(node->Mode(), 1);
  node->State(6);
  EXPECT_EQ(node->State(), 4);
  EXPECT_EQ(node->GetDomain(0), "0");
  EXPECT_EQ(node->GetNode(0, 0), 0);
  EXPECT_EQ(node->GetSubnet(0), 0);
  EXPECT_FALSE(node->RespondToRequest("6D", "0000001F"));
  EXPECT_NO_THROW(node->Reset());
  EXPECT_NO_THROW(node->Wink());
  node->SendExplicitMessages(true);
  EXPECT_TRUE(node->SendExplicitMessages());
  node->SendExplicitMessages(false);
  EXPECT_FALSE(node->SendExplicitMessages());
}

TEST_F(NodeOfflineTest, ReadMemoryOf1FBytesIsAnsweredWithTheOfflineText) {
  const std::shared_ptr<I709Node> node = Node();
  const std::shared_ptr<I709Node> bare = std::make_shared<C472VirtualNode>();
  const struct {
    I709Node* node;
    const char* code;
    const char* data;
    bool answered;
  } cases[] = {{node.get(), "6d", "0000001f", true},     {node.get(), "6D", "0102031F", true},
               {node.get(), "6D", "001F", false},        {node.get(), "6E", "0000001F", false},
               {node.get(), "6D", "0000001E", false},    {node.get(), "6D", "000000001F", false},
               {bare.get(), "6D", "0000001F", false}};
  for (const auto& c : cases) {
    std::string data = c.data;
    EXPECT_TRUE(c.node->SendMessageWait(c.code, data, 4)) << c.code << " " << c.data;
    EXPECT_EQ(data, c.answered ? std::string(kOfflineHex) : std::string(c.data)) << c.code << " " << c.data;
  }
  // The reply is made per thread; another thread gets the same text.
  std::string there = "0000001F";
  std::thread([&there, &node] { node->SendMessageWait("6D", there, 4); }).join();
  EXPECT_EQ(there, kOfflineHex);
}

TEST(StringToHexTest, EachCharacterBecomesItsLatin1Code) {
  EXPECT_EQ(StringToHex("[Offline]"), kOfflineHex);
  EXPECT_EQ(StringToHex(""), "");
  EXPECT_EQ(StringToHex("\xC3\xA9"), "E9");              // é
  EXPECT_EQ(StringToHex("a\xE2\x82\xAC" "b"), "613F62");  // a€b
  EXPECT_EQ(StringToHex("\xF0\x9F\x98\x80"), "3F");       // one emoji, one character
}

TEST_F(NodeOfflineTest, ConfigDataIsReadAndWrittenWithinItsSize) {
  const auto node = Node();
  node->ConfigData()->Allocate(9);
  EXPECT_EQ(node->ConfigData()->DataSize(), 9);
  EXPECT_EQ(node->ConfigData()->Bytes().Count(), 10);
  EXPECT_EQ(node->ReadConfigData(7, 2).Count(), 2);
  ExpectAutomationError([&] { node->ReadConfigData(8, 2); }, 5);
  ExpectAutomationError([&] { node->ReadConfigData(3, 0); }, 9);

  ByteArray data;
  data.bytes = {0x11, 0x22, 0x33};
  data.lowerBound = 1;
  node->WriteConfigData(data, 7, 2);
  EXPECT_EQ(node->ReadConfigData(7, 2).bytes, (std::vector<std::uint8_t>{0x11, 0x22}));

  const ByteArray before = node->ConfigData()->Bytes();
  ByteArray one;
  one.bytes = {0x44};
  ExpectAutomationError([&] { node->WriteConfigData(one, 0, 2); }, 5);
  ExpectAutomationError([&] { node->WriteConfigData(data, -1, 2); }, 5);
  ExpectAutomationError([&] { node->WriteConfigData(data, 8, 2); }, 5);
  ExpectAutomationError([&] { node->WriteConfigData(data, 0, 0); }, 5);
  EXPECT_EQ(node->ConfigData()->Bytes(), before) << "a refused write changes nothing";
}

// Counts the reader's calls; the file's content does not matter to it.
class CountingReader : public services::IKivReader {
 public:
  explicit CountingReader(std::shared_ptr<int> calls) : calls_(std::move(calls)) {}
  bool ReadKiv(const std::string&, const std::string&, ByteArray&) override {
    ++*calls_;
    return true;
  }

 private:
  std::shared_ptr<int> calls_;
};

struct ScopedCountingReader {
  ScopedCountingReader() {
    services::SetKivReaderFactory([calls = calls] { return std::make_unique<CountingReader>(calls); });
  }
  ~ScopedCountingReader() { services::SetKivReaderFactory(nullptr); }
  std::shared_ptr<int> calls = std::make_shared<int>(0);
};

TEST_F(NodeOfflineTest, RefreshWithoutAnExistingConfigurationFileReadsNothing) {
  ScopedCountingReader reader;
  const auto fresh = Node();
  EXPECT_NO_THROW(fresh->Refresh());
  EXPECT_EQ(*reader.calls, 0);

  const auto node = Node();
  const std::string kiv = dir_.Write("device.kiv", "unused");
  ASSERT_TRUE(node->PopulateDevice(kiv));
  ASSERT_EQ(*reader.calls, 1);
  EXPECT_EQ(node->ConfigurationFile(), kiv);
  node->Refresh();
  EXPECT_EQ(*reader.calls, 2) << "an existing file is read again";

  std::filesystem::remove(kiv);
  EXPECT_NO_THROW(node->Refresh());
  EXPECT_EQ(*reader.calls, 2);
}

}  // namespace
}  // namespace vemo
