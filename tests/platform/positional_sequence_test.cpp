#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/keyed_collection.h"
#include "platform/positional_sequence.h"
#include "vemosupport/object.h"

namespace vemo {
namespace {

std::vector<int> Contents(const PositionalSequence<int>& sequence) {
  std::vector<int> values;
  for (int value : sequence) values.push_back(value);
  return values;
}

// Thousands of insertions and removals at random places, so that blocks split, empty
// and go away, against a plain vector doing the same.
TEST(PositionalSequence, AgreesWithAPlainVectorThroughSplitsAndEmptiedBlocks) {
  std::mt19937 random(7);
  PositionalSequence<int> sequence;
  std::vector<int> expected;
  for (int step = 0; step < 6000; ++step) {
    // Grow for most of the run, then shrink to nothing.
    const bool grow = step < 4000 ? random() % 4 != 0 : false;
    if (grow || expected.empty()) {
      const std::size_t at = random() % (expected.size() + 1);
      sequence.insert(at, step);
      expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(at), step);
    } else {
      const std::size_t at = random() % expected.size();
      sequence.erase(at);
      expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(at));
    }
    ASSERT_EQ(sequence.size(), expected.size());
    if (step % 500 == 0 || expected.size() < 3) {
      ASSERT_EQ(Contents(sequence), expected) << "step " << step;
    }
  }
  EXPECT_TRUE(Contents(sequence).empty());
  // Every position reads its own value, front and back included.
  for (int i = 0; i < 3000; ++i) sequence.insert(i % 2 ? sequence.size() : 0, i);
  for (int i = 0; i < 3000; ++i) expected.insert(i % 2 ? expected.end() : expected.begin(), i);
  for (std::size_t at = 0; at < expected.size(); ++at) ASSERT_EQ(sequence.at(at), expected[at]) << at;
  sequence.clear();
  EXPECT_EQ(sequence.size(), 0u);
  EXPECT_TRUE(Contents(sequence).empty());
}

struct Counted : Object {
  Counted(int n, std::vector<int>& released) : number(n), log(released) {}
  ~Counted() override { log.push_back(number); }
  int number;
  std::vector<int>& log;
};

// A collection filled in descending order, each member inserted before the first.
TEST(KeyedCollection, ManyInsertionsAtTheFrontKeepOrderAndKeysAndReleaseFromTheFront) {
  std::vector<int> released;
  {
    KeyedCollection<std::shared_ptr<Counted>> members;
    constexpr int kCount = 5000;
    for (int i = kCount - 1; i >= 0; --i) {
      const std::optional<std::int32_t> before = members.Count() ? std::optional<std::int32_t>(1) : std::nullopt;
      ASSERT_TRUE(members.TryAdd(std::make_shared<Counted>(i, released), "K" + std::to_string(i), before));
    }
    EXPECT_FALSE(members.TryAdd(std::make_shared<Counted>(-1, released), "k17"));
    EXPECT_EQ(released, std::vector<int>{-1});  // the refused member is released, nothing else
    released.clear();
    for (int position : {1, 2, 2500, 4999, 5000}) EXPECT_EQ(members.Item(position)->number, position - 1);
    EXPECT_EQ(members.Item(std::string_view("k4321"))->number, 4321);
    members.Remove(2500);
    EXPECT_EQ(released, std::vector<int>{2499});
    EXPECT_EQ(members.Find("k2499"), nullptr);
    EXPECT_EQ(members.Item(2500)->number, 2500);
    released.clear();
  }
  ASSERT_EQ(released.size(), 4999u);
  EXPECT_TRUE(std::is_sorted(released.begin(), released.end()));
}

}  // namespace
}  // namespace vemo
