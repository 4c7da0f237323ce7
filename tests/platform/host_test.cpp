// What the host platform provides: files and folders, message boxes, the string table.
#include <string>
#include <utility>

#include "common/test_support.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/string_resources.h"

namespace vemo::platform {
namespace {

using test::ExpectAutomationError;

TEST(FileSystem, TellsFilesFromFoldersAndListsOnlyFilesSortedByName) {
  test::TempDir dir;
  for (const char* name : {"b.xml", "a10.xml", "c.txt", "a.xml", "sub/inner.xml"}) dir.Write(name, "x");
  dir.Mkdir("a5.xml");
  EXPECT_TRUE(FolderExists(dir.path()) && FolderExists(dir.slash()) && FileExists(dir.slash() + "a.xml"));
  for (const std::string& not_folder : {std::string(), dir.slash() + "missing", dir.slash() + "a.xml"}) {
    EXPECT_FALSE(FolderExists(not_folder)) << not_folder;
  }
  for (const std::string& not_file : {std::string(), dir.slash() + "missing", dir.slash() + "a5.xml", dir.path()}) {
    EXPECT_FALSE(FileExists(not_file)) << not_file;
  }
  std::string listed;
  for (const FileEntry& entry : ListFiles(dir.slash())) {
    listed += entry.name + " ";
    EXPECT_EQ(entry.path, dir.slash() + entry.name);
  }
  EXPECT_EQ(listed, "a.xml a10.xml b.xml c.txt ");
  EXPECT_TRUE(ListFiles(dir.Mkdir("empty") + "/").empty());
  ExpectAutomationError([&] { ListFiles(dir.slash() + "missing/"); }, err::kPathNotFound);
  ExpectAutomationError([&] { ListFiles(dir.slash() + "b.xml/"); }, err::kPathNotFound);

  const std::pair<const char*, const char*> extensions[] = {
      {"a.xml.bak", "bak"}, {"MiscPIDs.XML", "XML"}, {"noext", ""}, {"trailing.", ""}, {"", ""}};
  for (const auto& [name, extension] : extensions) EXPECT_EQ(GetExtensionName(name), extension) << name;
}

TEST(MessageBox, HostHandlerReplacesTheDefaultUntilReset) {
  {
    test::MessageBoxRecorder recorder;
    EXPECT_EQ(MessageBox("Cannot read a.xml", "XML Parsing Error", kMbIconExclamation), kMbResultOk);
    ASSERT_EQ(recorder.boxes().size(), 1u);
    const test::RecordedBox& box = recorder.boxes()[0];
    EXPECT_EQ(box.text + "|" + box.title + "|" + std::to_string(box.style), "Cannot read a.xml|XML Parsing Error|48");
  }
  testing::internal::CaptureStderr();
  const int answer = MessageBox("first line\nsecond line", "Box Title", kMbIconStop);
  const std::string written = testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, kMbResultOk);
  for (const char* part : {"Box Title", "first line", "second line"}) {
    EXPECT_NE(written.find(part), std::string::npos) << written;
  }
}

TEST(StringResources, LoadsStringsByIdentifier) {
  EXPECT_EQ(LoadResString(1000), "[Offline]");
  EXPECT_EQ(LoadResString(5000), "XML Parsing Error");
  ExpectAutomationError([] { LoadResString(65535); }, err::kResourceNotFound, "LoadResString");
}

}  // namespace
}  // namespace vemo::platform
