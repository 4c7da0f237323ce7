// Automation errors, the number of a text, and variant conversions.
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "common/test_support.h"
#include "platform/number_text.h"
#include "platform/variant.h"

namespace vemo {
namespace {

using test::ExpectAutomationError;

TEST(AutomationError, CarriesNumberSourceAndDescription) {
  const AutomationError error(err::kDuplicateKey, "Add");
  EXPECT_EQ(error.source(), "Add");
  EXPECT_EQ(error.hresult(), 0x800A01C9u);
  const AutomationError own(err::kInvalidArgument, "Item", "No such member");
  EXPECT_EQ(own.description(), "No such member");
  EXPECT_NE(std::strstr(own.what(), "No such member"), nullptr);
  EXPECT_EQ(AutomationError(31999).description(), "");
  const std::pair<int, const char*> standard[] = {
      {5, "Invalid procedure call or argument"}, {6, "Overflow"}, {9, "Subscript out of range"},
      {13, "Type mismatch"}, {76, "Path not found"}, {91, "Object variable or With block variable not set"},
      {326, "Resource with identifier not found"}, {380, "Invalid property value"}, {383, "Property is read-only"},
      {422, "Property not found"}, {457, "This key is already associated with an element of this collection"}};
  for (const auto& [number, text] : standard) EXPECT_EQ(AutomationError(number, "Src").description(), text);
}

TEST(NumberOfText, TakesTheLeadingNumberAfterBlanks) {
  const std::pair<const char*, double> cases[] = {
      {"12|3", 12}, {"  -2.5e1x", -25}, {"abc", 0}, {"", 0}, {"5.", 5}, {".5", 0.5}, {"+7", 7},
      {"\t3Damper", 3}, {"1e", 1}, {"2E+2kg", 200}, {".", 0}, {"-", 0}, {"0x10", 0}, {"  ", 0}};
  for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << '"' << text << '"';
  for (const char* text : {"12", " 12 ", "-2.5", "1e5", "+.5E-3", "5.", "\t7\r\n"}) {
    EXPECT_TRUE(IsNumericText(text)) << text;
  }
  for (const char* text : {"3Damper", "e5", "-", "", "   ", ".", "1 2", "12|3", "0x10"}) {
    EXPECT_FALSE(IsNumericText(text)) << text;
  }
}

TEST(NumberOfText, RoundsHalvesToEvenAndOverflowsOutsideTheWidth) {
  const std::pair<double, int> cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2},
                                          {2.4999, 2}, {-0.6, -1}, {32767.4, 32767}, {-32768.5, -32768}};
  for (const auto& [value, rounded] : cases) {
    EXPECT_EQ(RoundToInt16(value), rounded) << value;
    EXPECT_EQ(RoundToInt32(value), rounded) << value;
  }
  EXPECT_EQ(RoundToInt32(2147483647.4), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(RoundToInt32(-2147483648.5), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(NumberOfText16(" 3.5 volts"), 4);

  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double value : {32767.5, 70000.0, -32769.0, HUGE_VAL, nan}) {
    ExpectAutomationError([&] { RoundToInt16(value); }, err::kOverflow);
  }
  for (double value : {2147483647.5, 1e11, -2147483649.0, -HUGE_VAL, nan}) {
    ExpectAutomationError([&] { RoundToInt32(value); }, err::kOverflow);
  }
  ExpectAutomationError([] { NumberOfText16("70000"); }, err::kOverflow);
  ExpectAutomationError([] { NumberOfText32("1e400"); }, err::kOverflow);
}

TEST(NumberOfText, WritesNumbersAsAutomationDoes) {
  const std::pair<double, const char*> cases[] = {
      {12, "12"}, {-1, "-1"}, {2.5, "2.5"}, {0.1 + 0.2, "0.3"}, {-0.0, "0"}, {1.0 / 3, "0.333333333333333"},
      {123456789012.0, "123456789012"}, {0.0001, "0.0001"}, {1e-5, "1E-05"}, {1e15, "1E+15"}, {-2.5e20, "-2.5E+20"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(NumberToText(value), text) << value;
}

TEST(Variant, NumbersAndNumericTextConvert) {
  EXPECT_EQ(Variant(3.5).ToInt32(), 4);
  EXPECT_EQ(Variant(true).ToInt16(), -1);
  EXPECT_EQ(Variant().ToInt32(), 0);
  EXPECT_DOUBLE_EQ(Variant(" 2.5 ").ToDouble(), 2.5);
  EXPECT_EQ(Variant("2.5").ToInt16(), 2);
  EXPECT_EQ(Variant("1e3").ToInt32(), 1000);
  ExpectAutomationError([] { Variant(std::int32_t{70000}).ToInt16(); }, err::kOverflow);
  ExpectAutomationError([] { Variant("3e10").ToInt32(); }, err::kOverflow);
  ExpectAutomationError([] { Variant("1e400").ToDouble(); }, err::kOverflow);
  EXPECT_EQ(Variant(2.5).ToText(), "2.5");
  EXPECT_EQ(Variant(std::int32_t{-12}).ToText(), "-12");
  EXPECT_EQ(Variant(true).ToText(), "True");
  EXPECT_EQ(Variant().ToText(), "");
}

TEST(Variant, OtherValuesAreTypeMismatchesAndKeepWhatTheyHold) {
  const Variant values[] = {Variant("3Damper"), Variant(""), Variant(ByteArray{{7, 8, 9}, 1}),
                            Variant(Variant::Array{Variant(1.0)}), Variant(std::make_shared<Object>())};
  for (const Variant& value : values) ExpectAutomationError([&] { value.ToInt32(); }, err::kTypeMismatch);
  for (const Variant& value : {values[2], values[3], values[4]}) {
    ExpectAutomationError([&] { value.ToText(); }, err::kTypeMismatch);
  }
  const Variant copy = values[2];
  ASSERT_NE(copy.AsBytes(), nullptr);
  EXPECT_EQ(copy.AsBytes()->lowerBound, 1);
  EXPECT_EQ(copy.AsBytes()->UpperBound(), 3);
  EXPECT_EQ(copy.AsBytes()->bytes, (std::vector<std::uint8_t>{7, 8, 9}));
  EXPECT_NE(values[4].AsObject(), nullptr);
  EXPECT_EQ(Variant(values[4]).AsObject(), values[4].AsObject());
}

}  // namespace
}  // namespace vemo
