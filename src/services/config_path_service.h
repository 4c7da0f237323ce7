#pragma once

#include <memory>

#include "vemosupport/host.h"

namespace vemo::services {

// Selector 1 answers the environment variable VEMO_CONFIG_PATH (empty when unset);
// other selectors answer empty.
class EnvironmentConfigPathService : public IConfigPathService {
 public:
  Variant GetConfigPath(std::int32_t selector) override;
};

// Creates the service, as the factory does on demand. A failure of the host's factory
// reaches the caller; a factory that gives no service raises error 91.
std::unique_ptr<IConfigPathService> CreateConfigPathService();

}  // namespace vemo::services
