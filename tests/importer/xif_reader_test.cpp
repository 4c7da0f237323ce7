#include "importer/xif_reader.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "common/test_support.h"
#include "vemosupport/importer.h"

namespace vemo {
namespace {

using importer::ReadXif;
using importer::XifDevice;
using Bytes = std::vector<std::uint8_t>;

// A device of our own (tests/fixtures/dimmer.xif), written the way the generators write:
// a folder in the header's name, a node self-documentation on two lines, a message tag,
// bit fields, an NV array, a template with comments, closing quote marks and a flags
// character written as such, and each of the three ways of writing values. Everything
// after the 0x1A byte is not XIF.
const std::string kSample = test::ReadFile(VEMO_TEST_FIXTURES "/dimmer.xif");

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The 1-based line on which `marker` first appears.
std::size_t LineOf(const std::string& text, const std::string& marker) {
  return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + text.find(marker), '\n'));
}

TEST(XifReader, ReadsEveryPartOfTheSample) {
  const XifDevice device = ReadXif(kSample, "dimmer.xif");
  EXPECT_EQ(std::tie(device.fileName, device.declaredName, device.generator, device.xifVersion, device.programId),
            std::make_tuple("dimmer.xif", "Dimmer2", "Test Tool 2.1", "4.401", "9FFFFF050184045A"));
  EXPECT_EQ(device.declaredVarCount, 4u);
  EXPECT_TRUE(device.hasNodeSelfDoc);
  EXPECT_EQ(device.nodeSelfDoc, "&3.4@0NodeObject,4[2Lamp;dimmer");

  // name, index, array count, output, configuration, self-documentation as written, SNVT, size
  using Nv = std::tuple<std::string, int, int, bool, bool, std::string, int, int>;
  std::vector<Nv> nvs;
  for (const importer::XifNv& nv : device.nvs) {
    nvs.emplace_back(nv.name, nv.index, nv.arrayCount, nv.output, nv.config, nv.hasSelfDoc ? nv.selfDoc : "(none)",
                     nv.snvtIndex, nv.size);
  }
  EXPECT_EQ(nvs, (std::vector<Nv>{{"nviLevel", 0, 0, false, false, "@1|1;a level that is long", 81, 2},
                                  {"nvoState", 1, 0, true, false, "(none)", 0, 1 + 2 * 3 + 4},
                                  {"nciSetpoints", 2, 3, false, true, "&1,1,0\\x80,60", 9, 2},
                                  {"nciName", 5, 0, false, true, "&0,,0\\x80,17", 0, 4}}));
  EXPECT_EQ(device.nvs.at(1).line, LineOf(kSample, "VAR nvoState"));

  EXPECT_EQ(device.templateVersion, "1.1");
  // record, header, select, scope, flags, type index, size, dim
  using Cp = std::tuple<std::string, int, std::string, int, int, int, int, int>;
  std::vector<Cp> cps;
  for (const importer::XifCpTemplate& cp : device.cpTemplates) {
    cps.emplace_back(cp.record, cp.header, cp.select, cp.scope, cp.flags, cp.typeIndex, cp.size, cp.dim);
  }
  EXPECT_EQ(cps, (std::vector<Cp>{{"1,1,0\\x80,49,2", 1, "1", 0, 0x80, 49, 2, 1},
                                  {"2,2.3.4,6\\xA4,7,1,3,0:5", 2, "2.3.4", 6, 0xA4, 7, 1, 3},
                                  {"0,,0A,24,2", 0, "", 0, 'A', 24, 2, 1},
                                  {"1,1~2,0\\x84,50,1,2", 1, "1~2", 0, 0x84, 50, 1, 2}}));
  EXPECT_EQ(device.cpTemplates.at(1).line, LineOf(kSample, "\"2,2.3.4"));

  EXPECT_TRUE(device.hasFileValues && device.hasFileReadOnly && device.hasNvValues);
  EXPECT_EQ(device.fileValues, (Bytes{0x0B, 0xB8, 0x01, 0x02}));
  EXPECT_EQ(device.fileReadOnly, (Bytes{1, 2, 3, 4, 5}));
  EXPECT_EQ(device.nvValues, (Bytes{0x00, 0x0B, 0x00, 0xB8, 0x0C, 0x44, 0x41, 0x42, 0x43, 0x44}));
  EXPECT_EQ(device.binaryTailLine, 0u);

  // CRLF line ends, and no line end at the very end, read the same.
  std::string crlf;
  for (const char c : kSample) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const XifDevice fromCrlf = ReadXif(crlf, "dimmer.xif");
  EXPECT_EQ(std::tie(fromCrlf.nodeSelfDoc, fromCrlf.nvs.at(0).selfDoc, fromCrlf.cpTemplates.at(0).record, fromCrlf.nvValues),
            std::tie(device.nodeSelfDoc, device.nvs.at(0).selfDoc, device.cpTemplates.at(0).record, device.nvValues));
  EXPECT_EQ(ReadXif(kSample.substr(0, kSample.find("\n\x1A")), "dimmer.xif").nvValues, device.nvValues);
}

