#include <algorithm>
#include <charconv>

#include "values/codec.h"
#include "values/scaling.h"
#include "vemosupport/automation_error.h"

namespace vemo {

std::vector<std::uint8_t> UpdateField(const DataType& type, std::span<const std::uint8_t> bytes,
                                      std::string_view assignment) {
  const values::TypeEntry& entry = type.Entry();
  const std::size_t equals = assignment.find('=');
  const std::string path(assignment.substr(0, equals == std::string_view::npos ? 0 : equals));
  try {
    if (equals == std::string_view::npos || path.empty()) values::Fail("expected FIELD=VALUE, not \"" + std::string(assignment) + "\"");
    if (entry.size == 0) values::Fail("takes the type of the NV it applies to");
    if (bytes.size() != static_cast<std::size_t>(entry.size)) {
      values::Fail("a value has " + std::to_string(entry.size) + " bytes, not " + std::to_string(bytes.size()));
    }
    // Walks the path down the layout to the field's layout and byte offset.
    std::int32_t descriptor = entry.descriptor;
    std::string_view unit = entry.unit;
    std::size_t offset = 0;
    for (std::size_t start = 0; start <= path.size();) {
      const std::size_t dot = std::min(path.find('.', start), path.size());
      const std::string_view step = std::string_view(path).substr(start, dot - start);
      const values::Descriptor& d = values::Resolve(descriptor, unit);
      if (d.kind == values::Kind::kStruct || d.kind == values::Kind::kUnion) {
        const auto fields = values::Table().fields.subspan(static_cast<std::size_t>(d.first), static_cast<std::size_t>(d.count));
        const auto field = std::find_if(fields.begin(), fields.end(), [&](const values::Field& f) { return step == f.name; });
        if (field == fields.end()) values::Fail("no field \"" + std::string(step) + "\"");
        descriptor = field->descriptor;
        unit = field->unit;
        offset += field->offset;
      } else if (d.kind == values::Kind::kArray) {
        std::size_t element = 0;
        const auto read = std::from_chars(step.data(), step.data() + step.size(), element);
        if (read.ec != std::errc() || read.ptr != step.data() + step.size() || element >= static_cast<std::size_t>(d.count)) {
          values::Fail("no element \"" + std::string(step) + "\" (0.." + std::to_string(d.count - 1) + ")");
        }
        std::string_view elementUnit = unit;
        offset += element * values::Resolve(d.first, elementUnit).size;
        descriptor = d.first;
      } else {
        values::Fail("no field \"" + std::string(step) + "\"");
      }
      start = dot + 1;
    }
    std::vector<std::uint8_t> updated(bytes.begin(), bytes.end());
    const Value value = values::ParseAt(descriptor, assignment.substr(equals + 1), unit, path);
    values::EncodeAt(descriptor, value, std::span(updated).subspan(offset), unit, path);
    // The type's own limits, for the field set only: the others keep their bytes as they are.
    Value written = values::DecodeAt(entry.descriptor, updated, entry.unit);
    values::ApplyTypeLimits(entry, written);
    for (const std::string& problem : RangeProblems(written)) {
      if (problem.starts_with(path + " ") || problem.starts_with(path + ".")) values::Fail(problem);
    }
    return updated;
  } catch (const AutomationError& error) {
    if (error.description().starts_with(entry.name)) throw;
    values::Fail(std::string(entry.name) + ": " + error.description());
  }
}

}  // namespace vemo
