#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "json_output.h"
#include "snapshot.h"

namespace vemo::cli {

// One row of `vemo points`: a data point with the object it is filed in and its value,
// decoded and as bytes, for commissioning sheets and spreadsheets.
struct PointRow {
  std::string object;  // "[1] Zone" or "" when the point is in no object
  std::string kind;    // "NV" or "CP"
  std::string name;
  std::int32_t index = 0;  // the NV's index or the CP's key
  std::string direction;   // an NV's "input" or "output"; "" for a CP
  std::string type;        // the standard type's name, else ""
  std::string value;       // decoded, else ""
  std::optional<std::string> bytes;  // upper-case hexadecimal; nothing when reading the value failed
  std::string error;                 // then why
  std::optional<std::int16_t> objectIndex;  // the index of the object it is filed in
  bool configuration = false;               // a CP or a configuration NV (NCIs section)
};

// The node's points object by object, in the order `vemo node` shows them, then those
// in no object.
std::vector<PointRow> PointRows(const Node& node);

void PrintPointsText(std::ostream& out, const std::vector<PointRow>& rows);
// RFC 4180: a header line, fields with a comma, quote or line end quoted.
void PrintPointsCsv(std::ostream& out, const std::vector<PointRow>& rows);
Json PointsJson(const Node& node, const std::vector<PointRow>& rows);

}  // namespace vemo::cli
