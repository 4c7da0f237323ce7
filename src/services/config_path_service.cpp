#include "services/config_path_service.h"

#include <cstdlib>

#include "platform/hook.h"
#include "vemosupport/automation_error.h"

namespace vemo {

namespace {

platform::Hook<ConfigPathServiceFactory>& Factory() {
  static platform::Hook<ConfigPathServiceFactory> factory;
  return factory;
}

}  // namespace

void SetConfigPathServiceFactory(ConfigPathServiceFactory factory) {
  Factory().Set(factory ? std::make_shared<const ConfigPathServiceFactory>(std::move(factory)) : nullptr);
}

namespace services {

Variant EnvironmentConfigPathService::GetConfigPath(std::int32_t selector) {
  if (selector != 1) return Variant(std::string());
  const char* path = std::getenv("VEMO_CONFIG_PATH");
  return Variant(std::string(path ? path : ""));
}

std::unique_ptr<IConfigPathService> CreateConfigPathService() {
  const std::shared_ptr<const ConfigPathServiceFactory> factory = Factory().Get();
  if (!factory) return std::make_unique<EnvironmentConfigPathService>();
  std::unique_ptr<IConfigPathService> service = (*factory)();
  if (!service) throw AutomationError(err::kObjectNotSet, "ConfigPathService");
  return service;
}

}  // namespace services

}  // namespace vemo
