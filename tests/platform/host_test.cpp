// What the host platform provides: files and folders.
#include <string>

#include "common/test_support.h"
#include "platform/file_system.h"

namespace vemo::platform {
namespace {

TEST(FileSystem, ListsOnlyFilesSortedByNameAndNeedsAFolder) {
  test::TempDir dir;
  for (const char* name : {"b.xml", "a10.xml", "c.txt", "a.xml", "sub/inner.xml"}) dir.Write(name, "x");
  dir.Mkdir("a5.xml");
  std::string listed;
  for (const FileEntry& entry : ListFiles(dir.slash())) listed += entry.name + " ";
  EXPECT_EQ(listed, "a.xml a10.xml b.xml c.txt ");
  for (const char* bad : {"missing/", "b.xml/"}) {
    test::ExpectAutomationError([&] { ListFiles(dir.slash() + bad); }, err::kPathNotFound);
  }
}

}  // namespace
}  // namespace vemo::platform
