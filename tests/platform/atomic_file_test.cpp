// Files written whole: a failure at any step leaves every target as it was.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "common/test_support.h"
#include "vemosupport/file_output.h"

namespace vemo {
namespace {

namespace fs = std::filesystem;

// The folder's names, sorted, hidden ones included.
std::string Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const std::string& name : names) joined += name + " ";
  return joined;
}

// The writer's failure as "code path", or "none".
std::string Failure(const std::vector<FileOutput>& files, bool replace) {
  try {
    WriteFilesAtomically(files, replace);
  } catch (const FileOutputError& error) {
    return std::to_string(error.code().value()) + " " + error.path();
  }
  return "none";
}

TEST(AtomicFile, AFailureAtAnyStepLeavesEveryTargetAsItWasAndNoTemporary) {
  const test::TempDir dir;
  const std::string outside = dir.Write("outside", "outside\n");
  const std::string folder = dir.Mkdir("out");
  const std::string kiv = folder + "/D.kiv", xml = folder + "/D.xml";
  fs::create_symlink(outside, kiv);
  dir.Write("out/D.xml", "old entry\n");
  const std::string before = Names(folder);
  const auto unchanged = [&](const std::string& when) {
    EXPECT_EQ(Names(folder), before) << when;
    EXPECT_EQ(fs::is_symlink(kiv) ? fs::read_symlink(kiv).string() : test::ReadFile(kiv), outside) << when;
    EXPECT_EQ(test::ReadFile(outside), "outside\n") << when;
    EXPECT_EQ(test::ReadFile(xml), "old entry\n") << when;
  };

  // A write cut short by the file-size limit, after the first file was written whole.
  const std::string big(4096, 'x');
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{1024, 1024};
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(Failure({{kiv, "small"}, {xml, big}}, true) == std::to_string(EFBIG) + " " + xml ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the second write fails with EFBIG";
  unchanged("a write cut short");

  // The second rename fails (a folder holds its name) after the first has replaced its link.
  dir.Write("out/D.dir/inner", "");
  EXPECT_EQ(Failure({{kiv, "new"}, {folder + "/D.dir", "new"}}, true), std::to_string(EISDIR) + " " + folder + "/D.dir");
  fs::remove_all(folder + "/D.dir");
  unchanged("a rename refused");

  // Not to replace: one target exists, so the other is not made either, nor the link followed.
  EXPECT_EQ(Failure({{folder + "/N.kiv", "new"}, {xml, "new"}}, false), std::to_string(EEXIST) + " " + xml);
  EXPECT_EQ(Failure({{kiv, "new"}}, false), std::to_string(EEXIST) + " " + kiv);
  unchanged("an existing target");

  // And when nothing fails, the link itself is replaced by a file.
  EXPECT_EQ(Failure({{kiv, "new kiv"}, {xml, "new entry"}}, true), "none");
  EXPECT_EQ((std::pair(test::ReadFile(kiv), test::ReadFile(xml))), (std::pair<std::string, std::string>("new kiv", "new entry")));
  EXPECT_FALSE(fs::is_symlink(kiv));
  EXPECT_EQ(test::ReadFile(outside), "outside\n");
  EXPECT_EQ(Names(folder), before);
}

// One call writes many files of one folder under a descriptor limit far below their
// number: the folder is opened once, not once a file.
TEST(AtomicFile, ManyFilesOfOneFolderNeedNoDescriptorEach) {
  const test::TempDir dir;
  const std::string folder = dir.Mkdir("site");
  std::vector<std::string> contents;
  for (int i = 0; i < 200; ++i) contents.push_back(std::to_string(i));
  std::vector<FileOutput> pages;
  for (const std::string& content : contents) pages.push_back({folder + "/page" + content + ".html", content});
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{64, 64};
    setrlimit(RLIMIT_NOFILE, &limit);
    _exit(Failure(pages, false) == "none" ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "200 files under a limit of 64 descriptors";
  EXPECT_EQ(test::ReadFile(folder + "/page199.html"), "199");
}

}  // namespace
}  // namespace vemo
