#include <cstdlib>
#include <optional>
#include <string>

#include "common/test_support.h"
#include "services/config_path_service.h"

namespace vemo::services {
namespace {

// Sets VEMO_CONFIG_PATH (or unsets it with nullopt) and puts the old value back when it goes.
class ScopedConfigPath {
 public:
  ScopedConfigPath() {
    if (const char* value = std::getenv("VEMO_CONFIG_PATH")) old_ = value;
  }
  ~ScopedConfigPath() { Set(old_); }
  void Set(const std::optional<std::string>& value) {
    value ? setenv("VEMO_CONFIG_PATH", value->c_str(), 1) : unsetenv("VEMO_CONFIG_PATH");
  }

 private:
  std::optional<std::string> old_;
};

TEST(ConfigPathService, DefaultAnswersTheEnvironmentForSelectorOne) {
  ScopedConfigPath environment;
  environment.Set("/opt/catalogue/");
  const auto service = CreateConfigPathService();
  EXPECT_EQ(service->GetConfigPath(1).ToText(), "/opt/catalogue/");
  EXPECT_EQ(service->GetConfigPath(2).ToText(), "");
  environment.Set(std::nullopt);
  EXPECT_EQ(service->GetConfigPath(1).ToText(), "");
}

TEST(ConfigPathService, HostFactoryReplacesTheServiceAndNullRestoresIt) {
  ScopedConfigPath environment;
  environment.Set("/from/environment/");
  {
    test::ScopedConfigPathService host("/from/host/");
    EXPECT_EQ(CreateConfigPathService()->GetConfigPath(1).ToText(), "/from/host/");
    EXPECT_EQ(host.calls(), 1);
  }
  EXPECT_EQ(CreateConfigPathService()->GetConfigPath(1).ToText(), "/from/environment/");
}

TEST(ConfigPathService, FailuresOfTheHostFactoryReachTheCaller) {
  test::ScopedConfigPathService restoresTheDefault("");
  SetConfigPathServiceFactory([] { return std::unique_ptr<IConfigPathService>(); });
  test::ExpectAutomationError([] { CreateConfigPathService(); }, err::kObjectNotSet);
  SetConfigPathServiceFactory(
      []() -> std::unique_ptr<IConfigPathService> { throw AutomationError(err::kInvalidValue); });
  test::ExpectAutomationError([] { CreateConfigPathService(); }, err::kInvalidValue);
}

}  // namespace
}  // namespace vemo::services
