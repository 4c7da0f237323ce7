#include "support/lm_object_types.h"

namespace vemo {

namespace {

struct TypeDescription {
  std::int16_t type;
  const char* description;
};

constexpr TypeDescription kDescriptions[] = {
    {8010, "VAV"},
    {8020, "Fan Coil Unit"},
    {8030, "Roof Top Unit"},
    {8040, "Chiller"},
    {8051, "Heat Pump"},
    {8060, "Thermostat"},
    {8070, "Chilled Ceiling"},
    {8080, "UVC"},
    {8090, "SCC Command"},
    {8110, "Damper Actuator"},
    {8201, "Orrin Controller"},
    {8202, "Quillon Unit"},
    {8203, "KPX"},
    {8204, "RLQ"},
    {8205, "Ostrel II"},
    {8206, "Zephlow"},
    {8207, "Dunmore Controller"},
    {8208, "Tessel Module"},
    {8209, "Arvel Controller"},
};

}  // namespace

std::string GetLMObjectTypeDesc(std::int16_t nType) {
  if (nType == -1) return "Device Object";  // 0xFFFF in the 16-bit field
  if (nType == 0) return "Node Object";
  if (nType >= 8500 && nType <= 8599) return "SCC";
  if (nType >= 8600 && nType <= 8699) return "DAC";
  for (const TypeDescription& entry : kDescriptions) {
    if (entry.type == nType) return entry.description;
  }
  return std::to_string(nType);
}

}  // namespace vemo
