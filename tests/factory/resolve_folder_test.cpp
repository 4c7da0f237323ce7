#include <filesystem>
#include <string>
#include <tuple>

#include "common/test_support.h"
#include "factory/folder_resolution.h"
#include "services/config_path_service.h"

namespace vemo {
namespace {

class ResolveXMLFolderTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  const std::string caller_ = dir_.Mkdir("caller");
  const std::string service_ = dir_.Mkdir("service");
  const std::string default_ = dir_.Mkdir("default");
  const std::string missing_ = dir_.path() + "/missing";
  test::ScopedDefaultFolder defaults_{default_};
  std::string remembered_;  // the factory's folder
};

TEST_F(ResolveXMLFolderTest, CallerThenServiceThenDefaultFolder) {
  const std::string file = dir_.Write("file.xml", "<C5Devices/>");
  const std::tuple<std::string, std::string, std::string, int> cases[] = {
      {caller_, service_, caller_ + "/", 0},
      {caller_ + "/", service_, caller_ + "/", 0},
      {missing_, service_, service_ + "/", 1},
      {file, file, default_ + "/", 1},
  };
  for (const auto& [caller, servicePath, expected, calls] : cases) {
    test::ScopedConfigPathService service(servicePath);
    std::string remembered;
    EXPECT_EQ(ResolveXMLFolder(remembered, caller), expected) << caller;
    EXPECT_EQ(service.calls(), calls) << caller;
  }
}

TEST_F(ResolveXMLFolderTest, FoundFolderIsRememberedUntilItIsDeletedAndNothingIsNot) {
  test::ScopedConfigPathService service(service_);
  EXPECT_EQ(ResolveXMLFolder(remembered_, missing_), service_ + "/");
  // A caller's own folder is used but not remembered.
  EXPECT_EQ(ResolveXMLFolder(remembered_, caller_), caller_ + "/");
  EXPECT_EQ(ResolveXMLFolder(remembered_, ""), service_ + "/");
  EXPECT_EQ(service.calls(), 1);

  std::filesystem::remove_all(service_);
  EXPECT_EQ(ResolveXMLFolder(remembered_, missing_), default_ + "/");
  EXPECT_EQ(service.calls(), 2);

  std::filesystem::remove_all(default_);
  EXPECT_EQ(ResolveXMLFolder(remembered_, missing_), "");
  EXPECT_EQ(ResolveXMLFolder(remembered_, ""), "");
  EXPECT_EQ(service.calls(), 4);
}

TEST_F(ResolveXMLFolderTest, FailingServiceReachesTheCaller) {
  test::ScopedConfigPathService restore("");
  SetConfigPathServiceFactory(
      []() -> std::unique_ptr<IConfigPathService> { throw AutomationError(429, "Host", "no service"); });
  test::ExpectAutomationError([&] { ResolveXMLFolder(remembered_, missing_); }, 429, "Host", "no service");
}

}  // namespace
}  // namespace vemo
