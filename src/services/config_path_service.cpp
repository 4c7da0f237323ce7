#include "services/config_path_service.h"

#include <cstdlib>

#include "platform/automation_error.h"

namespace vemo::services {

namespace {

ConfigPathServiceFactory& Factory() {
  static ConfigPathServiceFactory factory;
  return factory;
}

}  // namespace

Variant EnvironmentConfigPathService::GetConfigPath(std::int32_t selector) {
  if (selector != 1) return Variant(std::string());
  const char* path = std::getenv("VEMO_CONFIG_PATH");
  return Variant(std::string(path ? path : ""));
}

std::unique_ptr<IConfigPathService> CreateConfigPathService() {
  const ConfigPathServiceFactory& factory = Factory();
  if (!factory) return std::make_unique<EnvironmentConfigPathService>();
  std::unique_ptr<IConfigPathService> service = factory();
  if (!service) throw AutomationError(err::kObjectNotSet, "ConfigPathService");
  return service;
}

void SetConfigPathServiceFactory(ConfigPathServiceFactory factory) { Factory() = std::move(factory); }

}  // namespace vemo::services
