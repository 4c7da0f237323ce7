#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "vemosupport/I709ConfigurationProperty.h"
#include "vemosupport/I709NetworkVariable.h"
#include "vemosupport/I709Node.h"
#include "vemosupport/enumerator.h"

namespace vemo::cli {

// The members of a collection's enumeration that answer interface T, in order.
template <class T>
std::vector<std::shared_ptr<T>> Members(const std::shared_ptr<Enumerator>& enumerator) {
  std::vector<std::shared_ptr<T>> members;
  if (!enumerator) return members;
  while (const std::optional<Variant> item = enumerator->Next()) {
    if (auto member = std::dynamic_pointer_cast<T>(item->AsObject())) members.push_back(std::move(member));
  }
  return members;
}

// The node's data points as live objects, in the order of its collections.
std::vector<std::shared_ptr<I709NetworkVariable>> NetworkVariables(const I709Node& node);
std::vector<std::shared_ptr<I709ConfigurationProperty>> ConfigurationProperties(const I709Node& node);

}  // namespace vemo::cli
