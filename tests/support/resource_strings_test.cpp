#include <cstdint>
#include <string>
#include <tuple>

#include "common/test_support.h"
#include "support/resource_strings.h"

namespace vemo {
namespace {

TEST(StringTable, ParseErrorTemplateAndMissingStringText) {
  EXPECT_EQ(GetResString(5001),
            "There was a problem loading/parsing the following XML file:\n     %s\nLine Number: %0\n"
            "Character Position: %0\nProblem Text: %s\nError Description: %s\n\n"
            "The problem must be fixed before this XML file can be used.\n");
  EXPECT_EQ(GetResString(4242), "Internal Error: 326, Loading String Resource #4242");
}

TEST(ReplaceStrParam, FillsOnlyTheFirstLowerCasePlaceholder) {
  EXPECT_EQ(ReplaceStrParam("%S then %s and %s", "X"), "%S then X and %s");
  EXPECT_EQ(ReplaceStrParam("100% sure", "X"), "100% sure");
  // A value that itself holds "%s" takes the next fill.
  EXPECT_EQ(ReplaceStrParam(ReplaceStrParam("%s and %s", "<%s>"), "Y"), "<Y> and %s");
}

TEST(ReplaceNumParam, FormatsWithThePatternAfterThePercentSign) {
  const std::tuple<std::string, Variant, std::string> cases[] = {
      {"NVIndex = %0", Variant(std::int16_t{7}), "NVIndex = 7"},
      {"[%00]", Variant(7), "[07]"},
      {"[%00]", Variant(123), "[123]"},
      {"pi %0.00!", Variant(3.14159), "pi 3.14!"},
      {"Line %0, position %0", Variant(4), "Line 4, position %0"},
      {"%s and 50% stay", Variant(9), "%s and 50% stay"},
  };
  for (const auto& [text, value, expected] : cases) EXPECT_EQ(ReplaceNumParam(text, value), expected) << text;
}

TEST(ReplaceParam, PlaceholderPastCharacter32767OverflowsCountingCharacters) {
  for (const std::string unit : {"a", "\xC3\xA9"}) {  // one byte and two bytes a character
    std::string lastAllowed;  // the placeholder starts at character 32767
    for (int i = 0; i < 32766; ++i) lastAllowed += unit;
    EXPECT_EQ(ReplaceStrParam(lastAllowed + "%s" + unit, "X"), lastAllowed + "X" + unit);
    EXPECT_EQ(ReplaceNumParam(lastAllowed + "%0", Variant(7)), lastAllowed + "7");
    test::ExpectAutomationError([&] { ReplaceStrParam(lastAllowed + unit + "%s", "X"); }, 6);
    test::ExpectAutomationError([&] { ReplaceNumParam(lastAllowed + unit + "%0", Variant(7)); }, 6);
  }
}

}  // namespace
}  // namespace vemo
