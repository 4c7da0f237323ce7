#pragma once

// What the fuzz targets share: a private temporary folder for the files the library
// insists on reading from disk, quiet message boxes, and small text helpers.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <unistd.h>

#include "vemosupport/automation_error.h"
#include "vemosupport/host.h"

namespace vemo::fuzz {

// A folder of this process's own under the system's temporary folder, made on first
// use and removed when the process exits normally. scripts/run-fuzz points TMPDIR into
// a folder it removes, so a crashed run leaves nothing behind either.
class WorkFolder {
 public:
  static const std::string& Path() {
    static const WorkFolder folder;
    return folder.path_;
  }

 private:
  WorkFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vemo-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("vemo fuzz: mkdtemp");
      std::abort();
    }
    path_ = pattern;
  }
  ~WorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  std::string path_;
};

// Replaces the file `name` in the work folder with `text` and answers its path. The
// same path every time: one file per input, nothing piling up.
inline std::string WriteWorkFile(const std::string& name, std::string_view text) {
  const std::string path = WorkFolder::Path() + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror("vemo fuzz: fopen");
    std::abort();
  }
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file) != text.size()) std::abort();
  std::fclose(file);
  return path;
}

// Every parse-error report and self-documentation complaint would otherwise go to
// standard error for each input; the fuzzer only cares that showing one works.
inline void SilenceMessageBoxes() {
  SetMessageBoxHandler([](const std::string&, const std::string&, int) { return kMbResultOk; });
}

// The set-up of a target that reads files: boxes silenced, the work folder made.
inline int InitializeQuietly() {
  SilenceMessageBoxes();
  (void)WorkFolder::Path();
  return 0;
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The `length` bytes that follow the first `marker` in `text`, when there are that many.
inline std::optional<std::string> BytesAfter(std::string_view text, std::string_view marker, std::size_t length) {
  const std::size_t at = text.find(marker);
  if (at == std::string_view::npos || text.size() - at - marker.size() < length) return std::nullopt;
  return std::string(text.substr(at + marker.size(), length));
}

// True when the internal entities of an XML text would expand to more than `limit`
// bytes. libxml2 2.9 appends each expanded reference to the text before it with a
// fresh strlen and realloc: linear enough natively, where its own amplification limit
// ends bombs, but quadratic under AddressSanitizer, whose realloc always copies (1 MB of
// expansion takes half a minute there). Such inputs would report the sanitizer's speed
// as timeouts, so the catalogue targets leave them out; the native cost of expansion is
// a question for the benchmarks.
inline bool ExpandsBeyond(std::string_view xml, std::size_t limit) {
  struct Entity {
    std::string_view value;
    std::size_t expanded = 0;
    int state = 0;  // 0 not yet measured, 1 being measured, 2 measured
  };
  std::vector<std::pair<std::string_view, Entity>> entities;
  const auto find = [&](std::string_view name) -> Entity* {
    for (auto& [key, entity] : entities) {
      if (key == name) return &entity;
    }
    return nullptr;
  };
  const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };

  // Internal general entities: <!ENTITY name "value"> or with single quotes.
  for (std::size_t at = xml.find("<!ENTITY"); at != std::string_view::npos; at = xml.find("<!ENTITY", at + 1)) {
    std::size_t i = at + 8;
    while (i < xml.size() && isBlank(xml[i])) ++i;
    if (i >= xml.size() || xml[i] == '%') continue;
    const std::size_t nameStart = i;
    while (i < xml.size() && !isBlank(xml[i]) && xml[i] != '"' && xml[i] != '\'') ++i;
    const std::string_view name = xml.substr(nameStart, i - nameStart);
    while (i < xml.size() && isBlank(xml[i])) ++i;
    if (i >= xml.size() || (xml[i] != '"' && xml[i] != '\'')) continue;
    const std::size_t close = xml.find(xml[i], i + 1);
    if (close == std::string_view::npos) continue;
    if (!find(name)) entities.push_back({name, Entity{xml.substr(i + 1, close - i - 1)}});
  }
  if (entities.empty()) return false;

  // The expanded size of a text: its own bytes plus what its references expand to,
  // saturating just past the limit; a reference loop counts nothing (libxml2 refuses it).
  const auto saturate = [limit](std::size_t a, std::size_t b) { return a > limit || b > limit - a ? limit + 1 : a + b; };
  std::function<std::size_t(std::string_view)> expand = [&](std::string_view text) -> std::size_t {
    std::size_t total = 0;
    for (std::size_t i = text.find('&'); i != std::string_view::npos; i = text.find('&', i + 1)) {
      const std::size_t end = text.find(';', i);
      if (end == std::string_view::npos) break;
      Entity* entity = find(text.substr(i + 1, end - i - 1));
      if (!entity || entity->state == 1) continue;
      if (entity->state == 0) {
        entity->state = 1;
        entity->expanded = saturate(entity->value.size(), expand(entity->value));
        entity->state = 2;
      }
      total = saturate(total, entity->expanded);
      if (total > limit) break;
    }
    return total;
  };
  return expand(xml) > limit;
}

// Runs a library call whose documented failure is an AutomationError; any other
// exception leaves the target and libFuzzer reports it as a crash.
template <class Call>
auto Attempt(Call&& call) -> std::optional<decltype(call())> {
  try {
    return call();
  } catch (const AutomationError&) {
    return std::nullopt;
  }
}

// The same for a call whose answer does not matter; true when it did not raise.
template <class Call>
bool Tolerate(Call&& call) {
  try {
    call();
    return true;
  } catch (const AutomationError&) {
    return false;
  }
}

// Fails the run with a message when a property the library promises does not hold.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "vemo fuzz: broken promise: %s\n", what);
  std::abort();
}

}  // namespace vemo::fuzz
