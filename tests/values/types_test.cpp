// Standard types: values computed by hand from the type definitions, decoded, shown,
// encoded back and read from text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709ConfigurationProperty.h"
#include "vemosupport/I709NetworkVariable.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/I709Node.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/types.h"

namespace vemo {
namespace {

std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) bytes.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  return bytes;
}

DataType Type(const char* name) {
  const std::optional<DataType> type = FindTypeByName(name);
  if (!type) throw std::runtime_error(std::string("no type ") + name);
  return *type;
}

// The description of the error a call raises, "" when it raises none.
template <class Call>
std::string ErrorOf(Call call) {
  try {
    call();
  } catch (const AutomationError& error) {
    EXPECT_EQ(error.number(), err::kInvalidValue);
    return error.description();
  }
  return "";
}

TEST(TypeValues, DecodeShowsWhatTheDefinitionSays) {
  struct Case {
    const char* type;
    const char* bytes;
    const char* shown;
  } const cases[] = {
      {"SNVT_temp_p", "0866", "21.50 °C"},                        // signed, 0.01: 2150 * 0.01
      {"SNVT_temp_p", "F060", "-40.00 °C"},                       // -4000 * 0.01
      {"SNVT_temp", "0B8B", "21.5 °C"},                           // 0.1 * (2955 - 2740)
      {"SNVT_switch", "C801", "{value: 100.0 %, state: 1}"},      // 200 * 0.5, state 1
      {"SNVT_temp_f", "41AC0000", "21.5 °C"},                     // binary32 1.34375 * 2^4
      {"SNVT_occupancy", "02", "OC_BYPASS"},                      // occup_t member 2
      {"SNVT_occupancy", "07", "7"},                              // no member: a number
      {"SNVT_temp_p", "7FFF", "invalid"},                         // 327.67 marks no valid value
      {"SNVT_switch", "00FF", "{value: 0.0 %, state: invalid}"},  // state -1
      {"SCPTschedule", "850102", "{temporary: 1, schedule_priority: 5, time_value_index: 258}"},
      {"SNVT_hvac_satsts", "A05F", "{pri_heat: 1, sec_heat: 0, pri_cool: 1, sec_cool: 0, pri_duct_starved: 0, "
                                   "sec_duct_starved: 0, reserved: 0, reserved1: 5, manufacturer_defined: 15}"},
  };
  for (const Case& c : cases) {
    const DataType type = Type(c.type);
    EXPECT_EQ(Format(Decode(type, Hex(c.bytes))), c.shown) << c.type << " " << c.bytes;
    EXPECT_EQ(Encode(type, Decode(type, Hex(c.bytes))), Hex(c.bytes)) << c.type << " " << c.bytes;
  }
  // A text type: its bytes up to the first zero.
  std::vector<std::uint8_t> hall = Hex("48616C6C2031");
  hall.resize(31);
  EXPECT_EQ(Format(Decode(Type("SCPTlocation"), hall)), "{ascii_: \"Hall 1\"}");
}

