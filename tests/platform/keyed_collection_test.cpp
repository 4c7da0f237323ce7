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

TEST(KeyedCollection, KeepsInsertionOrderAndInsertsBeforeAPosition) {
  Things things;
  things.Add(Make("a"));
  things.Add(Make("b"), "kb");
  things.Add(Make("c"), std::nullopt, 1);
  things.Add(Make("d"), "kd", 3);
  EXPECT_EQ(Names(things), "cadb");
  EXPECT_EQ(things.Item(3)->name, "d");
  EXPECT_EQ(things.Item("KB"sv)->name, "b");

  auto items = things.NewEnum();
  things.Add(Make("e"));  // the enumerator keeps the members as they were
  std::string enumerated;
  while (auto next = items->Next()) enumerated += std::dynamic_pointer_cast<Thing>(next->AsObject())->name;
  EXPECT_EQ(enumerated, "cadb");
  items->Reset();
  EXPECT_EQ(std::dynamic_pointer_cast<Thing>(items->Next()->AsObject())->name, "c");
}

TEST(KeyedCollection, KeysIgnoreCaseAndFailuresChangeNothing) {
  Things things;
  things.Add(Make("x"), "Abc");
  EXPECT_EQ(things.Item("ABC"sv)->name, "x");
  ExpectAutomationError([&] { things.Add(Make("y"), "abc"); }, err::kDuplicateKey);
  ExpectAutomationError([&] { things.Add(Make("y"), "abc", 1); }, err::kDuplicateKey);
  ExpectAutomationError([&] { things.Add(Make("z"), "new", 2); }, err::kSubscriptOutOfRange);
  EXPECT_EQ(Names(things), "x");
  EXPECT_FALSE(things.Contains("new"));
  ExpectAutomationError([&] { things.Item("missing"sv); }, err::kInvalidArgument);
}

TEST(KeyedCollection, ItemByPositionOrKey) {
  Things things;
  things.Add(Make("one"), "2");
  things.Add(Make("two"), "k");
  EXPECT_EQ(things.Item(Variant(std::int32_t{2}))->name, "two");
  EXPECT_EQ(things.Item(Variant(1.5))->name, "two");
  EXPECT_EQ(things.Item(Variant("2"))->name, "one");
  EXPECT_EQ(things.Item(Variant("K"))->name, "two");
  for (int position : {0, 3, -1}) {
    ExpectAutomationError([&] { things.Item(position); }, err::kSubscriptOutOfRange);
    ExpectAutomationError([&] { things.Item(Variant(std::int32_t{position})); }, err::kSubscriptOutOfRange);
    ExpectAutomationError([&] { things.Remove(position); }, err::kSubscriptOutOfRange);
  }
  ExpectAutomationError([&] { things.Item(Variant()); }, err::kInvalidArgument);
  ExpectAutomationError([&] { things.Item(Variant("3")); }, err::kInvalidArgument);
}

TEST(KeyedCollection, RemovalKeepsTheRestConsistent) {
  Things things;
  things.Add(Make("a"), "ka");
  things.Add(Make("b"));
  things.Add(Make("c"), "kc");
  things.Remove(1);
  EXPECT_FALSE(things.Contains("ka"));
  things.Add(Make("A"), "KA", 2);
  EXPECT_EQ(Names(things), "bAc");
  EXPECT_EQ(things.Item("kc"sv)->name, "c");
  things.Remove(3);
  EXPECT_EQ(things.Item("ka"sv)->name, "A");
  ExpectAutomationError([&] { things.Item("kc"sv); }, err::kInvalidArgument);
  things.Clear();
  EXPECT_EQ(things.Count(), 0);
  things.Add(Make("again"), "ka");
  EXPECT_EQ(things.Item(1)->name, "again");
}

}  // namespace
}  // namespace vemo
