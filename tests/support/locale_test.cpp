// Numbers read and written the same whatever locale the host runs under.
#include <clocale>
#include <locale>
#include <string>

#include "common/test_support.h"
#include "platform/number_text.h"
#include "support/resource_strings.h"
#include "vemosupport/variant.h"

namespace vemo {
namespace {

// Switches the process to a locale with a decimal comma while it lives.
class GermanLocale {
 public:
  GermanLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
      if (std::setlocale(LC_ALL, name) != nullptr) {
        active_ = true;
        std::locale::global(std::locale(name));
        break;
      }
    }
  }
  ~GermanLocale() {
    std::setlocale(LC_ALL, "C");
    std::locale::global(std::locale::classic());
  }
  bool active() const { return active_; }

 private:
  bool active_ = false;
};

TEST(Locale, NumbersAreTheSameUnderADecimalCommaLocale) {
  GermanLocale german;
  if (!german.active()) GTEST_SKIP() << "no German locale on this machine (Debian: locales-all)";
  EXPECT_DOUBLE_EQ(LeadingNumber("2.5|1"), 2.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("2,5"), 2);
  EXPECT_DOUBLE_EQ(LeadingNumber("-1.5e3"), -1500);
  EXPECT_TRUE(IsNumericText(" 0.25 "));
  EXPECT_EQ(NumberToText(2.5), "2.5");
  EXPECT_EQ(NumberToText(1e-5), "1E-05");
  EXPECT_EQ(Variant("2.5").ToInt16(), 2);
  EXPECT_EQ(Variant(0.1 + 0.2).ToText(), "0.3");
  EXPECT_EQ(ReplaceNumParam("pi %0.00!", Variant(3.14159)), "pi 3.14!");
  EXPECT_EQ(ReplaceNumParam("[%000.0]", Variant(-2.25)), "[-002.2]");
}

}  // namespace
}  // namespace vemo