TEST(XifReader, OptionalPartsMayBeMissing) {
  // No blank line before the program ID, no node self-documentation, no sections.
  const std::string text = Replace(
      Replace(Replace(kSample, "\n\n9f", "\n9f"), "\"&3.4@0NodeObject,4[2Lam\n\"p;dimmer\n", "*\n"),
      "\nFILE template", "\x1A");
  const XifDevice device = ReadXif(text, "plain.xif");
  EXPECT_EQ(device.programId, "9FFFFF050184045A");
  EXPECT_FALSE(device.hasNodeSelfDoc);
  EXPECT_EQ(device.nvs.size(), 4u);
  EXPECT_TRUE(device.templateVersion.empty() && device.cpTemplates.empty());
  EXPECT_FALSE(device.hasFileValues || device.hasFileReadOnly || device.hasNvValues);
}

TEST(XifReader, ValuesReadTheSameInEveryWriting) {
  const Bytes expected{0x0B, 0xB8, 0x00, 0x0C};
  for (const std::string values : {"0x0B B8 00 0C", "0x0BB8,0x000C", "0x0B,0xB8,\n0x00,0x0C,", "\\x0B \\xB8 \\x00 \\x0C",
                                   "\\x0B\\xB8\n\t\\x00\\x0C", "# two\n0x0B // comment\n\n// more\n0Xb8,0X000c"}) {
    const std::string text = Replace(kSample, "#VAR nciSetpoints = 11.00 ;\n0x000B,0x00B8,0x0C\n\t0x44\n\\x41 \\x42\n\t\\x43\\x44\n",
                                     values + "\n");
    EXPECT_EQ(ReadXif(text, "v.xif").nvValues, expected) << values;
  }
}

TEST(XifReader, NvSizesFollowTheFieldLines) {
  const std::vector<std::pair<std::vector<std::string>, int>> cases = {
      {{"3 0 1 0 0", "3 1 1 0 0", "3 2 1 0 0", "3 3 1 0 0", "3 4 1 0 0", "3 5 1 0 0", "3 6 1 0 0", "3 7 1 0 0"}, 1},
      {{"3 0 4 0 0", "3 4 4 0 0", "3 4 2 0 0"}, 2},  // a full byte is left even when the next does not start at 0
      {{"3 2 3 0 0", "3 5 2 0 0", "3 0 8 0 0"}, 2},
      {{"3 2 3 0 0", "1 0 0 0 0", "3 5 2 0 0"}, 3},  // another field closes the byte
      {{"0 0 0 0 22"}, 22},
      {{"2 0 0 1 3", "1 0 0 1 0"}, 7},
      {{"4 0 7 0 0"}, 7},
  };
  for (const auto& [fields, size] : cases) {
    std::string lines;
    for (const std::string& field : fields) lines += field + "\n";
    const std::string text = Replace(kSample, "0 * 1\n4 0 4 0 0\n", "0 * " + std::to_string(fields.size()) + "\n" + lines);
    EXPECT_EQ(ReadXif(text, "s.xif").nvs[3].size, size) << lines;
  }
}

