#include "services/configuration_file_format.h"

#include <algorithm>
#include <vector>

#include "platform/text.h"
#include "vemosupport/configuration_file.h"

namespace vemo::services {

namespace {

constexpr std::string_view kHeader = "vemo-kiv 1";
constexpr std::string_view kProgramIdKeyword = "program-id ";
constexpr std::size_t kBytesPerLine = 16;
// Comments of short values line up at this column.
constexpr std::size_t kCommentColumn = 24;

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Appends the bytes of a data line; false when the line is not whole hexadecimal bytes.
bool AppendHexBytes(std::string_view line, std::vector<std::uint8_t>& data) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
      continue;
    }
    if (i + 1 >= line.size()) return false;
    const int high = HexDigitValue(line[i]);
    const int low = HexDigitValue(line[i + 1]);
    if (high < 0 || low < 0) return false;
    data.push_back(static_cast<std::uint8_t>(high * 16 + low));
    i += 2;
  }
  return true;
}

// A comment stays on its line.
void AppendComment(std::string& text, std::string_view comment) {
  for (const char c : comment) text += c == '\n' || c == '\r' || c == '\t' ? ' ' : c;
}

}  // namespace

ConfigurationFileStatus ParseConfigurationFile(std::string_view text, std::string_view programId,
                                               std::span<std::uint8_t> block) {
  // Editors may save the file with a UTF-8 byte-order mark.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

  enum class Expect { Header, ProgramId, Data } expect = Expect::Header;
  std::vector<std::uint8_t> data;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    switch (expect) {
      case Expect::Header:
        if (line != kHeader) return ConfigurationFileStatus::kNotTheFormat;
        expect = Expect::ProgramId;
        break;
      case Expect::ProgramId:
        if (!line.starts_with(kProgramIdKeyword)) return ConfigurationFileStatus::kNotTheFormat;
        if (Trim(line.substr(kProgramIdKeyword.size())) != programId) return ConfigurationFileStatus::kOtherProgramId;
        expect = Expect::Data;
        break;
      case Expect::Data:
        if (!AppendHexBytes(line, data)) return ConfigurationFileStatus::kMalformedHex;
        if (data.size() > block.size()) return ConfigurationFileStatus::kWrongSize;
        break;
    }
  }
  if (expect != Expect::Data) return ConfigurationFileStatus::kNotTheFormat;
  // The spare byte at the block's end may be left out; fewer bytes mean a truncated file.
  if (data.size() + 1 < block.size()) return ConfigurationFileStatus::kWrongSize;
  std::copy(data.begin(), data.end(), block.begin());
  return ConfigurationFileStatus::kRead;
}

ConfigurationFileWriter::ConfigurationFileWriter(std::string_view programId, std::string_view preamble) {
  while (!preamble.empty()) {
    const std::size_t end = std::min(preamble.find('\n'), preamble.size());
    text_ += end == 0 ? "#" : "# ";
    AppendComment(text_, preamble.substr(0, end));
    text_ += '\n';
    preamble.remove_prefix(std::min(end + 1, preamble.size()));
  }
  if (!text_.empty()) text_ += '\n';
  text_ += kHeader;
  text_ += '\n';
  text_ += kProgramIdKeyword;
  text_ += programId;
  text_ += '\n';
}

void ConfigurationFileWriter::Heading(std::string_view text) {
  text_ += "\n# ";
  AppendComment(text_, text);
  text_ += '\n';
}

void ConfigurationFileWriter::Value(std::span<const std::uint8_t> bytes, std::string_view comment) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (std::size_t start = 0; start < bytes.size(); start += kBytesPerLine) {
    const std::size_t lineStart = text_.size();
    const std::size_t end = std::min(bytes.size(), start + kBytesPerLine);
    for (std::size_t i = start; i < end; ++i) {
      if (i > start) text_ += ' ';
      text_ += kDigits[bytes[i] >> 4];
      text_ += kDigits[bytes[i] & 0x0F];
    }
    if (start == 0) {
      if (text_.size() - lineStart < kCommentColumn) text_.resize(lineStart + kCommentColumn, ' ');
      text_ += "  # offset " + std::to_string(offset_);
      if (!comment.empty()) text_ += "  ";
      AppendComment(text_, comment);
    }
    text_ += '\n';
  }
  offset_ += bytes.size();
}

std::string ConfigurationFileWriter::Finish() {
  if (offset_ > 0) {
    text_ += '\n';
    const std::uint8_t spare = 0;
    Value({&spare, 1}, "spare byte");
  }
  return std::move(text_);
}

}  // namespace vemo::services

namespace vemo {

std::string FormatConfigurationFile(const std::string& programId, const std::vector<ConfigurationValue>& values,
                                    const std::string& preamble) {
  services::ConfigurationFileWriter writer(programId, preamble);
  for (const ConfigurationValue& value : values) writer.Value(value.bytes, value.comment);
  return writer.Finish();
}

}  // namespace vemo
