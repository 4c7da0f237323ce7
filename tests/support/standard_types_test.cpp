#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "support/standard_types.h"

namespace vemo {
namespace {

TEST(StandardTypes, LookupsAnswerIndexNameAndSizeAndNothingForUnknownIndexes) {
  ASSERT_NE(FindSnvt(93), nullptr);
  EXPECT_EQ(std::string(FindSnvt(93)->name) + " " + std::to_string(FindSnvt(93)->size), "SNVT_obj_status 6");
  EXPECT_EQ(FindSnvt(1)->size, 2) << "the first entry";
  EXPECT_EQ(FindScpt(49)->size, 2);
  EXPECT_TRUE(FindScpt(27)->inherits) << "SCPTsndDelta takes the size of its NV";
  EXPECT_FALSE(FindScpt(49)->inherits);
  EXPECT_EQ(std::string(FindFunctionalProfile(8110)->name), "SFPTdamperActuator");
  EXPECT_EQ(std::string(FindFunctionalProfile(0)->name), "SFPTnodeObject");
  for (int unknown : {0, -1, 220, 100000}) EXPECT_EQ(FindSnvt(unknown), nullptr) << unknown;
  EXPECT_EQ(FindScpt(0), nullptr);
  EXPECT_EQ(FindFunctionalProfile(20021), nullptr) << "a manufacturer profile has no standard name";
}

// The rows of a table file, each split at commas; comment and header lines left out.
std::vector<std::vector<std::string>> Rows(const std::filesystem::path& file) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(file);
  std::string line;
  bool header = true;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (header) {
      header = false;
      continue;
    }
    std::vector<std::string> fields;
    std::stringstream fieldStream(line + ",");
    for (std::string field; std::getline(fieldStream, field, ',');) fields.push_back(field);
    rows.push_back(fields);
  }
  return rows;
}

// Every named row of the real tables is in the compiled tables with the same facts, so
// the generated file is not stale.
TEST(StandardTypes, TheCompiledTablesHoldEveryNamedRowOfTheSourceTables) {
  const char* realdata = std::getenv("VEMO_REALDATA");
  const std::filesystem::path tables =
      std::filesystem::path(realdata && *realdata ? realdata : VEMO_SOURCE_DIR "/../shared/realdata") / "tables";
  if (!std::filesystem::exists(tables / "snvt.csv")) {
    GTEST_SKIP() << "no standard type tables in " << tables << " (set VEMO_REALDATA to the realdata folder)";
  }
  std::size_t checked = 0;
  for (const auto& [file, find] : {std::pair(tables / "snvt.csv", &FindSnvt), std::pair(tables / "scpt.csv", &FindScpt)}) {
    for (const std::vector<std::string>& row : Rows(file)) {
      if (row.size() < 3 || row[1].empty()) continue;
      const StandardType* type = find(std::stoi(row[0]));
      ASSERT_NE(type, nullptr) << file << " " << row[0];
      EXPECT_EQ(type->name, row[1]);
      EXPECT_EQ(type->size, row[2].empty() ? 0 : std::stoi(row[2])) << row[1];
      EXPECT_EQ(type->inherits, row.size() > 3 && row[3] == "yes") << row[1];
      ++checked;
    }
  }
  for (const std::vector<std::string>& row : Rows(tables / "functional_profiles.csv")) {
    if (row.size() < 2 || row[1].empty()) continue;
    ASSERT_NE(FindFunctionalProfile(std::stoi(row[0])), nullptr) << row[0];
    EXPECT_EQ(FindFunctionalProfile(std::stoi(row[0]))->name, row[1]);
    ++checked;
  }
  EXPECT_GT(checked, 600u);
}

}  // namespace
}  // namespace vemo
