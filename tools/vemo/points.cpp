#include "points.h"

#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709NetworkVariables.h"

namespace vemo::cli {

std::vector<std::shared_ptr<I709NetworkVariable>> NetworkVariables(const I709Node& node) {
  const auto nvs = node.NetworkVariables();
  return nvs ? Members<I709NetworkVariable>(nvs->NewEnum()) : std::vector<std::shared_ptr<I709NetworkVariable>>{};
}

std::vector<std::shared_ptr<I709ConfigurationProperty>> ConfigurationProperties(const I709Node& node) {
  const auto cps = node.ConfigurationProperties();
  return cps ? Members<I709ConfigurationProperty>(cps->NewEnum())
             : std::vector<std::shared_ptr<I709ConfigurationProperty>>{};
}

}  // namespace vemo::cli
