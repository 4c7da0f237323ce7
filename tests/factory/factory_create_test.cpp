#include <string>
#include <thread>

#include "common/test_support.h"
#include "factory/cFactory.h"
#include "interfaces/I709Node.h"

namespace vemo {
namespace {

using test::Catalogue;
using test::Device;
using test::ExpectAutomationError;

constexpr const char* kId = "80000A1B2C3D0401";
constexpr const char* kCode = "AB12";
constexpr const char* kLengthError = "Invalid value for sProgID, must be 4 or 16 chars long!";
constexpr const char* kConfigLengthError = "Invalid value for sProgID, must be 16 chars long!";

class FactoryCreateTest : public ::testing::Test {
 protected:
  FactoryCreateTest() {
    dir_.Write("devices.xml", Catalogue(Device(kId, kCode, "<ConfigInfo Level=\"1\"><Data>00</Data></ConfigInfo>") +
                                        Device("80000A1B2C3D0402")));
  }
  std::string UniqueNodeNum(cFactory& factory) {
    const auto record = factory.CreateProgIDInfo(kId, dir_.path());
    const auto node = std::dynamic_pointer_cast<I709Node>(factory.CreateVirtualC472Node(record));
    return node ? node->UniqueNodeNum() : "no node";
  }

  test::TempDir dir_;
  test::MessageBoxRecorder boxes_;
  cFactory factory_;
};

TEST_F(FactoryCreateTest, ProgramIDAndDeviceCodeFindTheSameDeviceWithSpacesTrimmed) {
  for (const std::string& id :
       {std::string(kId), " " + std::string(kId) + "  ", std::string(kCode), std::string(" AB12 ")}) {
    const auto record = factory_.CreateProgIDInfo(id, " " + dir_.path() + " ");
    ASSERT_NE(record, nullptr) << "[" << id << "]";
    EXPECT_EQ(record->ProgramID(), kId);
    EXPECT_EQ(record->DeviceCode(), kCode);
    EXPECT_EQ(record->XMLFilename(), dir_.slash() + "devices.xml");
  }
  const auto config = factory_.CreateProgIDConfigInfo(" " + std::string(kId) + " ", " " + dir_.path() + " ");
  ASSERT_NE(config, nullptr);
  EXPECT_EQ(config->ProgramID(), std::string("P") + kId);
  EXPECT_TRUE(config->IsValid());
}

TEST_F(FactoryCreateTest, UnknownWellFormedIDGivesNothingWithoutError) {
  EXPECT_EQ(factory_.CreateProgIDInfo("80000A1B2C3D04FF", dir_.path()), nullptr);
  EXPECT_EQ(factory_.CreateProgIDInfo("FFFF", dir_.path()), nullptr);
  EXPECT_EQ(factory_.CreateProgIDConfigInfo("80000A1B2C3D04FF", dir_.path()), nullptr);
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(FactoryCreateTest, IDOfAnyOtherLengthIsAnInvalidValue) {
  for (const char* id : {"", "   ", "AB1", "AB123", "80000A1B2C3D040", "80000A1B2C3D04011"}) {
    ExpectAutomationError([&] { factory_.CreateProgIDInfo(id, dir_.path()); }, 380, "CreateProgIDInfo", kLengthError);
  }
  for (const char* id : {"", "AB12", "AB123", "80000A1B2C3D040"}) {
    ExpectAutomationError([&] { factory_.CreateProgIDConfigInfo(id, dir_.path()); }, 380, "CreateProgIDConfigInfo",
                          kConfigLengthError);
  }
}

TEST_F(FactoryCreateTest, MissingFolderIsReportedBeforeTheIDIsChecked) {
  test::ScopedConfigPathService service(dir_.slash() + "no-service-folder");
  test::ScopedDefaultFolder defaults(dir_.slash() + "no-default-folder");
  const std::string missing = dir_.slash() + "missing";
  for (const std::string& id : {std::string(kId), std::string(kCode), std::string(), std::string("X")}) {
    cFactory factory;
    ExpectAutomationError([&] { factory.CreateProgIDInfo(id, missing); }, 76, "CreateProgIDInfo", "Folder not found");
    ExpectAutomationError([&] { factory.CreateProgIDConfigInfo(id, missing); }, 76, "CreateProgIDConfigInfo",
                          "Folder not found");
  }
}

TEST_F(FactoryCreateTest, DeviceWithoutDevInfoRaisesObjectNotSet) {
  std::shared_ptr<IVemoProgIDInfo> record;
  ExpectAutomationError([&] { record = factory_.CreateProgIDInfo("80000A1B2C3D0402", dir_.path()); }, 91);
  EXPECT_EQ(record, nullptr);
}

TEST_F(FactoryCreateTest, NodesAreNumberedPerFactory) {
  EXPECT_EQ(UniqueNodeNum(factory_), "FFFF00000000");
  EXPECT_EQ(UniqueNodeNum(factory_), "FFFF00000001");
  EXPECT_EQ(factory_.CreateVirtualC472Node(nullptr), nullptr);
  EXPECT_EQ(UniqueNodeNum(factory_), "FFFF00000002");
  cFactory second;
  EXPECT_EQ(UniqueNodeNum(second), "FFFF00000000");
  EXPECT_EQ(UniqueNodeNum(factory_), "FFFF00000003");
}

TEST_F(FactoryCreateTest, ApplicationFactoryIsOnePerThread) {
  cFactory* const here = &ApplicationFactory();
  EXPECT_EQ(&ApplicationFactory(), here);
  const std::string first = UniqueNodeNum(ApplicationFactory());
  const std::string next = UniqueNodeNum(ApplicationFactory());
  EXPECT_EQ(std::stoul(next, nullptr, 16), std::stoul(first, nullptr, 16) + 1) << first << " " << next;

  cFactory* there = nullptr;
  std::string threadFirst;
  std::thread([&] {
    there = &ApplicationFactory();
    threadFirst = UniqueNodeNum(ApplicationFactory());
  }).join();
  EXPECT_NE(there, here);
  EXPECT_EQ(threadFirst, "FFFF00000000");
}

}  // namespace
}  // namespace vemo
