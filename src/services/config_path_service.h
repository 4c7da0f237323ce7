#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/variant.h"

namespace vemo::services {

// The outside component that names the installed catalogue folder.
class IConfigPathService {
 public:
  virtual ~IConfigPathService() = default;
  // The folder for `selector` (the factory always asks for 1), as a variant value.
  virtual Variant GetConfigPath(std::int32_t selector) = 0;
};

// Selector 1 answers the environment variable VEMO_CONFIG_PATH (empty when unset);
// other selectors answer empty.
class EnvironmentConfigPathService : public IConfigPathService {
 public:
  Variant GetConfigPath(std::int32_t selector) override;
};

using ConfigPathServiceFactory = std::function<std::unique_ptr<IConfigPathService>()>;

// Creates the service, as the factory does on demand. A failure of the host's factory
// reaches the caller.
std::unique_ptr<IConfigPathService> CreateConfigPathService();

// Replaces the service for the whole process; an empty factory restores the default.
void SetConfigPathServiceFactory(ConfigPathServiceFactory factory);

}  // namespace vemo::services
