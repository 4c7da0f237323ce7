#include <string>

#include "common/test_support.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/I709Node.h"

namespace vemo {
namespace {

using test::ExpectAutomationError;

constexpr const char* kId = "80000A1B2C3D0401";
// 16 and 4 characters in 64 and 5 bytes; "P" and the ID is longer than the index keeps.
const std::string kWideId = [] {
  std::string id;
  for (int i = 0; i < 16; ++i) id += "\xF0\x9D\x84\x9E";
  return id;
}();
const std::string kWideCode = "\xC3\x84" "B12";

class FactoryCreateTest : public ::testing::Test {
 protected:
  FactoryCreateTest() { dir_.Write("devices.xml", test::Catalogue(test::Device(kId, "AB12") + test::Device(kWideId, kWideCode))); }
  std::string UniqueNodeNum(cFactory& factory) {
    const auto record = factory.CreateProgIDInfo(kId, dir_.path());
    const auto node = std::dynamic_pointer_cast<I709Node>(factory.CreateVirtualC472Node(record));
    return node ? node->UniqueNodeNum() : "no node";
  }

  test::TempDir dir_;
  test::MessageBoxRecorder boxes_;
  cFactory factory_;
};

TEST_F(FactoryCreateTest, TrimmedIDFindsTheDeviceAndAnUnknownIDGivesNothing) {
  const std::string folder = " " + dir_.path() + " ";
  for (const std::string& id : {" " + std::string(kId) + "  ", std::string(" AB12 "), kWideId, kWideCode}) {
    EXPECT_NE(factory_.CreateProgIDInfo(id, folder), nullptr) << "[" << id << "]";
  }
  for (const std::string& id : {" " + std::string(kId) + " ", kWideId}) EXPECT_NE(factory_.CreateProgIDConfigInfo(id, folder), nullptr);
  EXPECT_EQ(factory_.CreateProgIDInfo("80000A1B2C3D04FF", dir_.path()), nullptr);
  EXPECT_EQ(factory_.CreateProgIDInfo("FFFF", dir_.path()), nullptr);
  EXPECT_EQ(factory_.CreateProgIDConfigInfo("80000A1B2C3D04FF", dir_.path()), nullptr);
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(FactoryCreateTest, MissingFolderIsReportedBeforeABadIDLength) {
  test::ScopedConfigPathService service(dir_.slash() + "no-service-folder");
  test::ScopedDefaultFolder defaults(dir_.slash() + "no-default-folder");
  for (const char* id : {kId, "AB1"}) {
    ExpectAutomationError([&] { factory_.CreateProgIDInfo(id, dir_.slash() + "missing"); }, 76, "CreateProgIDInfo",
                          "Folder not found");
    ExpectAutomationError([&] { factory_.CreateProgIDConfigInfo(id, dir_.slash() + "missing"); }, 76,
                          "CreateProgIDConfigInfo", "Folder not found");
  }
  for (const char* id : {"", "AB1", "80000A1B2C3D04011"}) {
    ExpectAutomationError([&] { factory_.CreateProgIDInfo(id, dir_.path()); }, 380, "CreateProgIDInfo",
                          "Invalid value for sProgID, must be 4 or 16 chars long!");
  }
  for (const char* id : {"AB12", "80000A1B2C3D040"}) {
    ExpectAutomationError([&] { factory_.CreateProgIDConfigInfo(id, dir_.path()); }, 380, "CreateProgIDConfigInfo",
                          "Invalid value for sProgID, must be 16 chars long!");
  }
}

TEST_F(FactoryCreateTest, NodesAreNumberedPerFactory) {
  EXPECT_EQ(UniqueNodeNum(factory_), "FFFF00000000");
  EXPECT_EQ(factory_.CreateVirtualC472Node(nullptr), nullptr);
  EXPECT_EQ(UniqueNodeNum(factory_), "FFFF00000001");
  cFactory second;
  EXPECT_EQ(UniqueNodeNum(second), "FFFF00000000");
  EXPECT_EQ(UniqueNodeNum(factory_), "FFFF00000002");
  for (int node = 4; node <= 10; ++node) UniqueNodeNum(factory_);
  EXPECT_EQ(UniqueNodeNum(factory_), "FFFF0000000A") << "the eleventh node";
}

}  // namespace
}  // namespace vemo
