#include <sys/stat.h>

#include <string>
#include <vector>

#include "common/test_support.h"
#include "services/configuration_file_format.h"
#include "services/kiv_file_reader.h"

namespace vemo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Status = services::ConfigurationFileStatus;

constexpr const char* kId = "80000A1B2C3D0401";
const std::string kHead = std::string("vemo-kiv 1\nprogram-id ") + kId + "\n";
const Bytes kUntouched{0xEE, 0xEE, 0xEE, 0xEE};

TEST(ConfigurationFileFormat, EachFileGivesItsStatusAndOnlyAReadFileChangesTheBlock) {
  // `block`: the four-byte block afterwards.
  struct Case { const char* name; std::string text; Status status; Bytes block = kUntouched; };
  const Case cases[] = {
      {"comments, blanks, CRLF, a byte-order mark; the spare byte left out",
       "\xEF\xBB\xBF# saved with a byte-order mark\r\n\r\n  vemo-kiv 1   # format\r\nprogram-id " + std::string(kId) +
           "  \r\n00 2a\t# first\r\n\r\nFf\r\n",
       Status::kRead, {0x00, 0x2A, 0xFF, 0xEE}},
      {"the whole block", kHead + "01020304", Status::kRead, {1, 2, 3, 4}},
      {"wrong version", "vemo-kiv 2\nprogram-id " + std::string(kId) + "\n000102\n", Status::kNotTheFormat},
      {"header only", "vemo-kiv 1\n", Status::kNotTheFormat},
      {"data where the program ID belongs", "vemo-kiv 1\n000102\n", Status::kNotTheFormat},
      {"another program ID", "vemo-kiv 1\nprogram-id 80000A1B2C3D0402\n000102\n", Status::kOtherProgramId},
      {"odd digits", kHead + "0A1\n", Status::kMalformedHex},
      {"bad line after good ones", kHead + "0102\nzz\n", Status::kMalformedHex},
      {"truncated data", kHead + "01 02\n", Status::kWrongSize},
      {"more bytes than the block", kHead + "01 02 03 04 05\n", Status::kWrongSize},
      {"over 16 MiB", kHead + "00\n#" + std::string(16u * 1024 * 1024, 'x') + "\n", Status::kUnreadable},
  };
  test::TempDir dir;
  Bytes block;
  for (const Case& c : cases) {
    block = kUntouched;
    EXPECT_EQ(services::ReadConfigurationFile(dir.Write("device.kiv", c.text), kId, block), c.status) << c.name;
    EXPECT_EQ(block, c.block) << c.name;
  }
  // What is not a regular file is refused without waiting.
  const std::string pipe = dir.path() + "/pipe.kiv";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {pipe, dir.path(), std::string("/dev/zero"), dir.path() + "/missing.kiv"}) {
    EXPECT_EQ(services::ReadConfigurationFile(path, kId, block), Status::kUnreadable) << path;
    EXPECT_EQ(block, kUntouched) << path;
  }
}

TEST(ConfigurationFileFormat, AWrittenFileReadsBackAsItsValuesAndTheSpareByte) {
  Bytes values(41);  // the last one, 0, is the spare byte
  for (std::size_t i = 0; i + 1 < values.size(); ++i) values[i] = static_cast<std::uint8_t>(i * 37 + 1);
  services::ConfigurationFileWriter writer(kId, "two lines\n\nof # preamble");
  writer.Heading("a heading\nprogram-id 0000000000000000");
  writer.Value({values.data(), 3}, "a comment # with\nvemo-kiv 2 in it");
  writer.Value({values.data() + 3, 37}, "");  // three lines
  Bytes block(values.size(), 0xEE);
  ASSERT_EQ(services::ParseConfigurationFile(writer.Finish(), kId, block), Status::kRead);
  EXPECT_EQ(std::pair(block, writer.offset()), std::pair(values, values.size()));
}

}  // namespace
}  // namespace vemo
