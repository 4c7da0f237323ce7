#include "catalogue/catalogue_values.h"

#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/IC472VirtualCP.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/enumerator.h"
#include "vemosupport/types.h"

namespace vemo {

namespace {

// "state 7" for each enumeration number of the value that names no member; a union's
// members other than the one it holds are not read.
void UnnamedMembers(const Value& value, const std::string& path, std::vector<std::string>& found) {
  if (value.kind == Value::Kind::kEnumeration && value.member.empty() && !value.invalid) {
    found.push_back((path.empty() ? "" : path + " ") + Format(value));
  }
  for (std::size_t i = 0; i < value.items.size(); ++i) {
    if (value.kind == Value::Kind::kUnion && i != value.active) continue;
    const std::string name = value.items[i].name.empty() ? std::to_string(i) : value.items[i].name;
    UnnamedMembers(value.items[i], path.empty() ? name : path + "." + name, found);
  }
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

std::vector<std::uint8_t> BytesOf(const Variant& value) {
  const ByteArray* bytes = value.AsBytes();
  return bytes ? bytes->bytes : std::vector<std::uint8_t>{};
}

void CheckValue(const std::string& label, const std::optional<DataType>& type, const Variant& value,
                const std::string& source, std::vector<ValueFinding>& findings) {
  if (!type || type->Size() == 0) return;
  const std::vector<std::uint8_t> bytes = BytesOf(value);
  // A size that is not the type's is the size check's to report.
  if (bytes.size() != static_cast<std::size_t>(type->Size())) return;
  const std::string subject = label + " (" + std::string(type->Name()) + "): its " + source + " ";
  const std::string raw(bytes.begin(), bytes.end());
  const Value decoded = Decode(*type, bytes);
  if (const std::vector<std::string> outside = RangeProblems(decoded); !outside.empty()) {
    findings.push_back({"value-out-of-range", label, raw, subject + Joined(outside) +
                                                  ". A host reading it gets a value the type does not allow; "
                                                  "give it one inside the range."});
  }
  std::vector<std::string> unnamed;
  UnnamedMembers(decoded, "", unnamed);
  if (!unnamed.empty()) {
    findings.push_back({"unnamed-member", label, raw, subject + Joined(unnamed) + " names no member of its enumeration. Give it "
                                                                      "the number of a member."});
  }
}

}  // namespace

std::vector<ValueFinding> CheckNodeValues(I709Node& node, const std::string& source) {
  std::vector<ValueFinding> findings;
  if (const auto cps = node.ConfigurationProperties()) {
    for (const auto& cp : Members<I709ConfigurationProperty>(cps->NewEnum())) {
      const std::string label = "CP " + std::to_string(dynamic_cast<const IC472VirtualCP&>(*cp).Key());
      CheckValue(label, TypeOf(*cp, node), cp->Value(), source, findings);
    }
  }
  if (const auto nvs = node.NetworkVariables()) {
    for (const auto& nv : Members<I709NetworkVariable>(nvs->NewEnum())) {
      if (!nv->IsConfigurationVariable()) continue;
      CheckValue("NV " + std::to_string(nv->Index()) + " " + nv->Name(), TypeOf(*nv), nv->Value(), source, findings);
    }
  }
  return findings;
}

}  // namespace vemo
