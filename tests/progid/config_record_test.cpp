#include <string>

#include "common/test_support.h"
#include "vemosupport/cFactory.h"

namespace vemo {
namespace {

constexpr const char* kId = "80000A1B2C3D0401";

// The configuration record of a device whose ConfigInfo part is `configInfo`.
std::shared_ptr<IVemoProgIDConfigInfo> Load(const std::string& configInfo) {
  const test::TempDir dir;
  dir.Write(std::string(kId) + ".xml", test::Catalogue(test::Device(kId, "0A1B", configInfo)));
  return cFactory().CreateProgIDConfigInfo(kId, dir.path());
}

TEST(ConfigRecord, ListsAttributesThenValuedChildren) {
  // An attribute named Data and an element named Level are items only.
  const auto record = Load("<ConfigInfo Level=\"3\" Data=\"attr\"><Notes>n</Notes><Data>0A0B</Data>"
                           "<Skipped><![CDATA[x]]></Skipped><Level>9</Level></ConfigInfo>");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->ProgramID(), std::string("P") + kId);
  std::string items;
  for (std::int32_t i = 1; i <= record->Count(); ++i) {
    items += record->Item(Variant(i))->Name() + "=" + record->Item(Variant(i))->Value() + " ";
  }
  EXPECT_EQ(items, "Level=3 Data=attr Notes=n Data=0A0B Level=9 ");
  test::ExpectAutomationError([&] { record->Item(Variant("Skipped")); }, 5);
}

TEST(ConfigRecord, LevelIsTheRoundedLeadingNumberAndValidNeedsTwoOfLevelAndValuedData) {
  const struct {
    const char* configInfo;
    bool valid;
    std::int16_t level;
    const char* data;  // the text of the last Data element
  } cases[] = {
      {"<ConfigInfo Level=\" 7 floors\"><Data/></ConfigInfo>", true, 7, ""},
      {"<ConfigInfo Level=\"70000\"><Data>01</Data></ConfigInfo>", true, 0, "01"},
      {"<ConfigInfo><Data>01</Data><Data>02</Data></ConfigInfo>", true, 0, "02"},
      {"<ConfigInfo Level=\"2.5\"><Data><![CDATA[01]]></Data></ConfigInfo>", false, 2, ""},
      {"<ConfigInfo Level=\"3.5\"><Data>01</Data><Data>02</Data></ConfigInfo>", false, 4, "02"},
      {"<ConfigInfo Level=\"abc\" Data=\"01\"><Level>1</Level></ConfigInfo>", false, 0, ""},
      {"", false, 0, ""},
  };
  for (const auto& c : cases) {
    const auto record = Load(c.configInfo);
    ASSERT_NE(record, nullptr) << c.configInfo;
    EXPECT_EQ(record->IsValid(), c.valid) << c.configInfo;
    EXPECT_EQ(record->Level(), c.level) << c.configInfo;
    EXPECT_EQ(record->Data(), c.data) << c.configInfo;
  }
}

}  // namespace
}  // namespace vemo
