#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/test_support.h"
#include "platform/xml_dom.h"
#include "points/C472VirtualCP.h"
#include "points/C472VirtualCPCol.h"

namespace vemo {
namespace {

using test::ArrayOf;
using test::Cp;
using test::ExpectAutomationError;

// A collection offered every CP element of `cps` in order; whether each was filed.
std::pair<std::shared_ptr<C472VirtualCPCol>, std::vector<bool>> Collect(const std::string& cps) {
  test::TempDir dir;
  platform::XmlDocument document;
  EXPECT_TRUE(document.load(dir.Write("cps.xml", "<CPs>" + cps + "</CPs>")));
  auto col = std::make_shared<C472VirtualCPCol>();
  std::vector<bool> filed;
  for (const platform::XmlNode& cp : document.documentElement().childNodes()) filed.push_back(col->AddCP(cp) != nullptr);
  return {col, filed};
}

TEST(ConfigurationPropertyTest, DefinitionRecordGivesKeyTypeAndObjectAndValueNeedsStorage) {
  struct Case { const char* definition; std::int16_t appliesTo; bool standard; std::int16_t type; const char* select;
                std::int32_t objectId; };
  const Case cases[] = {{"12|1|0-49|3", 1, true, 49, "3", 3}, {"12|0|1-7|0", 0, false, 7, "0", -1},
                        {"12|2|0-49|5", 2, true, 49, "5", -2}, {"12", 0, true, 0, "", -1}};
  for (const Case& c : cases) {
    C472VirtualCP cp;
    cp.InitFromXML(4, 3, c.definition);
    EXPECT_EQ(std::tuple(cp.Key(), cp.AppliesTo(), cp.StandardType(), cp.CPType(), cp.SelectData(), cp.LMObjectID()),
              std::tuple(12, c.appliesTo, c.standard, c.type, std::string(c.select), c.objectId))
        << c.definition;
    // Without storage any value is refused before its type is looked at.
    ExpectAutomationError([&] { cp.Value(); }, 422);
    ExpectAutomationError([&] { cp.Value(ArrayOf({1, 2, 3})); }, 422);
    ExpectAutomationError([&] { cp.Value(Variant("0102")); }, 422);
  }
}

TEST(ConfigurationPropertiesTest, KeyedByDefinitionWithDuplicatesAndIncompleteElementsRefused) {
  // After the first three: a key already filed, then incomplete elements.
  const std::string cps = Cp("C4", 4, "40") + Cp("C1", 2, "10|0|0-1|0") + Cp("C3", 1, "30") +
                          Cp("C9", 8, "10|1|0-2|3") + R"(<CP Index="C5" Size="2"/>)" +
                          R"(<CP Index="C6"><Name>60</Name></CP>)" + Cp("C", 2, "70") + Cp("C8", 32768, "80");
  const auto [col, filed] = Collect(cps);
  EXPECT_EQ(filed, (std::vector<bool>{true, true, true, false, false, false, false, false}));
  EXPECT_EQ(col->ConfigDataSize(), 7);
  const auto cp = col->Item(10);
  EXPECT_EQ(cp->Name(), "10|0|0-1|0") << "the first CP with key 10 stays";
  for (const Variant& key : {Variant(" 10 "), Variant(10.0)}) EXPECT_EQ(col->Item(key), cp);
  // Only keys select: no position, nothing for text that is no key, never an error.
  for (const Variant& key : {Variant(1), Variant(""), Variant(), ArrayOf({10})}) EXPECT_EQ(col->Item(key), nullptr);
}

TEST(ConfigurationPropertiesTest, EqualIndexesStayInTheOrderTheyWereAdded) {
  // Keys 1 to 9 with indexes 5 5 1 1 5 3 3 9 1: ties at the front, middle and end.
  const char* indexes[] = {"C5", "C5", "C1", "C1", "C5", "C3", "C3", "C9", "C1"};
  std::string cps;
  for (int key = 1; key <= 9; ++key) cps += Cp(indexes[key - 1], 1, std::to_string(key));
  std::vector<std::int32_t> keys;
  for (const auto& cp : Members<C472VirtualCP>(Collect(cps).first->NewEnum())) keys.push_back(cp->Key());
  EXPECT_EQ(keys, (std::vector<std::int32_t>{3, 4, 9, 6, 7, 1, 2, 5, 8}));
}

}  // namespace
}  // namespace vemo
