// The folder index never answers from what a file used to say: not after a rewrite
// that file systems do not stamp (a shared mapping, one-second or two-second time
// stamps), and not when a link is retargeted between or during lookups.
#include <sys/mman.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "catalogue/catalogue_differential.h"

namespace vemo {
namespace {

namespace fs = std::filesystem;
using test::differential::Compare;

std::string Entry(const std::string& code) { return test::Catalogue(test::Device("9000000000000001", code)); }

// Writes `content` into the existing file at `path` in place: same inode, same size.
void RewriteInPlace(const std::string& path, const std::string& content) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0) << path;
  ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
  ::close(fd);
}

// Rewrites the same file in place again and again, between two contents of one size,
// looking both codes up after each rewrite: the answer must follow the bytes, never the
// time stamps the file system keeps.
void ExpectRewritesSeen(const std::string& folder, int rewrites) {
  const std::string file = folder + "a.xml";
  std::ofstream(file, std::ios::binary) << Entry("AB12");
  for (int i = 1; i <= rewrites; ++i) {
    const char* now = i % 2 ? "CD34" : "AB12";
    const char* before = i % 2 ? "AB12" : "CD34";
    RewriteInPlace(file, Entry(now));
    SCOPED_TRACE("rewrite " + std::to_string(i));
    EXPECT_FALSE(Compare(folder, now).element.empty());
    EXPECT_TRUE(Compare(folder, before).element.empty());
    if (testing::Test::HasFailure()) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
  }
}

TEST(CatalogueFreshness, ARewriteThroughASharedMappingIsSeen) {
  // tmpfs does not stamp a file written through a mapping at all.
  const fs::path shm = "/dev/shm";
  std::optional<test::TempDir> fallback;
  std::string folder;
  if (fs::is_directory(shm)) {
    folder = (shm / ("vemo-freshness-" + std::to_string(::getpid()))).string() + "/";
    fs::create_directories(folder);
  } else {
    fallback.emplace();
    folder = fallback->slash();
  }
  const std::string file = folder + "a.xml";
  std::ofstream(file, std::ios::binary) << Entry("AB12");
  // Long past any window in which a fresh time stamp could be distrusted.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  for (const auto& [from, to] : {std::pair("AB12", "CD34"), std::pair("CD34", "EF56")}) {
    EXPECT_FALSE(Compare(folder, from).element.empty());
    const int fd = ::open(file.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    const std::size_t size = static_cast<std::size_t>(fs::file_size(file));
    void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    char* bytes = static_cast<char*>(mapped);
    char* at = static_cast<char*>(::memmem(bytes, size, from, 4));
    ASSERT_NE(at, nullptr);
    std::memcpy(at, to, 4);
    ::munmap(mapped, size);
    ::close(fd);
    EXPECT_TRUE(Compare(folder, from).element.empty()) << "answered from the bytes before the mapping wrote";
    EXPECT_FALSE(Compare(folder, to).element.empty());
  }
  if (!fallback) fs::remove_all(folder);
}

// A small file system made in an image file and mounted on a fresh folder while it
// lives; needs root and loop devices, and says why when it cannot be had.
class LoopMount {
 public:
  LoopMount(const test::TempDir& dir, const std::string& mkfs) : mountPoint_(dir.Mkdir("mnt")) {
    const std::string image = dir.path() + "/fs.img";
    const std::string command = "truncate -s 8M '" + image + "' && " + mkfs + " '" + image + "' >/dev/null 2>&1 && mount -o loop '" +
                                image + "' '" + mountPoint_ + "' 2>/dev/null";
    if (::geteuid() != 0) {
      skip_ = "not root: cannot mount a file system image";
    } else if (std::system(command.c_str()) != 0) {
      skip_ = "cannot make or mount a file system with: " + mkfs;
    }
  }
  ~LoopMount() {
    if (skip_.empty()) std::system(("umount '" + mountPoint_ + "'").c_str());
  }
  LoopMount(const LoopMount&) = delete;
  LoopMount& operator=(const LoopMount&) = delete;

  const std::string& skip() const { return skip_; }
  std::string folder() const { return mountPoint_ + "/"; }

 private:
  std::string mountPoint_;
  std::string skip_;
};

