#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "common/test_support.h"
#include "vemosupport/catalogue.h"

namespace vemo {
namespace {

using test::Catalogue;
using test::Cp;

// A complete entry (every recognised attribute and DevInfo element once) with the
// object list "0,8020", so LonMark objects 0 and 1 exist, and `points` inside.
std::string Entry(const std::string& id, const std::string& code, const std::string& points = "") {
  return "<C5Device ProgramID=\"P" + id +
         "\" ImgBlockSize=\"1\" IsHostBased=\"No\" IsHybridBased=\"No\" IsNeuronBased=\"Yes\" SupportsFlash=\"No\""
         " Has472Plugin=\"No\" SupportsOffline=\"Yes\"><DevInfo><DeviceCode>" + code +
         "</DeviceCode><DeviceType>t</DeviceType><DeviceTypeEx>x</DeviceTypeEx><Manufacturer>m</Manufacturer>"
         "<PluginRev>1</PluginRev><FirmRev>1</FirmRev><SelfDoc>&amp;3.4@0,8020;d</SelfDoc></DevInfo>" + points +
         "</C5Device>";
}

std::string Nv(const std::string& index, int size, int type, const std::string& selfDoc, const std::string& name = "n") {
  return "<NV Index=\"" + index + "\" Size=\"" + std::to_string(size) + "\" NVType=\"" + std::to_string(type) +
         "\"><Name>" + name + "</Name><SelfDoc>" + selfDoc + "</SelfDoc></NV>";
}

// Whether the problem's description holds every one of `texts`.
::testing::AssertionResult Mentions(const CatalogueProblem& problem, std::initializer_list<std::string> texts) {
  for (const std::string& text : texts) {
    if (problem.description.find(text) == std::string::npos) {
      return ::testing::AssertionFailure() << "no \"" << text << "\" in: " << problem.description;
    }
  }
  return ::testing::AssertionSuccess();
}

class CatalogueCheckTest : public ::testing::Test {
 protected:
  CatalogueCheck Check() { return CheckCatalogue(dir_.path()); }
  // "file kind" of every problem, in order.
  std::vector<std::string> Kinds(const CatalogueCheck& check) {
    std::vector<std::string> kinds;
    for (const CatalogueProblem& problem : check.problems) {
      kinds.push_back(problem.xmlFilename.substr(dir_.path().size() + 1) + " " + problem.kind);
    }
    return kinds;
  }

