#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "common/test_support.h"
#include "catalogue/catalogue_search.h"

namespace vemo {
namespace {

using test::Catalogue;
using test::Device;

const std::string kId = "80000A1B2C3D0401";
const std::string kCode = "0A1B";
const std::string kBroken = "<C5Devices>\n<C5Device ProgramID=P1/>\n</C5Devices>\n";

class CatalogueSearchTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return dir_.slash() + name; }

  test::TempDir dir_;
  test::MessageBoxRecorder boxes_;
};

TEST_F(CatalogueSearchTest, ProgramIDLooksInNameOrderAndStopsThereButInItsOwnFileFirst) {
  dir_.Write("0a.xml", Catalogue(Device("80000A1B2C3D0400")));
  dir_.Write("0b.xml", Catalogue(Device(kId)));
  dir_.Write("0c.xml", kBroken);
  EXPECT_EQ(SearchByProgramID(dir_.slash(), kId).file, File("0b.xml"));
  dir_.Write(kId + ".xml", Catalogue(Device(kId)));  // named after 0b.xml, yet tried before it
  EXPECT_EQ(SearchByProgramID(dir_.slash(), kId).file, File(kId + ".xml"));
  EXPECT_TRUE(boxes_.boxes().empty()) << "files after the match are never opened";
}

TEST_F(CatalogueSearchTest, BrokenFilesAreReportedAndSkipped) {
  const std::string own = dir_.Write(kId + ".xml", kBroken);
  dir_.Write("z.xml", Catalogue(Device(kId)));
  EXPECT_EQ(SearchByProgramID(dir_.slash(), kId).file, File("z.xml"));
  ASSERT_EQ(boxes_.boxes().size(), 2u) << "the own file is tried first and again in the scan";
  EXPECT_NE(boxes_.boxes()[1].text.find(own), std::string::npos);
}

TEST_F(CatalogueSearchTest, ScansXmlExtensionsInAnyCaseOnlyAndDeviceCodeTriesMiscPIDsFirst) {
  dir_.Write("0.xml.bak", Catalogue(Device(kId, kCode)));
  dir_.Mkdir("1.xml");
  dir_.Write("A.Xml", Catalogue(Device("1", kCode)));
  dir_.Write("B.XML", Catalogue(Device(kId)));
  EXPECT_EQ(SearchByProgramID(dir_.slash(), kId).file, File("B.XML"));
  EXPECT_EQ(SearchByDeviceCode(dir_.slash(), kCode).file, File("A.Xml"));
  dir_.Write("MiscPIDs.xml", Catalogue(Device(kId, kCode)));
  EXPECT_EQ(SearchByDeviceCode(dir_.slash(), kCode).file, File("MiscPIDs.xml"));
}

TEST_F(CatalogueSearchTest, LinksOutOfTheFolderAndHugeFilesAreReportedAndSkipped) {
  const std::string folder = dir_.Mkdir("catalogue");
  const std::string secret = dir_.Write("secret.xml", "<C5Devices>\nTOPSECRET root:x:0:0\n");
  std::filesystem::create_symlink(secret, folder + "/a.xml");
  const std::string inside = dir_.Write("catalogue/real/device.xml", Catalogue(Device(kId)));
  std::filesystem::create_symlink(inside, folder + "/b.xml");
  // A sparse file just past 16 MiB: refused by its size, not read.
  std::filesystem::resize_file(dir_.Write("catalogue/0.xml", ""), 16 * 1024 * 1024 + 1);

  EXPECT_EQ(SearchByProgramID(folder + "/", kId).file, folder + "/b.xml") << "a link within the folder is followed";
  ASSERT_EQ(boxes_.boxes().size(), 2u);
  EXPECT_NE(boxes_.boxes()[0].text.find("too large"), std::string::npos) << boxes_.boxes()[0].text;
  EXPECT_NE(boxes_.boxes()[1].text.find("outside the catalogue folder"), std::string::npos);
  for (const test::RecordedBox& box : boxes_.boxes()) EXPECT_EQ(box.text.find("TOPSECRET"), std::string::npos);
}

TEST_F(CatalogueSearchTest, AFileThatCouldNotBeOpenedForWantOfDescriptorsIsFoundOnceTheyAreBack) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizers check memory through descriptors of their own";
#endif
  dir_.Write(kId + ".xml", Catalogue(Device(kId)));
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  // Room for the folder's descriptor, none for the file's.
  const int lowestFree = ::open("/dev/null", O_RDONLY);
  ::close(lowestFree);
  const rlimit tight{static_cast<rlim_t>(lowestFree) + 1, saved.rlim_max};
  {
    const struct Restore { rlimit saved; ~Restore() { ::setrlimit(RLIMIT_NOFILE, &saved); } } restore{saved};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    try {  // the folder cannot be listed either: nothing, or an error
      EXPECT_FALSE(SearchByProgramID(dir_.slash(), kId).element);
    } catch (const AutomationError&) {}
  }
  ASSERT_EQ(boxes_.boxes().size(), 1u) << "the failed open is reported";
  EXPECT_TRUE(SearchByProgramID(dir_.slash(), kId).element);
}

TEST_F(CatalogueSearchTest, ProgramIDWithASeparatorOrNulOpensNoFileOutsideTheFolder) {
  const std::string folder = dir_.Mkdir("catalogue") + "/";
  const std::string escaping = "../x/ABCDEFGHIJK";  // 16 characters
  dir_.Write("x/ABCDEFGHIJK.xml", Catalogue(Device(escaping)));
  EXPECT_FALSE(SearchByProgramID(folder, escaping).element);
  dir_.Write("catalogue/ABCDEFG", kBroken);  // what the ID names up to its NUL
  EXPECT_FALSE(SearchByProgramID(folder, std::string("ABCDEFG\0HIJKLMNO", 16)).element);
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(CatalogueSearchTest, FindDeviceCodeNodeGivesTheParentOfTheFirstDevInfoWithExactlyThatText) {
  const std::string file = dir_.Write(
      "c.xml", Catalogue("<C5Device ProgramID=\"P2\"><DevInfo><DeviceCode> BBBB</DeviceCode></DevInfo></C5Device>"
                         "<Group><C5Device ProgramID=\"P3\"><Sub><DevInfo><DeviceCode>0A1B</DeviceCode></DevInfo>"
                         "</Sub></C5Device></Group>" + Device("4", kCode)));
  EXPECT_EQ(FindDeviceCodeNode(file, kCode).baseName(), "Sub");
  for (const std::string other : {"BBBB", "0a1b", "x\" or \"a\" = \"a"}) EXPECT_FALSE(FindDeviceCodeNode(file, other));
}

}  // namespace
}  // namespace vemo
