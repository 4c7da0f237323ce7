#include "services/kiv_file_reader.h"

#include <algorithm>

#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/text.h"

namespace vemo::services {

namespace {

constexpr std::string_view kHeader = "vemo-kiv 1";
constexpr std::string_view kProgramIdKeyword = "program-id ";

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

}  // namespace

bool KivFileReader::ReadKiv(const std::string& path, const std::string& programId, std::span<std::uint8_t> block) {
  std::optional<std::string> content = platform::ReadRegularFile(path, kMaxFileBytes);
  if (!content) return false;
  // Editors may save the file with a UTF-8 byte-order mark.
  if (content->starts_with("\xEF\xBB\xBF")) content->erase(0, 3);

  enum class Expect { Header, ProgramId, Data } expect = Expect::Header;
  std::vector<std::uint8_t> data;
  std::istringstream lines(*content);
  for (std::string raw; std::getline(lines, raw);) {
    std::string_view line = raw;
    if (const std::size_t comment = line.find('#'); comment != std::string_view::npos) line = line.substr(0, comment);
    line = Trim(line);
    if (line.empty()) continue;
    switch (expect) {
      case Expect::Header:
        if (line != kHeader) return false;
        expect = Expect::ProgramId;
        break;
      case Expect::ProgramId:
        if (line.substr(0, kProgramIdKeyword.size()) != kProgramIdKeyword) return false;
        if (Trim(line.substr(kProgramIdKeyword.size())) != programId) return false;
        expect = Expect::Data;
        break;
      case Expect::Data:
        if (!AppendHexBytes(line, data)) return false;
        if (data.size() > block.size()) return false;
        break;
    }
  }
  if (expect != Expect::Data) return false;
  // The data covers the whole block; the spare byte at its end may be left out. Fewer
  // bytes mean a truncated file.
  if (data.size() + 1 < block.size()) return false;
  std::copy(data.begin(), data.end(), block.begin());
  return true;
}

}  // namespace vemo::services
