#include "common/test_support.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "vemosupport/host.h"

namespace vemo::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const fs::path base = fs::temp_directory_path() /
                        ("vemo-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(base);
  fs::create_directories(base);
  path_ = base.string();
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& content) const {
  const fs::path file = fs::path(path_) / name;
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
  return file.string();
}

std::string TempDir::Mkdir(const std::string& name) const {
  const fs::path folder = fs::path(path_) / name;
  fs::create_directories(folder);
  return folder.string();
}

MessageBoxRecorder::MessageBoxRecorder() : boxes_(std::make_shared<std::vector<RecordedBox>>()) {
  SetMessageBoxHandler([boxes = boxes_](const std::string& text, const std::string& title, int style) {
    boxes->push_back({text, title, style});
    return kMbResultOk;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHandler(nullptr); }

ScopedDefaultFolder::ScopedDefaultFolder(const std::string& folder) { SetDefaultCatalogFolder(folder); }
ScopedDefaultFolder::~ScopedDefaultFolder() { ResetDefaultCatalogFolder(); }

namespace {

class FixedPathService : public IConfigPathService {
 public:
  FixedPathService(std::shared_ptr<int> calls, std::shared_ptr<std::string> path)
      : calls_(std::move(calls)), path_(std::move(path)) {}
  Variant GetConfigPath(std::int32_t selector) override {
    ++*calls_;
    return selector == 1 ? Variant(*path_) : Variant();
  }

 private:
  std::shared_ptr<int> calls_;
  std::shared_ptr<std::string> path_;
};

}  // namespace

ScopedConfigPathService::ScopedConfigPathService(std::string path)
    : calls_(std::make_shared<int>(0)), path_(std::make_shared<std::string>(std::move(path))) {
  SetConfigPathServiceFactory(
      [calls = calls_, path = path_] { return std::make_unique<FixedPathService>(calls, path); });
}

ScopedConfigPathService::~ScopedConfigPathService() { SetConfigPathServiceFactory(nullptr); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Catalogue(const std::string& devices) {
  return "<?xml version=\"1.0\"?>\n<C5Devices>\n" + devices + "</C5Devices>\n";
}

std::string Device(const std::string& programId, const std::string& code, const std::string& extra) {
  std::string device = "  <C5Device ProgramID=\"P" + programId + "\">\n";
  if (!code.empty()) device += "    <DevInfo><DeviceCode>" + code + "</DeviceCode></DevInfo>\n";
  device += extra;
  device += "  </C5Device>\n";
  return device;
}

std::string Cp(const std::string& index, int size, const std::string& definition) {
  return "<CP Index=\"" + index + "\" Size=\"" + std::to_string(size) + "\"><Name>" + definition + "</Name></CP>";
}

std::string Nv(const std::string& index, int size, const std::string& selfDoc, const std::string& def) {
  return "<NV Index=\"" + index + "\" Size=\"" + std::to_string(size) + "\" NVType=\"3\"><Name>nv" + index +
         "</Name><SelfDoc>" + selfDoc + "</SelfDoc>" + (def.empty() ? "" : "<Default>" + def + "</Default>") + "</NV>";
}

Variant ArrayOf(std::vector<std::uint8_t> bytes) { return Variant(ByteArray{std::move(bytes), 0}); }

std::string Repeat(const std::string& text, int times) {
  std::string result;
  while (times-- > 0) result += text;
  return result;
}

std::string Utf16le(const std::string& latin1) {
  std::string bytes = "\xFF\xFE";
  for (char c : latin1) bytes += {c, '\0'};
  return bytes;
}

void ExpectAutomationError(const std::function<void()>& call, std::int32_t number, const std::string& source,
                           const std::string& description) {
  try {
    call();
    ADD_FAILURE() << "expected automation error " << number << ", but nothing was raised";
  } catch (const AutomationError& error) {
    EXPECT_EQ(error.number(), number) << error.what();
    if (!source.empty()) {
      EXPECT_EQ(error.source(), source);
    }
    if (!description.empty()) {
      EXPECT_EQ(error.description(), description);
    }
    EXPECT_EQ(error.hresult(), 0x800A0000u | static_cast<std::uint32_t>(number));
  }
}

}  // namespace vemo::test
