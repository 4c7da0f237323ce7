#include "point_rows.h"

#include <algorithm>
#include <iomanip>
#include <set>

#include "errors.h"

namespace vemo::cli {

namespace {

std::string Error(const Value& value) {
  return value.error ? "error " + std::to_string(value.error->number) + ": " + value.error->description : "";
}

// Bytes as --set takes them, which a spreadsheet also keeps as text.
std::string BytesCell(const PointRow& row) { return row.bytes ? "0x" + *row.bytes : row.error; }

std::string Label(const LonMarkObject* object) {
  return object ? "[" + std::to_string(object->index) + "] " + object->name : std::string();
}

std::optional<std::int16_t> Index(const LonMarkObject* object) {
  return object ? std::optional<std::int16_t>(object->index) : std::nullopt;
}

std::string Decoded(const Value& value) { return value.decoded ? Format(*value.decoded) : std::string(); }

PointRow Row(const LonMarkObject* object, const ConfigurationProperty& cp) {
  return {Label(object), "CP", cp.name, cp.key, "", cp.value.typeName.value_or(""), Decoded(cp.value), cp.value.hex,
          Error(cp.value), Index(object), true};
}

PointRow Row(const LonMarkObject* object, const NetworkVariable& nv) {
  return {Label(object), "NV", nv.name, nv.index, Direction(nv), nv.value.typeName.value_or(""), Decoded(nv.value),
          nv.value.hex, Error(nv.value), Index(object), nv.section == "NCIs"};
}

std::string CsvField(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (const char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

std::vector<PointRow> PointRows(const Node& node) {
  std::vector<PointRow> rows;
  std::set<std::int32_t> filedCPs;
  std::set<std::int16_t> filedNVs;
  for (const LonMarkObject& object : node.objects) {
    for (const std::int32_t key : object.cpKeys) {
      const auto cp = std::find_if(node.configurationProperties.begin(), node.configurationProperties.end(),
                                   [key](const ConfigurationProperty& c) { return c.key == key; });
      if (cp != node.configurationProperties.end() && filedCPs.insert(key).second) rows.push_back(Row(&object, *cp));
    }
    for (const std::int16_t index : object.nvIndexes) {
      const auto nv = std::find_if(node.networkVariables.begin(), node.networkVariables.end(),
                                   [index](const NetworkVariable& n) { return n.index == index; });
      if (nv != node.networkVariables.end() && filedNVs.insert(index).second) rows.push_back(Row(&object, *nv));
    }
  }
  for (const ConfigurationProperty& cp : node.configurationProperties) {
    if (!filedCPs.count(cp.key)) rows.push_back(Row(nullptr, cp));
  }
  for (const NetworkVariable& nv : node.networkVariables) {
    if (!filedNVs.count(nv.index)) rows.push_back(Row(nullptr, nv));
  }
  return rows;
}

void PrintPointsText(std::ostream& out, const std::vector<PointRow>& rows) {
  // The value last: a structure's value is long, and nothing after it needs lining up.
  const std::vector<std::string> header{"OBJECT", "POINT", "NAME", "DIRECTION", "TYPE", "BYTES", "VALUE"};
  std::vector<std::vector<std::string>> table{header};
  for (const PointRow& row : rows) {
    table.push_back({Printable(row.object), row.kind + " " + std::to_string(row.index), Printable(row.name),
                     row.direction, row.type, Printable(BytesCell(row)), Printable(row.value)});
  }
  // Widths in characters: a UTF-8 continuation byte takes no column.
  const auto columns = [](const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
  };
  std::vector<std::size_t> widths(header.size(), 0);
  for (const auto& line : table) {
    for (std::size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], columns(line[i]));
  }
  for (const auto& line : table) {
    std::string text;
    for (std::size_t i = 0; i < line.size(); ++i) {
      text += line[i];
      if (i + 1 < line.size()) text += std::string(widths[i] - columns(line[i]) + 2, ' ');
    }
    out << text.substr(0, text.find_last_not_of(' ') + 1) << "\n";
  }
}

void PrintPointsCsv(std::ostream& out, const std::vector<PointRow>& rows) {
  out << "object,point,index,name,direction,type,value,bytes\r\n";
  for (const PointRow& row : rows) {
    out << CsvField(row.object) << "," << row.kind << "," << row.index << "," << CsvField(row.name) << ","
        << row.direction << "," << row.type << "," << CsvField(row.value) << "," << CsvField(BytesCell(row)) << "\r\n";
  }
}

Json PointsJson(const Node& node, const std::vector<PointRow>& rows) {
  Json points = Json::array();
  for (const PointRow& row : rows) {
    points.push_back({{"object", row.object},
                      {"point", row.kind},
                      {"index", row.index},
                      {"name", row.name},
                      {"direction", row.direction},
                      {"typeName", row.type.empty() ? Json(nullptr) : Json(row.type)},
                      {"value", row.value.empty() ? Json(nullptr) : Json(row.value)},
                      {"bytes", row.bytes ? Json(*row.bytes) : Json(nullptr)}});
  }
  return {{"schema", kJsonSchema},           {"kind", "points"},
          {"programId", node.programId},     {"populated", node.populated},
          {"configurationFile", node.configurationFile}, {"points", std::move(points)}};
}

}  // namespace vemo::cli
