#include <memory>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "node/C472VirtualLM.h"
#include "node/C472VirtualLMCol.h"
#include "platform/xml_dom.h"
#include "points/C472VirtualCP.h"
#include "points/C472VirtualNVCol.h"

namespace vemo {
namespace {

using test::ExpectAutomationError;

std::shared_ptr<C472VirtualCP> MakeCP(const std::string& definition) {
  auto cp = std::make_shared<C472VirtualCP>();
  cp->InitFromXML(1, 1, definition);
  return cp;
}

// The object at 1-based position `position`, as the concrete class.
std::shared_ptr<C472VirtualLM> At(const C472VirtualLMCol& col, std::int32_t position) {
  return std::dynamic_pointer_cast<C472VirtualLM>(col.Item(position));
}

TEST(LMObjectsTest, ObjectListBuildsTheDeviceObjectThenOneObjectPerItem) {
  struct Expected { const char* key; std::int16_t index, type; const char* name; const char* description; };
  const Expected expected[] = {{"-1", -1, -1, "Device Object", "Device Object"},
                               {"0", 0, 0, "Node Object", "Node Object"},
                               {"1", 1, 3, "3", "3"}};
  auto col = std::make_shared<C472VirtualLMCol>();
  col->BuildFromSelfDoc("0,3");
  ASSERT_EQ(col->Count(), 3);
  const std::shared_ptr<Enumerator> members = col->NewEnum();
  for (std::int32_t position = 1; position <= 3; ++position) {
    const Expected& e = expected[position - 1];
    SCOPED_TRACE(e.key);
    const std::shared_ptr<I709LMObject> object = col->Item(position);
    EXPECT_EQ(col->Item(e.key), object);
    EXPECT_EQ(std::dynamic_pointer_cast<I709LMObject>(members->Next().value().AsObject()), object);
    EXPECT_EQ(object->Index(), e.index);
    EXPECT_EQ(object->LMObjectType(), e.type);
    EXPECT_EQ(object->Name(), e.name);
    EXPECT_EQ(object->Description(), e.description);
  }
  EXPECT_FALSE(members->Next().has_value());
  ExpectAutomationError([&] { col->Item("7"); }, 5);
  ExpectAutomationError([&] { col->Item(0); }, 9);
  ExpectAutomationError([&] { col->Item(4); }, 9);

  const std::shared_ptr<I709LMObject> last = col->Item(3);
  col->BuildFromSelfDoc("8010,8020,8030");
  EXPECT_EQ(col->Count(), 3) << "a built collection stays as it is";
  EXPECT_EQ(col->Item(3), last);
  EXPECT_EQ(last->LMObjectType(), 3);
}

TEST(LMObjectsTest, ItemsMayNameTheirObjects) {
  auto named = std::make_shared<C472VirtualLMCol>();
  named->BuildFromSelfDoc(" 0 , 3Damper");
  ASSERT_EQ(named->Count(), 3);
  EXPECT_EQ(named->Item(2)->Name(), "Node Object");
  EXPECT_EQ(named->Item(3)->LMObjectType(), 3);
  EXPECT_EQ(named->Item(3)->Name(), "Damper");
  EXPECT_EQ(named->Item(3)->Description(), "3");

  auto empty = std::make_shared<C472VirtualLMCol>();
  empty->BuildFromSelfDoc("");
  ASSERT_EQ(empty->Count(), 1);
  EXPECT_EQ(empty->Item(1)->Name(), "Device Object");
}

TEST(LMObjectsTest, ObjectIsReadOnlyAndOffline) {
  auto col = std::make_shared<C472VirtualLMCol>();
  col->BuildFromSelfDoc("8010");
  const std::shared_ptr<I709LMObject> object = col->Item(2);
  ExpectAutomationError([&] { object->LMObjectType(5); }, 383, "C472VirtualLM::I709LMObject_LMObjectType",
                        "Property is read-only!");
  EXPECT_EQ(object->LMObjectType(), 8010);
  object->TestCommand(1);
  EXPECT_EQ(object->TestResults(), 0);
  EXPECT_EQ(object->PrimaryNV(), nullptr);
}

TEST(LMObjectsTest, DataPointsAreFiledInTheObjectTheyName) {
  auto col = std::make_shared<C472VirtualLMCol>();
  col->BuildFromSelfDoc("0,3");
  const auto forDevice = MakeCP("10|0|0-1|0");
  const auto forObject1 = MakeCP("20|1|0-1|1");
  col->LinkCP(forDevice);
  col->LinkCP(forObject1);
  col->LinkCP(MakeCP("20|1|0-2|1"));  // same key in the same object
  col->LinkCP(MakeCP("30|1|0-1|5"));  // no object 5

  test::TempDir dir;
  platform::XmlDocument document;
  ASSERT_TRUE(document.load(dir.Write("nv.xml", "<NVs><NV Index=\"N4\" Size=\"1\" NVType=\"3\"><Name>nvoX</Name>"
                                                "<SelfDoc>@1|1</SelfDoc></NV></NVs>")));
  auto nvs = std::make_shared<C472VirtualNVCol>();
  const auto nv = nvs->AddNV(document.documentElement().selectSingleNode("NV"), false);
  ASSERT_NE(nv, nullptr);
  col->LinkNV(nv);

  const auto device = At(*col, 1);
  ASSERT_NE(device->ConfigurationProperties(), nullptr);
  EXPECT_EQ(device->ConfigurationProperties()->Count(), 1);
  EXPECT_EQ(device->ConfigurationProperties()->Item("10"), forDevice);
  EXPECT_EQ(device->NetworkVariables(), nullptr);

  EXPECT_EQ(At(*col, 2)->ConfigurationProperties(), nullptr);
  EXPECT_EQ(At(*col, 2)->NetworkVariables(), nullptr);

  const auto object1 = At(*col, 3);
  const std::shared_ptr<I709ConfigurationProperties> cps = object1->ConfigurationProperties();
  ASSERT_NE(cps, nullptr);
  EXPECT_EQ(std::dynamic_pointer_cast<C472VirtualLM>(cps), object1) << "the object answers as its CP collection";
  EXPECT_EQ(cps->Count(), 1);
  EXPECT_EQ(cps->Item("20"), forObject1);
  EXPECT_EQ(cps->Item(1), forObject1);
  const std::shared_ptr<Enumerator> members = cps->NewEnum();
  EXPECT_EQ(std::dynamic_pointer_cast<C472VirtualCP>(members->Next().value().AsObject()), forObject1);
  EXPECT_FALSE(members->Next().has_value());

  const std::shared_ptr<I709NetworkVariables> nvFace = object1->NetworkVariables();
  ASSERT_NE(nvFace, nullptr);
  EXPECT_EQ(nvFace->Count(), 1);
  EXPECT_EQ(nvFace->Item("4"), nv);
  EXPECT_EQ(std::dynamic_pointer_cast<C472VirtualNV>(nvFace->NewEnum()->Next().value().AsObject()), nv);
}

}  // namespace
}  // namespace vemo
