#include <cstdlib>
#include <optional>
#include <string>

#include "common/test_support.h"
#include "services/config_path_service.h"

namespace vemo::services {
namespace {

// Puts VEMO_CONFIG_PATH back as it was when it goes.
struct RestoreConfigPath {
  const char* old = std::getenv("VEMO_CONFIG_PATH");
  std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  ~RestoreConfigPath() { saved ? setenv("VEMO_CONFIG_PATH", saved->c_str(), 1) : unsetenv("VEMO_CONFIG_PATH"); }
};

TEST(ConfigPathService, DefaultAnswersTheEnvironmentUntilTheHostReplacesIt) {
  RestoreConfigPath restore;
  setenv("VEMO_CONFIG_PATH", "/from/environment/", 1);
  const auto service = CreateConfigPathService();
  EXPECT_EQ(service->GetConfigPath(1).ToText(), "/from/environment/");
  EXPECT_EQ(service->GetConfigPath(2).ToText(), "");
  {
    test::ScopedConfigPathService host("/from/host/");
    EXPECT_EQ(CreateConfigPathService()->GetConfigPath(1).ToText(), "/from/host/");
    EXPECT_EQ(host.calls(), 1);
  }
  EXPECT_EQ(CreateConfigPathService()->GetConfigPath(1).ToText(), "/from/environment/");
  unsetenv("VEMO_CONFIG_PATH");
  EXPECT_EQ(service->GetConfigPath(1).ToText(), "");
}

}  // namespace
}  // namespace vemo::services