TEST(TypeValues, TextIsReadExactlyAndRoundedHalvesToEven) {
  struct Case {
    const char* type;
    const char* text;
    const char* bytes;
  } const cases[] = {
      {"SNVT_temp", "21.5", "0B8B"},        // 21.5 / 0.1 is 215 exactly, not 214.99999
      {"SNVT_temp_p", "21.5 °C", "0866"},
      {"SNVT_temp_p", "-0.005", "0000"},    // -0.5 raw: halves go to the even 0
      {"SNVT_temp_p", "0.015", "0002"},     // 1.5 raw: to 2
      {"SNVT_switch", "{value: 0.75, state: 1}", "0201"},  // 1.5 raw: to 2
      {"SNVT_switch", "{state: invalid, value: 100}", "C8FF"},
      {"SNVT_occupancy", "oc_standby", "03"},
      {"SNVT_occupancy", "-5", "FB"},
      {"SNVT_temp_f", "-273.17", "C38895C3"},
      {"SNVT_temp_p", "invalid", "7FFF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Encode(Type(c.type), Parse(Type(c.type), c.text)), Hex(c.bytes)) << c.type << " " << c.text;
  }
}

TEST(TypeValues, OutOfRangeAndUnreadableTextNameTheProblem) {
  EXPECT_EQ(ErrorOf([] { Parse(Type("SNVT_temp_p"), "400"); }),
            "SNVT_temp_p: 400.00 °C is outside -273.17..327.67 °C");
  EXPECT_EQ(ErrorOf([] { Parse(Type("SNVT_switch"), "{value: 120, state: 1}"); }),
            "SNVT_switch: value 120.0 % is outside 0.0..100.0 %");
  EXPECT_EQ(ErrorOf([] { Parse(Type("SCPTheatSetpt"), "95"); }),  // the CP type's own 93.00 maximum
            "SCPTheatSetpt: 95.00 °C is outside -40.00..93.00 °C");
  EXPECT_NE(ErrorOf([] { Parse(Type("SNVT_occupancy"), "OC_HOME"); }).find("OC_BYPASS"), std::string::npos);
  EXPECT_NE(ErrorOf([] { Parse(Type("SNVT_switch"), "{value: 100}"); }), "");
  EXPECT_NE(ErrorOf([] { Parse(Type("SNVT_temp_p"), "21,5"); }), "");
  EXPECT_NE(ErrorOf([] { Decode(Type("SNVT_temp_p"), Hex("086600")); }), "");
}

TEST(TypeValues, OneFieldIsSetAndEveryOtherBitKept) {
  EXPECT_EQ(UpdateField(Type("SNVT_switch"), Hex("C801"), "value=50"), Hex("6401"));
  EXPECT_EQ(UpdateField(Type("SNVT_switch"), Hex("C801"), "state=invalid"), Hex("C8FF"));
  // schedule_priority is the low 7 bits of byte 0: the top bit and the bytes after stay.
  EXPECT_EQ(UpdateField(Type("SCPTschedule"), Hex("85FFFF"), "schedule_priority=3"), Hex("83FFFF"));
  EXPECT_EQ(UpdateField(Type("SNVT_hvac_satsts"), Hex("0000"), "manufacturer_defined=9"), Hex("0009"));
  // Through a union member and an array element.
  EXPECT_EQ(UpdateField(Type("SCPTdevListEntry"), Hex("00000000000000"), "ni.nid.2=7"), Hex("00000007000000"));
  EXPECT_EQ(UpdateField(Type("SNVT_time_zone"), Hex("000000000000000000FFFF00000000"),
                        "start_DST.M_start_DST.week_of_start_DST=5"),
            Hex("00000000000000000AFFFF00000000"));
  EXPECT_EQ(ErrorOf([] { UpdateField(Type("SNVT_switch"), Hex("C801"), "value=101"); }),
            "SNVT_switch: value 101.0 % is outside 0.0..100.0 %");
  EXPECT_NE(ErrorOf([] { UpdateField(Type("SNVT_switch"), Hex("C801"), "level=1"); }), "");
}

TEST(TypeValues, FoundByIndexAndName) {
  EXPECT_EQ(FindSnvtType(105)->Name(), "SNVT_temp_p");
  EXPECT_EQ(FindScptType(78)->Name(), "SCPTheatSetpt");
  EXPECT_EQ(FindTypeByName("snvt_TEMP_p")->Index(), 105);
  EXPECT_EQ(FindScptType(78)->DefaultBytes(), Hex("0DAC"));
  EXPECT_EQ(FindScptType(78)->Unit(), "°C");  // SCPTheatSetpt is an SNVT_temp_p
  EXPECT_FALSE(FindSnvtType(220));
  EXPECT_FALSE(FindTypeByName("SNVT_temp_q"));
}

TEST(TypeValues, DataPointsOfTheSampleNodeHaveTheirTypes) {
  cFactory factory;
  const auto created = factory.CreateVirtualC472Node(factory.CreateProgIDInfo("9A10C0DE00010401", VEMO_SOURCE_DIR "/catalog"));
  ASSERT_TRUE(created && created->PopulateDevice(""));
  const auto node = std::dynamic_pointer_cast<I709Node>(created);
  const auto nv = node->NetworkVariables()->Item(Variant("12"));
  EXPECT_EQ(TypeOf(*nv)->Name(), "SNVT_temp_p");
  const auto cps = node->ConfigurationProperties();
  EXPECT_EQ(TypeOf(*cps->Item(Variant("101")), *node)->Name(), "SCPTmaxSendTime");  // 101|0|0-49
  EXPECT_FALSE(TypeOf(*cps->Item(Variant("103")), *node));                            // 103|1|1-5: not standard
  // 105|2|0-27|20: SCPTsndDelta takes the type of NV 20, an SNVT_lev_percent.
  EXPECT_EQ(TypeOf(*cps->Item(Variant("105")), *node)->Name(), "SNVT_lev_percent");
  EXPECT_FALSE(TypeOf(*cps->Item(Variant("105"))));
}

}  // namespace
}  // namespace vemo
