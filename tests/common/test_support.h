#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vemosupport/automation_error.h"
#include "vemosupport/variant.h"

namespace vemo::test {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // The folder followed by "/".
  std::string slash() const { return path_ + "/"; }
  // Writes `content` to `name` inside the folder (creating sub-folders) and returns its path.
  std::string Write(const std::string& name, const std::string& content) const;
  std::string Mkdir(const std::string& name) const;

 private:
  std::string path_;
};

struct RecordedBox {
  std::string text;
  std::string title;
  int style = 0;
};

// Records every message box shown while it lives, instead of showing it.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  const std::vector<RecordedBox>& boxes() const { return *boxes_; }

 private:
  std::shared_ptr<std::vector<RecordedBox>> boxes_;
};

// Sets the default catalogue folder while it lives.
class ScopedDefaultFolder {
 public:
  explicit ScopedDefaultFolder(const std::string& folder);
  ~ScopedDefaultFolder();
};

// Answers the catalogue-path service with `path` while it lives and counts the calls.
class ScopedConfigPathService {
 public:
  explicit ScopedConfigPathService(std::string path);
  ~ScopedConfigPathService();
  int calls() const { return *calls_; }

 private:
  std::shared_ptr<int> calls_;
  std::shared_ptr<std::string> path_;
};

// The whole content of a file, byte for byte (empty when it cannot be read).
std::string ReadFile(const std::string& path);

// A catalogue document: root "C5Devices" holding `devices` as they are.
std::string Catalogue(const std::string& devices);

// A device element with a ProgramID attribute ("P" + id) and a DevInfo holding
// DeviceCode `code` (no DevInfo when `code` is empty), plus `extra` inside the device.
std::string Device(const std::string& programId, const std::string& code = "", const std::string& extra = "");

// A CP element of an entry: `index` as written, `definition` as the Name.
std::string Cp(const std::string& index, int size, const std::string& definition);

// An NV element of type 3 named "nv" and its index, with a Default when `def` is given;
// `selfDoc` is XML text ("&amp;" for "&").
std::string Nv(const std::string& index, int size, const std::string& selfDoc, const std::string& def = "");

// A value of these bytes, as points take it.
Variant ArrayOf(std::vector<std::uint8_t> bytes);

std::string Repeat(const std::string& text, int times);

// `latin1` (bytes up to 0xFF) as UTF-16LE with a byte-order mark.
std::string Utf16le(const std::string& latin1);

// Runs `call` and expects it to raise an automation error with this number (and, when
// given, this source and description).
void ExpectAutomationError(const std::function<void()>& call, std::int32_t number, const std::string& source = {},
                           const std::string& description = {});

}  // namespace vemo::test