  test::TempDir dir_;
  test::MessageBoxRecorder boxes_;
};

TEST_F(CatalogueCheckTest, CorrectlySizedPointsAndDuplicatesThatEachLookupReachesAreClean) {
  const std::string id = "F000000000000001";
  // Standard sizes: SNVT_temp_p 2, SNVT_obj_status 6, SCPTmaxSendTime 2. Not checked:
  // NVType 0, a user-defined CP type, and SCPTsndDelta, which takes its NV's size.
  const std::string points =
      "<CPs>" + Cp("#1", 2, "1|0|0-49") + Cp("#2", 5, "2|1|1-60|1") + Cp("#3", 3, "3|2|0-27|4") + "</CPs><NVIs>" +
      Nv("I4", 2, 105, "@1|1") + Nv("I5", 7, 0, "@0|1") + "</NVIs><NVOs>" + Nv("O6", 6, 93, "@0|2") + "</NVOs>";
  // The device's own file answers its program ID, MiscPIDs.xml its device code.
  dir_.Write(id + ".xml", Catalogue(Entry(id, "DV01", points)));
  dir_.Write("MiscPIDs.xml", Catalogue(Entry(id, "DV01")));
  dir_.Write("notes.txt", "<C5Devices><C5Device/></C5Devices>");

  const CatalogueCheck check = Check();
  EXPECT_EQ(Kinds(check), std::vector<std::string>{});
  EXPECT_EQ(check.files, 2u);
  EXPECT_EQ(check.entries, 2u);
}

TEST_F(CatalogueCheckTest, BrokenFilesAreReportedWithTheLookupsReportAndTheRestIsStillChecked) {
  dir_.Write("a.xml", "<C5Devices>\n<C5Device>\n</C5Devices>\n");
  dir_.Write("b.xml", Catalogue(Entry("0000000000000001", "AB01")));

  const CatalogueCheck check = Check();
  ASSERT_EQ(Kinds(check), std::vector<std::string>{"a.xml unreadable-file"});
  EXPECT_EQ(check.problems[0].programId, "");
  EXPECT_TRUE(Mentions(check.problems[0], {"Line Number: 3;", dir_.path() + "/a.xml"}));
  EXPECT_EQ(check.problems[0].description.find('\n'), std::string::npos);
  EXPECT_EQ((std::pair(check.files, check.entries)), (std::pair<std::size_t, std::size_t>(2, 1)));
  EXPECT_TRUE(boxes_.boxes().empty()) << "the check shows no message box";
  test::ExpectAutomationError([&] { CheckCatalogue(dir_.path() + "/missing"); }, 76);
}

TEST_F(CatalogueCheckTest, DuplicatesAreReportedWhereALookupNeverReturnsTheEntry) {
  const std::string x = "F000000000000002";
  // The program-ID lookup tries x's own file first; the device-code lookup scans by name
  // and stops at 0a.xml. So each of those two entries is reached, the one in 1b.xml not.
  dir_.Write("0a.xml", Catalogue(Entry(x, "DC05")));
  dir_.Write("1b.xml", Catalogue(Entry(x, "DC05")));
  dir_.Write(x + ".xml", Catalogue(Entry(x, "DC05")));
  // Another device with the same code: a lookup by the code never finds it.
  dir_.Write("2c.xml", Catalogue(Entry("0000000000000003", "DC05") + Entry("0000000000000004", "DC06")));

  const CatalogueCheck check = Check();
  ASSERT_EQ(Kinds(check), (std::vector<std::string>{"1b.xml duplicate-program-id", "2c.xml duplicate-device-code"}));
  EXPECT_EQ(check.problems[0].programId, x);
  EXPECT_TRUE(Mentions(check.problems[0], {"returns the one in " + x + ".xml"}));
  EXPECT_TRUE(Mentions(check.problems[1], {"returns program ID " + x + " in 0a.xml"}));
  EXPECT_EQ(check.problems[1].programId, "0000000000000003");
}

TEST_F(CatalogueCheckTest, TwoEntriesOfOneIdInOneFileLeaveTheSecondUnusedAndUnpopulated) {
  // Population reads the first entry; the second's points must not be compared with it.
  dir_.Write("a.xml", Catalogue(Entry("0000000000000005", "EE01") +
                                Entry("0000000000000005", "EE01", "<NVIs>" + Nv("I9", 2, 105, "@7|1") + "</NVIs>")));
  const CatalogueCheck check = Check();
  ASSERT_EQ(Kinds(check), std::vector<std::string>{"a.xml duplicate-program-id"});
  EXPECT_TRUE(Mentions(check.problems[0], {"a.xml (entry 1)"}));
}

TEST_F(CatalogueCheckTest, RecordsWithoutDevInfoOrWithoutTheValuesIsValidNeedsAreNamed) {
  std::string incomplete = Entry("0000000000000006", "AB06");
  incomplete.replace(incomplete.find("<FirmRev>1</FirmRev>"), 20, "<DeviceCode>AB07</DeviceCode>");
  incomplete.replace(incomplete.find("<SelfDoc>"), 9, "<SelfDoc><![CDATA[x]]>");
  incomplete.replace(incomplete.find(" IsHostBased"), 17, "");
  std::string noP = Entry("0000000000000008", "AB08");
  noP.replace(noP.find("\"P"), 2, "\"Q");
  dir_.Write("a.xml", Catalogue("<C5Device ProgramID=\"P0000000000000007\"/>" + incomplete + noP));

  const CatalogueCheck check = Check();
  ASSERT_EQ(Kinds(check),
            (std::vector<std::string>{"a.xml missing-devinfo", "a.xml invalid-record", "a.xml invalid-record"}));
  EXPECT_EQ(check.problems[0].programId, "0000000000000007");
  EXPECT_TRUE(Mentions(check.problems[1],
                       {"it lacks IsHostBased and FirmRev", "SelfDoc cannot be read", "it repeats DeviceCode (2 times)"}));
  EXPECT_TRUE(Mentions(check.problems[2], {"does not start with \"P\""}));
}

TEST_F(CatalogueCheckTest, SizesThatContradictTheirStandardTypeAreReported) {
  dir_.Write("a.xml", Catalogue(Entry("0000000000000009", "AB09",
                                      "<CPs>" + Cp("#1", 2, "1|0|0-60") + "</CPs><NCIs>" +
                                          Nv("N2", 1, 8, "&amp;0,0") + "</NCIs><NVOs>" +
                                          Nv("O3", 4, 93, "@0|2", "nvoStatus") + "</NVOs>")));
  const CatalogueCheck check = Check();
  ASSERT_EQ(Kinds(check), (std::vector<std::string>{"a.xml cp-size", "a.xml nv-size", "a.xml nv-size"}));
  EXPECT_TRUE(Mentions(check.problems[0], {"SCPTsetPnts (60) is 12 bytes"}));
  EXPECT_TRUE(Mentions(check.problems[1], {"NVType 8 is SNVT_count of 2 bytes"}));
  EXPECT_TRUE(Mentions(check.problems[2], {"\"O3\" nvoStatus in NVOs has Size 4", "Set Size to 6"}));
}

TEST_F(CatalogueCheckTest, WhatPopulationReportsDiscardsOrLeavesOutIsReportedPerPoint) {
  const std::string points =
      "<CPs>" + Cp("#1", 2, "7|0|0-49") + Cp("#2", 2, "7|1|0-49|1") + Cp("#", 1, "8") +
      Cp("#4", 2, "9|2|0-49|99") + "</CPs><NCIs>" + Nv("N5", 2, 0, "@0|1", "nciWrongLead") + Nv("N6", 1, 0, "&amp;1") +
      "</NCIs><NVIs>" + Nv("I5", 2, 0, "@0|1", "nviSameIndex") + Nv("I7", 2, 0, "@9|1", "nviNoObject") +
      "<NV Index=\"I8\" Size=\"2\" NVType=\"0\"><Name>nviNoSelfDoc</Name></NV></NVIs>";
  dir_.Write("a.xml", Catalogue(Entry("000000000000000A", "AB0A", points)));

  const CatalogueCheck check = Check();
  ASSERT_EQ(Kinds(check), (std::vector<std::string>{"a.xml duplicate-cp-key", "a.xml discarded-point",
                                                    "a.xml unfiled-point", "a.xml discarded-point",
                                                    "a.xml duplicate-nv-index", "a.xml unfiled-point",
                                                    "a.xml discarded-point", "a.xml message-box"}));
  const std::vector<CatalogueProblem>& p = check.problems;
  EXPECT_TRUE(Mentions(p[0], {"CP \"#2\" (key 7) has the key of CP \"#1\" (key 7)"}));
  EXPECT_TRUE(Mentions(p[1], {"Index attribute needs a prefix character and a number"}));
  EXPECT_TRUE(Mentions(p[2], {"object of NV 99"}));
  EXPECT_TRUE(Mentions(p[3], {"\"N6\" n in NCIs", "lacks the applies-to code"}));
  EXPECT_TRUE(Mentions(p[4], {"nviSameIndex in NVIs has the index 5 of NV \"N5\" nciWrongLead"}));
  EXPECT_TRUE(Mentions(p[5], {"LonMark object 9, which the node does not have", "to 1,"}));
  EXPECT_TRUE(Mentions(p[6], {"no SelfDoc child element"}));
  EXPECT_TRUE(Mentions(p[7], {"Expecting \"&\" or \"~\"", "NVIndex = 5; NVName = nciWrongLead. The NV is kept"}));
  EXPECT_TRUE(boxes_.boxes().empty()) << "population's message box is a problem, not a box";
}

TEST_F(CatalogueCheckTest, ANodeWithoutAnyLonMarkObjectFilesNoPointAndSaysWhy) {
  std::string entry = Entry("000000000000000B", "AB0B", "<NVIs>" + Nv("I1", 2, 105, "@0|1") + "</NVIs>");
  entry.replace(entry.find("&amp;3.4@0,8020;d"), 17, "3.4@0,8020;d");
  dir_.Write("a.xml", Catalogue(entry));
  const CatalogueCheck check = Check();
  ASSERT_EQ(Kinds(check), std::vector<std::string>{"a.xml unfiled-point"});
  EXPECT_TRUE(Mentions(check.problems[0], {"no LonMark objects at all"}));
}

TEST_F(CatalogueCheckTest, AnEntryThatRaisesAnErrorIsOneProblemAndEveryOtherEntryAndFileIsStillChecked) {
  // 32,768 objects and the device object: the node's object count overflows 16 bits.
  std::string overflowing = Entry("000000000000000C", "AB0C");
  std::string objects = "0";
  for (int i = 1; i < 32768; ++i) objects += ",0";
  overflowing.replace(overflowing.find("0,8020;d"), 8, objects + ";d");
  dir_.Write("a.xml", Catalogue(overflowing + Entry("000000000000000D", "AB0D", "<NVIs>" + Nv("I1", 3, 105, "@0|1") +
                                                                                     "</NVIs>")));
  dir_.Write("b.xml", "<C5Devices>\n<C5Device>\n</C5Devices>\n");

  const CatalogueCheck check = Check();
  ASSERT_EQ(Kinds(check), (std::vector<std::string>{"a.xml entry-error", "a.xml nv-size", "b.xml unreadable-file"}));
  EXPECT_EQ(check.problems[0].programId, "000000000000000C");
  EXPECT_TRUE(Mentions(check.problems[0], {"error 6 (Overflow)"}));
}

TEST_F(CatalogueCheckTest, ValuesOutsideTheirTypeAndConfigurationFilesThatDoNotFitAreReported) {
  const std::string id = "F000000000000002";
  // SNVT_temp_p (105) allows -273.17..327.67 °C, so 8AD0 (-300.00) is outside; no member
  // of SNVT_hvac_mode (108) is 127.
  // Input and output NVs hold no configuration: NV 3's default is not read.
  const std::string points = "<NCIs>" + Nv("N1", 2, 105, "&amp;0,0") + Nv("N2", 1, 108, "&amp;0,0") +
                             "</NCIs><NVIs>" + Nv("I3", 1, 108, "@0|1") + "</NVIs>";
  std::string withDefaults = points;
  withDefaults.replace(withDefaults.find("</NV>"), 5, "<Default>8AD0</Default></NV>");
  withDefaults.replace(withDefaults.find("</NV>", withDefaults.find("N2")), 5, "<Default>7F</Default></NV>");
  withDefaults.replace(withDefaults.rfind("</NV>"), 5, "<Default>7F</Default></NV>");
  dir_.Write(id + ".xml", Catalogue(Entry(id, "DV02", withDefaults)));
  CatalogueCheck check = Check();
  ASSERT_EQ(Kinds(check), (std::vector<std::string>{id + ".xml value-out-of-range", id + ".xml unnamed-member"}));
  EXPECT_TRUE(Mentions(check.problems[0], {"NV 1 n (SNVT_temp_p): its default -300.00 °C is outside -273.17..327.67 °C"}));
  EXPECT_TRUE(Mentions(check.problems[1], {"NV 2 n (SNVT_hvac_mode): its default 127 names no member"}));

  dir_.Write(id + ".xml", Catalogue(Entry(id, "DV02", points)));
  // (the file's program ID and data, the problem's kind and words)
  const std::tuple<std::string, std::string, std::string> files[] = {
      {"0000000000000000\n08 66 00 00", "configuration-file", "names another program ID"},
      {id + "\n08 66 00 00 00", "configuration-file", "does not hold the device's 3 bytes of configuration data"},
      {id + "\nzz 66 00 00", "configuration-file", "not hexadecimal"},
      {id + "\n80 00 00 00", "value-out-of-range", "its value in the configuration file -327.68 °C is outside"},
  };
  for (const auto& [file, kind, words] : files) {
    dir_.Write(id + ".kiv", "vemo-kiv 1\nprogram-id " + file + "\n");
    check = Check();
    ASSERT_EQ(Kinds(check), std::vector<std::string>{id + ".xml " + kind}) << file;
    EXPECT_TRUE(Mentions(check.problems[0], {words})) << file;
  }
}

}  // namespace
}  // namespace vemo
