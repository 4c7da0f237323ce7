#include <string>
#include <vector>

#include "common/test_support.h"
#include "services/kiv_file_reader.h"

namespace vemo {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kId = "80000A1B2C3D0401";
const std::string kHead = std::string("vemo-kiv 1\nprogram-id ") + kId + "\n";
const Bytes kUntouched{0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};

class KivFileReaderTest : public ::testing::Test {
 protected:
  // Reads `path` into a six-byte block that starts as kUntouched.
  bool Read(const std::string& path, const std::string& programId = kId) {
    block_ = ByteArray{kUntouched, 0};
    return reader_.ReadKiv(path, programId, block_);
  }

  test::TempDir dir_;
  services::KivFileReader reader_;
  ByteArray block_;
};

TEST_F(KivFileReaderTest, GoodFileFillsTheBlockFromTheStart) {
  const std::string path = dir_.Write("good.kiv",
                                      "# saved configuration\r\n"
                                      "\r\n"
                                      "  vemo-kiv 1   # format\r\n"
                                      "program-id " + std::string(kId) + "\r\n"
                                      "00 2a\t01   # first bytes\r\n"
                                      "\r\n"
                                      "# more\r\n"
                                      "FF10c3\r\n");
  ASSERT_TRUE(Read(path));
  EXPECT_EQ(block_.bytes, (Bytes{0x00, 0x2A, 0x01, 0xFF, 0x10, 0xC3}));

  ASSERT_TRUE(Read(dir_.Write("short.kiv", kHead + "0102\n")));
  EXPECT_EQ(Bytes(block_.bytes.begin(), block_.bytes.begin() + 2), (Bytes{1, 2}));
}

TEST_F(KivFileReaderTest, UnusableFilesLeaveTheBlockUnchanged) {
  const std::pair<const char*, std::string> files[] = {
      {"wrong version", "vemo-kiv 2\nprogram-id " + std::string(kId) + "\n00\n"},
      {"no header", "program-id " + std::string(kId) + "\n00\n"},
      {"no program ID", "vemo-kiv 1\n"},
      {"another program ID", "vemo-kiv 1\nprogram-id 80000A1B2C3D0402\n00\n"},
      {"odd digits", kHead + "0A1\n"},
      {"byte split by a blank", kHead + "0 A\n"},
      {"non-hex", kHead + "0G\n"},
      {"more bytes than the block", kHead + "01 02 03 04 05 06 07\n"},
      {"bad line after good ones", kHead + "0102\nzz\n"},
      {"empty file", ""},
      {"over 16 MiB", kHead + "00\n#" + std::string(16u * 1024 * 1024, 'x') + "\n"},
  };
  for (const auto& [name, content] : files) {
    EXPECT_FALSE(Read(dir_.Write("bad.kiv", content))) << name;
    EXPECT_EQ(block_.bytes, kUntouched) << name;
  }
  for (const std::string& path : {dir_.slash() + "missing.kiv", dir_.Mkdir("folder.kiv")}) {
    EXPECT_FALSE(Read(path)) << path;
    EXPECT_EQ(block_.bytes, kUntouched) << path;
  }
}

}  // namespace
}  // namespace vemo
