#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "common/test_support.h"
#include "services/kiv_file_reader.h"

namespace vemo {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kId = "80000A1B2C3D0401";
const std::string kHead = std::string("vemo-kiv 1\nprogram-id ") + kId + "\n";
const Bytes kUntouched{0xEE, 0xEE, 0xEE, 0xEE};

TEST(KivFileReader, GoodFileFillsTheBlockFromTheStartAndOthersLeaveItUnchanged) {
  test::TempDir dir;
  Bytes block;
  // Reads a file holding `content` into a four-byte block that starts as kUntouched.
  const auto read = [&](const std::string& content) {
    block = kUntouched;
    return services::KivFileReader().ReadKiv(dir.Write("data.kiv", content), kId, block);
  };
  ASSERT_TRUE(read("\xEF\xBB\xBF# saved with a byte-order mark\r\n\r\n  vemo-kiv 1   # format\r\nprogram-id " + std::string(kId) +
                   "\r\n00 2a\t# first\r\n\r\nFf\r\n"));
  EXPECT_EQ(block, (Bytes{0x00, 0x2A, 0xFF, 0xEE}));

  const std::pair<const char*, std::string> files[] = {
      {"wrong version", "vemo-kiv 2\nprogram-id " + std::string(kId) + "\n000102\n"},
      {"another program ID", "vemo-kiv 1\nprogram-id 80000A1B2C3D0402\n000102\n"},
      {"odd digits", kHead + "0A1\n"},
      {"truncated data", kHead + "01 02\n"},
      {"header only", "vemo-kiv 1\n"},
      {"more bytes than the block", kHead + "01 02 03 04 05\n"},
      {"bad line after good ones", kHead + "0102\nzz\n"},
      {"over 16 MiB", kHead + "00\n#" + std::string(16u * 1024 * 1024, 'x') + "\n"},
  };
  for (const auto& [name, content] : files) {
    EXPECT_FALSE(read(content)) << name;
    EXPECT_EQ(block, kUntouched) << name;
  }
}

TEST(KivFileReader, WhatIsNotARegularFileIsRefusedWithoutWaiting) {
  test::TempDir dir;
  const std::string pipe = dir.path() + "/pipe.kiv";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  Bytes block = kUntouched;
  for (const std::string& path : {pipe, dir.path(), std::string("/dev/zero"), dir.path() + "/missing.kiv"}) {
    EXPECT_FALSE(services::KivFileReader().ReadKiv(path, kId, block)) << path;
    EXPECT_EQ(block, kUntouched) << path;
  }
}

}  // namespace
}  // namespace vemo
