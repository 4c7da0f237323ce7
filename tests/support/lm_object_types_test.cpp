#include <cstdint>
#include <string>
#include <utility>

#include "common/test_support.h"
#include "support/lm_object_types.h"

namespace vemo {
namespace {

TEST(LMObjectTypeDesc, NamesKnownTypesAndRangesAndGivesOthersAsSignedNumbers) {
  const std::pair<std::int16_t, std::string> cases[] = {
      {-1, "Device Object"}, {0, "Node Object"}, {8010, "VAV"}, {8051, "Heat Pump"}, {8110, "Damper Actuator"},
      {8209, "Arvel Controller"}, {8499, "8499"}, {8500, "SCC"}, {8599, "SCC"}, {8600, "DAC"}, {8699, "DAC"},
      {8700, "8700"}, {8050, "8050"}, {8210, "8210"}, {-2, "-2"}, {INT16_MIN, "-32768"}, {32767, "32767"},
  };
  for (const auto& [type, description] : cases) EXPECT_EQ(GetLMObjectTypeDesc(type), description) << type;
}

}  // namespace
}  // namespace vemo
