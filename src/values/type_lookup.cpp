#include <algorithm>

#include "platform/number_text.h"
#include "values/scaling.h"
#include "values/type_table.h"
#include "vemosupport/I709ConfigurationProperty.h"
#include "vemosupport/I709NetworkVariable.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/I709Node.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/types.h"

namespace vemo {

namespace {

using values::Table;
using values::TypeEntry;

std::optional<DataType> Find(TypeCategory category, int index) {
  const auto types = Table().types;
  const auto at = std::lower_bound(types.begin(), types.end(), std::pair(category, index), [](const TypeEntry& e, const auto& key) {
    return std::pair(e.category, e.index) < key;
  });
  if (at == types.end() || at->category != category || at->index != index) return std::nullopt;
  return DataType(*at);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Names compared as the table sorts them: ASCII letters without regard to case.
int Compare(std::string_view a, std::string_view b) {
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return Lower(a[i]) < Lower(b[i]) ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

std::vector<std::uint8_t> Bytes(const TypeEntry& entry, std::int32_t at) {
  if (at < 0) return {};
  const auto bytes = Table().bytes.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(entry.size));
  return {bytes.begin(), bytes.end()};
}

// Field `n` (from 0) of a CP's definition record "key|appliesTo|flag-type|select".
std::string RecordField(const std::string& record, int n) {
  std::size_t start = 0;
  for (int i = 0; i < n; ++i) {
    start = record.find('|', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  return record.substr(start, record.find('|', start) - start);
}

}  // namespace

TypeCategory DataType::Category() const { return entry_->category; }
int DataType::Index() const { return entry_->index; }
std::string_view DataType::Name() const { return entry_->name; }
int DataType::Size() const { return entry_->size; }
bool DataType::Inherits() const { return entry_->size == 0; }
std::string_view DataType::Unit() const {
  std::string_view unit = entry_->unit;
  if (entry_->size > 0) values::Resolve(entry_->descriptor, unit);  // a reference lends its unit
  return unit;
}
std::vector<std::uint8_t> DataType::DefaultBytes() const { return Bytes(*entry_, entry_->defaultAt); }
std::vector<std::uint8_t> DataType::MinimumBytes() const { return Bytes(*entry_, entry_->minimumAt); }
std::vector<std::uint8_t> DataType::MaximumBytes() const { return Bytes(*entry_, entry_->maximumAt); }

std::optional<DataType> FindSnvtType(int index) { return Find(TypeCategory::kSnvt, index); }
std::optional<DataType> FindScptType(int index) { return Find(TypeCategory::kScpt, index); }

std::optional<DataType> FindTypeByName(std::string_view name) {
  const auto order = Table().byName;
  const auto at = std::lower_bound(order.begin(), order.end(), name, [](std::uint16_t i, std::string_view wanted) {
    return Compare(Table().types[i].name, wanted) < 0;
  });
  if (at == order.end() || Compare(Table().types[*at].name, name) != 0) return std::nullopt;
  return DataType(Table().types[*at]);
}

std::optional<DataType> TypeOf(const I709NetworkVariable& nv) {
  return nv.NVType() > 0 ? FindSnvtType(nv.NVType()) : std::nullopt;
}

std::optional<DataType> TypeOf(const I709ConfigurationProperty& cp, const I709NetworkVariable* appliesTo) {
  if (!cp.StandardType()) return std::nullopt;
  const std::optional<DataType> type = FindScptType(cp.CPType());
  if (type && type->Inherits()) return appliesTo ? TypeOf(*appliesTo) : std::nullopt;
  return type;
}

std::optional<DataType> TypeOf(const I709ConfigurationProperty& cp, const I709Node& node) {
  const std::optional<DataType> own = cp.StandardType() ? FindScptType(cp.CPType()) : std::nullopt;
  if (!own || !own->Inherits()) return own;
  const std::string record = cp.Name();
  const std::optional<std::int32_t> appliesTo = TryRoundToInt32(LeadingNumber(RecordField(record, 1)));
  const std::optional<std::int32_t> nvIndex = TryRoundToInt32(LeadingNumber(RecordField(record, 3)));
  if (appliesTo != 2 || !nvIndex) return std::nullopt;
  std::shared_ptr<I709NetworkVariable> nv;
  try {
    nv = node.NetworkVariables()->Item(Variant(std::to_string(*nvIndex)));
  } catch (const AutomationError&) {
    return std::nullopt;  // no such NV: the value stays bytes
  }
  return nv ? TypeOf(cp, nv.get()) : std::nullopt;
}

}  // namespace vemo