TEST(CatalogueFreshness, RewritesWithinOneTimeStampOnCoarseFileSystems) {
  // ext4 with 128-byte inodes stamps whole seconds, FAT two seconds: many rewrites of
  // the same size land on one stamp.
  int mounted = 0;
  std::string skipped;
  for (const std::string mkfs : {"mkfs.ext4 -q -I 128", "mkfs.vfat"}) {
    const test::TempDir dir;
    const LoopMount mount(dir, mkfs);
    if (!mount.skip().empty()) {
      skipped += mount.skip() + "; ";
      continue;
    }
    ++mounted;
    SCOPED_TRACE(mkfs);
    ExpectRewritesSeen(mount.folder(), 60);
  }
  if (mounted == 0) GTEST_SKIP() << skipped;
  if (!skipped.empty()) std::cerr << "[ note ] " << skipped << "\n";
}

// Retargets a link between two targets as fast as it can, from a thread of its own,
// while it runs; so that lookups made meanwhile meet the switch at every moment.
class LinkFlipper {
 public:
  LinkFlipper(std::string link, std::string one, std::string two)
      : link_(std::move(link)), targets_{std::move(one), std::move(two)} {
    Point(0);
  }
  ~LinkFlipper() { Stop(); }
  LinkFlipper(const LinkFlipper&) = delete;
  LinkFlipper& operator=(const LinkFlipper&) = delete;

  void Start() {
    running_ = true;
    thread_ = std::thread([this] {
      for (int n = 1; running_; ++n) Point(n % 2);
    });
  }
  void Stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
  }
  // Points the link at target 0 or 1, replacing it whole.
  void Point(int target) {
    const std::string spare = link_ + ".new";
    fs::remove(spare);
    fs::create_symlink(targets_[target], spare);
    fs::rename(spare, link_);
  }

 private:
  std::string link_;
  std::string targets_[2];
  std::atomic<bool> running_{false};
  std::thread thread_;
};

TEST(CatalogueFreshness, ALinkRetargetedDuringLookupsNeverPoisonsTheIndex) {
  const test::TempDir dir;
  const std::string folder = dir.slash();
  // The link's two targets lie in the folder but are no catalogue files of their own;
  // written well before, so that no time stamp looks fresh.
  dir.Write("one.dat", Entry("AB12"));
  dir.Write("two.dat", Entry("CD34"));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  LinkFlipper link(folder + "a.xml", "one.dat", "two.dat");
  for (int round = 0; round < 150 && !testing::Test::HasFailure(); ++round) {
    link.Start();
    for (int i = 0; i < 30; ++i) {
      const test::MessageBoxRecorder quiet;
      SearchByDeviceCode(folder, i % 2 ? "AB12" : "CD34");
    }
    link.Stop();
    // Whatever a lookup learned while the link moved must not answer once it rests,
    // on either target.
    for (const int target : {round % 2, 1 - round % 2}) {
      link.Point(target);
      SCOPED_TRACE("round " + std::to_string(round) + ", the link on " + (target == 0 ? "one.dat" : "two.dat"));
      EXPECT_EQ(Compare(folder, "AB12").element.empty(), target == 1);
      EXPECT_EQ(Compare(folder, "CD34").element.empty(), target == 0);
    }
  }
}

TEST(CatalogueFreshness, ALinkSwitchedOutOfTheFolderNeverShowsTheOutsideFile) {
  const test::TempDir dir;
  const std::string folder = dir.Mkdir("catalogue") + "/";
  const std::string inside = dir.Write("catalogue/inside.dat", "<C5Devices>\n<broken inside\n");
  const std::string outside = dir.Write("outside.txt", "<C5Devices>\n<TOPSECRET-4711\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  LinkFlipper link(folder + "a.xml", inside, outside);
  const test::MessageBoxRecorder recorder;
  link.Start();
  for (int i = 0; i < 4000; ++i) SearchByDeviceCode(folder, "AB12");
  link.Stop();
  ASSERT_FALSE(recorder.boxes().empty());
  for (const test::RecordedBox& box : recorder.boxes()) ASSERT_EQ(box.text.find("TOPSECRET"), std::string::npos) << box.text;
}

}  // namespace
}  // namespace vemo
