#include <string>

#include "common/test_support.h"
#include "platform/keyed_collection.h"

namespace vemo {
namespace {

using test::ExpectAutomationError;
using namespace std::string_view_literals;

struct Thing : Object {
  explicit Thing(std::string n) : name(std::move(n)) {}
  std::string name;
};
using Things = KeyedCollection<std::shared_ptr<Thing>>;

std::shared_ptr<Thing> Make(const std::string& name) { return std::make_shared<Thing>(name); }

std::string Names(const Things& things) {
  std::string names;
  for (const auto& thing : things) names += thing->name;
  return names;
}

TEST(KeyedCollection, KeepsOrderInsertsBeforeAPositionAndFindsKeysIgnoringCase) {
  Things things;
  things.Add(Make("a"), "ka");
  things.Add(Make("b"), "Kb");
  things.Add(Make("c"), std::nullopt, 1);
  things.Add(Make("d"), "2", 3);
  EXPECT_EQ(Names(things), "cadb");
  EXPECT_EQ(things.Item("KB"sv)->name, "b");
  // A number is a position, a text is a key even when it looks like a number.
  EXPECT_EQ(things.Item(Variant(std::int32_t{2}))->name, "a");
  EXPECT_EQ(things.Item(Variant("2"))->name, "d");
  things.Remove(2);
  things.Add(Make("A"), "KA");  // a removed member's key is free again
  EXPECT_EQ(Names(things), "cdbA");
  EXPECT_EQ(things.Item("kb"sv)->name, "b");
}

TEST(KeyedCollection, FailuresRaiseTheirErrorAndChangeNothing) {
  Things things;
  things.Add(Make("x"), "Abc");
  ExpectAutomationError([&] { things.Add(Make("y"), "aBC"); }, err::kDuplicateKey);
  ExpectAutomationError([&] { things.Add(Make("z"), "new", 2); }, err::kSubscriptOutOfRange);
  // An error without a source of its own names the component.
  ExpectAutomationError([&] { things.Item("new"sv); }, err::kInvalidArgument, "VemoSupport",
                        "Invalid procedure call or argument");
  for (int position : {0, 2, -1}) {
    ExpectAutomationError([&] { things.Item(position); }, err::kSubscriptOutOfRange);
    ExpectAutomationError([&] { things.Remove(position); }, err::kSubscriptOutOfRange);
  }
  EXPECT_EQ(Names(things), "x");
  EXPECT_EQ(things.Item("abc"sv)->name, "x");
}

TEST(KeyedCollection, KeysFoldCaseInEveryScriptAndBytesThatAreNotTextStayApart) {
  Things things;
  things.Add(Make("umlaut"), "äRGER");
  things.Add(Make("sigma"), "Σο");
  things.Add(Make("sharp s"), "Straße");
  things.Add(Make("bytes"), "\xFF\xFEk");
  EXPECT_EQ(things.Item("ÄRGER"sv)->name, "umlaut");
  EXPECT_EQ(things.Item("STRASSE"sv)->name, "sharp s");
  EXPECT_EQ(things.Item("\xFF\xFEK"sv)->name, "bytes");
  ExpectAutomationError([&] { things.Add(Make("x"), "σΟ"); }, err::kDuplicateKey);
  ExpectAutomationError([&] { things.Add(Make("x"), "STRASSE"); }, err::kDuplicateKey);
  things.Add(Make("other bytes"), "\xFE\xFFk");
  ExpectAutomationError([&] { things.Item("\xFF\xFF"sv); }, err::kInvalidArgument);
  EXPECT_EQ(things.Count(), 5);
}

}  // namespace
}  // namespace vemo
