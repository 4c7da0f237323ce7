#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "vemosupport/I709ConfigurationProperty.h"
#include "vemosupport/I709NetworkVariable.h"
#include "vemosupport/I709Node.h"
#include "vemosupport/enumerator.h"

namespace vemo::cli {

// The node's data points as live objects, in the order of its collections.
std::vector<std::shared_ptr<I709NetworkVariable>> NetworkVariables(const I709Node& node);
std::vector<std::shared_ptr<I709ConfigurationProperty>> ConfigurationProperties(const I709Node& node);

}  // namespace vemo::cli
