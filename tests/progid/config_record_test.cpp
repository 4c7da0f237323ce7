#include <string>
#include <vector>

#include "common/test_support.h"
#include "factory/cFactory.h"

namespace vemo {
namespace {

constexpr const char* kId = "80000A1B2C3D0401";

class ConfigRecordTest : public ::testing::Test {
 protected:
  // The configuration record of a device whose ConfigInfo part is `configInfo`.
  std::shared_ptr<IVemoProgIDConfigInfo> Load(const std::string& configInfo) {
    file_ = dir_.Write(std::string(kId) + ".xml", test::Catalogue(test::Device(kId, "0A1B", configInfo)));
    auto record = cFactory().CreateProgIDConfigInfo(kId, dir_.path());
    EXPECT_NE(record, nullptr);
    return record;
  }
  static std::vector<std::string> Items(const IVemoProgIDConfigInfo& record) {
    std::vector<std::string> items;
    for (std::int32_t i = 1; i <= record.Count(); ++i) {
      const auto item = record.Item(Variant(i));
      items.push_back(item->Name() + "=" + item->Value());
    }
    return items;
  }

  test::TempDir dir_;
  test::MessageBoxRecorder boxes_;
  std::string file_;
};

TEST_F(ConfigRecordTest, CompleteEntryListsAttributesThenValuedChildren) {
  // An attribute named Data and an element named Level are items only.
  const auto record = Load("<ConfigInfo Level=\"3\" Data=\"attr\"><Notes>n</Notes><Data>0A0B</Data>"
                           "<Skipped><![CDATA[x]]></Skipped><Level>9</Level></ConfigInfo>");
  ASSERT_NE(record, nullptr);
  EXPECT_TRUE(record->IsValid());
  EXPECT_EQ(record->ProgramID(), std::string("P") + kId);
  EXPECT_EQ(record->XMLFilename(), file_);
  EXPECT_EQ(record->Level(), 3);
  EXPECT_EQ(record->Data(), "0A0B");
  EXPECT_EQ(Items(*record), (std::vector<std::string>{"Level=3", "Data=attr", "Notes=n", "Data=0A0B", "Level=9"}));
  EXPECT_EQ(record->Item(Variant("level"))->Value(), "3");
  test::ExpectAutomationError([&] { record->Item(Variant(std::int32_t{6})); }, 9);
  test::ExpectAutomationError([&] { record->Item(Variant("Skipped")); }, 5);
}

TEST_F(ConfigRecordTest, LevelIsTheLeadingNumberAndAlwaysCounts) {
  const struct {
    const char* text;
    std::int16_t level;
  } cases[] = {{"3", 3}, {"2.5", 2}, {"3.5", 4}, {"abc", 0}, {"  7 floors", 7}, {"70000", 0}, {"-2", -2}};
  for (const auto& c : cases) {
    const auto record = Load(std::string("<ConfigInfo Level=\"") + c.text + "\"><Data>01</Data></ConfigInfo>");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Level(), c.level) << c.text;
    EXPECT_TRUE(record->IsValid()) << c.text;
    EXPECT_EQ(record->Item(Variant("Level"))->Value(), c.text);
  }
}

TEST_F(ConfigRecordTest, ValidityCountsLevelAndEveryValuedData) {
  const struct {
    const char* configInfo;
    bool valid;
    const char* data;
    std::int32_t count;
  } cases[] = {
      {"<ConfigInfo><Data>01</Data><Data>02</Data></ConfigInfo>", true, "02", 2},
      {"<ConfigInfo Level=\"1\"><Data/></ConfigInfo>", true, "", 2},
      {"<ConfigInfo Level=\"1\"><Data><![CDATA[01]]></Data></ConfigInfo>", false, "", 1},
      {"<ConfigInfo Level=\"1\"><Data>01</Data><Data>02</Data></ConfigInfo>", false, "02", 3},
      {"<ConfigInfo Level=\"1\"/>", false, "", 1},
      {"<ConfigInfo Data=\"01\"><Level>1</Level></ConfigInfo>", false, "", 2},
  };
  for (const auto& c : cases) {
    const auto record = Load(c.configInfo);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->IsValid(), c.valid) << c.configInfo;
    EXPECT_EQ(record->Data(), c.data) << c.configInfo;
    EXPECT_EQ(record->Count(), c.count) << c.configInfo;
  }
}

TEST_F(ConfigRecordTest, DeviceWithoutConfigInfoGivesAnEmptyInvalidRecord) {
  const auto record = Load("");
  ASSERT_NE(record, nullptr);
  EXPECT_FALSE(record->IsValid());
  EXPECT_EQ(record->Count(), 0);
  EXPECT_EQ(record->ProgramID(), std::string("P") + kId);
  EXPECT_EQ(record->Level(), 0);
  EXPECT_EQ(record->Data(), "");
}

}  // namespace
}  // namespace vemo
