#include <memory>
#include <string>
#include <tuple>

#include "common/test_support.h"
#include "node/C472VirtualLMCol.h"
#include "points/C472VirtualCP.h"

namespace vemo {
namespace {

using test::ExpectAutomationError;

TEST(LMObjectsTest, ObjectListBuildsTheDeviceObjectThenOneObjectPerItem) {
  auto col = std::make_shared<C472VirtualLMCol>();
  col->BuildFromSelfDoc(" 0 , 3Damper,99999");
  // A number that does not fit 16 bits repeats the type before it.
  const std::tuple<const char*, int, const char*, const char*> expected[] = {
      {"-1", -1, "Device Object", "Device Object"}, {"0", 0, "Node Object", "Node Object"},
      {"1", 3, "Damper", "3"}, {"2", 3, "3", "3"}};
  ASSERT_EQ(col->Count(), 4);
  for (std::int32_t position = 1; position <= 4; ++position) {
    const auto& [key, type, name, description] = expected[position - 1];
    const std::shared_ptr<I709LMObject> object = col->Item(position);
    EXPECT_EQ(col->Item(key), object);
    EXPECT_EQ(std::tuple(object->Index(), object->LMObjectType(), object->Name(), object->Description()),
              std::tuple(position - 2, type, name, description));
  }
  ExpectAutomationError([&] { col->Item("7"); }, 5);
  for (int position : {0, 5}) ExpectAutomationError([&] { col->Item(position); }, 9);
  ExpectAutomationError([&] { col->Item(3)->LMObjectType(5); }, 383, "C472VirtualLM::I709LMObject_LMObjectType",
                        "Property is read-only!");
}

TEST(LMObjectsTest, DataPointsAreFiledInTheObjectTheyName) {
  auto col = std::make_shared<C472VirtualLMCol>();
  col->BuildFromSelfDoc("0,3");
  const auto cp = [](const char* definition) {
    auto result = std::make_shared<C472VirtualCP>();
    result->InitFromXML(1, 1, definition);
    return result;
  };
  const auto forDevice = cp("10|0|0-1|0"), forObject1 = cp("20|1|0-1|1");
  // The last two are a key already filed in that object and an object that does not exist.
  for (const auto& point : {forDevice, forObject1, cp("20|1|0-2|1"), cp("30|1|0-1|5")}) col->LinkCP(point);

  // Per object: its CP count / NV count, "-" for no collection. (NVs are filed alike;
  // the population tests cover them.)
  const auto filed = [&](std::int32_t position) {
    const auto cps = col->Item(position)->ConfigurationProperties();
    const auto nvs = col->Item(position)->NetworkVariables();
    return (cps ? std::to_string(cps->Count()) : "-") + "/" + (nvs ? std::to_string(nvs->Count()) : "-");
  };
  EXPECT_EQ(filed(1) + " " + filed(2) + " " + filed(3), "1/- -/- 1/-");
  EXPECT_EQ(col->Item(1)->ConfigurationProperties()->Item("10"), forDevice);
  EXPECT_EQ(col->Item(3)->ConfigurationProperties()->Item("20"), forObject1);
}

}  // namespace
}  // namespace vemo
