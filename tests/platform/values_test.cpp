// Automation errors, the number of a text, and variant conversions.
#include <cmath>
#include <utility>

#include "common/test_support.h"
#include "platform/number_text.h"
#include "vemosupport/variant.h"

namespace vemo {
namespace {

using test::ExpectAutomationError;

TEST(AutomationError, StandardNumbersCarryTheirDescription) {
  const std::pair<int, const char*> standard[] = {
      {5, "Invalid procedure call or argument"}, {6, "Overflow"}, {9, "Subscript out of range"},
      {13, "Type mismatch"}, {76, "Path not found"}, {91, "Object variable or With block variable not set"},
      {326, "Resource with identifier not found"}, {380, "Invalid property value"}, {383, "Property is read-only"},
      {422, "Property not found"}, {457, "This key is already associated with an element of this collection"}};
  for (const auto& [number, text] : standard) EXPECT_EQ(AutomationError(number, "Src").description(), text);
}

TEST(NumberOfText, LeadingNumberAndWholeTextTest) {
  const std::pair<const char*, double> cases[] = {
      {"12|3", 12}, {"  -2.5e1x", -25}, {"abc", 0}, {"", 0}, {".5", 0.5}, {"1e", 1}, {"0x10", 0},
      {"+7", 7}, {"123456789012345678901", 1.23456789012345678901e20}, {"1e400", HUGE_VAL},
      {"-0.001e99999999999999999999", -HUGE_VAL}, {"1e-400", 0}, {"1234e-320", 1234e-320}};
  for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << '"' << text << '"';
  for (const char* text : {" 12 ", "+.5E-3", "5.", "\t7\r\n"}) EXPECT_TRUE(IsNumericText(text)) << text;
  for (const char* text : {"3Damper", "e5", "", ".", "1 2", "0x10"}) EXPECT_FALSE(IsNumericText(text)) << text;
}

TEST(NumberOfText, RoundsHalvesToEvenAndOverflowsOutsideTheWidth) {
  const std::pair<double, int> cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.5, 0}, {-0.6, -1}, {-32768.5, -32768}};
  for (const auto& [value, rounded] : cases) {
    EXPECT_EQ(RoundToInt16(value), rounded) << value;
    EXPECT_EQ(RoundToInt32(value), rounded) << value;
  }
  for (double value : {32767.5, -32769.0, std::nan("")}) {
    ExpectAutomationError([&] { RoundToInt16(value); }, err::kOverflow);
  }
  for (double value : {2147483647.5, -2147483649.0, HUGE_VAL, std::nan("")}) {
    ExpectAutomationError([&] { RoundToInt32(value); }, err::kOverflow);
  }
}

TEST(Variant, ConvertsNumbersAndNumericTextOnly) {
  EXPECT_EQ(Variant(true).ToInt16(), -1);
  EXPECT_EQ(Variant("2.5").ToInt16(), 2);
  EXPECT_EQ(Variant(0.1 + 0.2).ToText(), "0.3");
  ExpectAutomationError([] { Variant("3e10").ToInt32(); }, err::kOverflow);
  const Variant others[] = {Variant("3Damper"), Variant(ByteArray{{7}, 1}), Variant(std::make_shared<Object>())};
  for (const Variant& value : others) ExpectAutomationError([&] { value.ToInt32(); }, err::kTypeMismatch);
}

}  // namespace
}  // namespace vemo