TEST(XifReader, MalformedInputNamesTheFileTheLineAndWhatWasExpected) {
  struct Case {
    std::string from, to, marker, expected;
  };
  const std::vector<Case> cases = {
      {"File: C:", "Fil: C:", "Fil:", "expected the header line"},
      {"XIF Version 4.401", "XIF Version 4.x", "File:", "expected the header line"},
      {"9f:ff:ff:05:01:84:04:5a", "9f:ff:ff:05:01:84:04", "9f:ff", "expected the program ID"},
      {"2 15 1 4 0 5", "2 15 1 x 0 5", "2 15 1 x", "the VAR count"},
      {"9\n*\n", "9\n", "\"&3.4", "expected \"*\""},
      {"VAR nviLevel 0 0 0 0", "VAR nviLevel 0 0 0", "VAR nviLevel", "expected \"VAR <name>"},
      {"VAR nvoState 1 0 0 0", "VAR nvoState 1 0 0 99999999999999999999", "VAR nvoState", "expected \"VAR <name>"},
      {"0 1 63 1 0 1 0 1 0 1 0 0 0\n*", "0 1 63 2 0 1 0 1 0 1 0 0 0\n*", "0 1 63 2", "direction 0 or 1"},
      {"0 1 63 1 0 1 0 1 0 1 0 0 0\n*", "0 1 63 1 0 1 0 1 0 1 0 0\n*", "0 1 63 1 0 1 0 1 0 1 0 0\n", "13 numbers"},
      {"0 * 3\n", "0 # 3\n", "0 # 3", "type line"},
      {"0 * 3\n", "0 * 4\n", "\nVAR nciSetpoints", "expected a field line"},
      {"0 0 0 0 4", "5 0 0 0 4", "5 0 0 0 4", "expected a field line"},
      {"3 4 4 0 0", "3 6 4 0 0", "3 6 4 0 0", "bit field inside one byte"},
      {"0 * 1\n4 0 4 0 0", "0 * 2\n4 0 32767 0 0\n4 0 1 0 0", "4 0 1 0 0", "at most 32767 bytes"},
      {"\nVAR nciSetpoints", "\nNVINIT 2\nVAR nciSetpoints", "NVINIT", "expected a TAG, VAR, FILE or NVVAL statement"},
      {"\nVAR nciSetpoints", "\n\x01\x02\xFF\x7F\nVAR nciSetpoints", "\x01\x02", "expected a TAG, VAR"},
      {"FILE template 0 2", "FILE templates 0 2", "FILE templates", "expected \"FILE template|value|readOnly"},
      {"\"1.1;\"", "\"1,1;\"", "\"1,1;", "version record"},
      {"\"0,,0A,24,2;", "\"0,,0A,24,2", "\"0,,0A", "expected a template record"},
      {"\"0,,0A,24,2;", "\"0,,0\\x8G,24,2;", "\"0,,0\\x8G", "expected a template record"},
      {"\"0,,0A,24,2;", "\"0,,0A,24,2; 7", "\"0,,0A", "expected a template record"},
      {"\"0,,0A,24,2;", "\"0,x,0A,24,2;", "\"0,x", "expected a template record"},
      {"\"0,,0A,24,2;", "\"3,,0A,24,2;", "\"3,,0A", "expected a template record"},
      {"0x0B B8", "0x0B B", "0x0B B", "expected value bytes"},
      {"0x0B B8", "0B B8", "0B B8", "expected value bytes"},
      {"\\x04 \\x05", "\\x04 \\x5", "\\x04 \\x5", "expected value bytes"},
      {"\t\\x43\\x44", "\t\\x43\\x44 oops", "\\x43\\x44 oops", "expected value bytes"},
      {"FILE readOnly 2 1", "FILE value 2 1", "FILE value 2 1", "each section once"},
  };
  for (const Case& c : cases) {
    const std::string text = Replace(kSample, c.from, c.to);
    try {
      ReadXif(text, "broken.xif");
      ADD_FAILURE() << "read without an error: " << c.to;
    } catch (const DeviceInterfaceError& error) {
      EXPECT_EQ(error.file(), "broken.xif");
      EXPECT_EQ(error.line(), LineOf(text, c.marker)) << c.to;
      EXPECT_NE(error.description().find(c.expected), std::string::npos) << c.to << ": " << error.description();
    }
  }
  // A file that ends inside a statement says so, on the line after its last.
  try {
    ReadXif(kSample.substr(0, kSample.find("81 *")), "cut.xif");
    ADD_FAILURE() << "a cut file was read";
  } catch (const DeviceInterfaceError& error) {
    EXPECT_EQ(error.line(), LineOf(kSample, "81 *"));
    EXPECT_NE(error.description().find("found the end of the file"), std::string::npos) << error.description();
  }
  for (const std::string& text : {std::string(), std::string("\x1A"), std::string(200, '\0')}) {
    EXPECT_THROW(ReadXif(text, "empty.xif"), DeviceInterfaceError);
  }
}

TEST(XifReader, BinaryDataInTheValuesEndsTheReadWithTheBytesBeforeIt) {
  const std::string junk = std::string("\x00\x01\xFF\x15", 4) + "APPIMAGE\n\x02VAR x 1 2\n";
  const std::string text = Replace(kSample, "\t\\x43\\x44\n", "\t\\x43\\x44LNK" + junk);
  const XifDevice device = ReadXif(text, "junk.xif");
  EXPECT_EQ(device.binaryTailLine, LineOf(text, "\t\\x43\\x44LNK"));
  EXPECT_EQ(device.nvValues, ReadXif(kSample, "dimmer.xif").nvValues);
}

TEST(XifReader, FilesAreReadUpTo16MiB) {
  test::TempDir dir;
  const XifDevice device = importer::ReadXifFile(dir.Write("dimmer.xif", kSample));
  EXPECT_EQ(device.fileName, dir.path() + "/dimmer.xif");
  EXPECT_EQ(device.nvs.size(), 4u);

  const std::string large = dir.Write("large.xif", kSample);
  std::filesystem::resize_file(large, 16u * 1024 * 1024 + 1);
  for (const std::string& path : {large, dir.path(), dir.path() + "/missing.xif"}) {
    try {
      importer::ReadXifFile(path);
      ADD_FAILURE() << "read " << path;
    } catch (const DeviceInterfaceError& error) {
      EXPECT_EQ(error.file(), path);
      EXPECT_EQ(error.line(), 0u);
      EXPECT_FALSE(error.description().empty());
    }
  }
}

}  // namespace
}  // namespace vemo
