// The host's replaceable pieces under use from several threads, and handlers that
// replace themselves while they run.
#include <algorithm>
#include <atomic>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "common/test_support.h"
#include "platform/message_box.h"
#include "services/kiv_reader.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/host.h"

namespace vemo {
namespace {

TEST(Hooks, AMessageBoxHandlerMayReplaceItselfWhileItRuns) {
  // The captured text lives in the handler; replacing the handler must not free it
  // while the handler still reads it.
  const std::string text(4096, 'x');
  SetMessageBoxHandler([text](const std::string&, const std::string&, int) {
    SetMessageBoxHandler(nullptr);
    SetMessageBoxHandler([](const std::string&, const std::string&, int) { return 7; });
    return static_cast<int>(text.size());
  });
  EXPECT_EQ(platform::MessageBox("t", "T", kMbIconStop), 4096);
  EXPECT_EQ(platform::MessageBox("t", "T", kMbIconStop), 7);
  SetMessageBoxHandler(nullptr);
}

// A reader that, while it reads, installs another reader and asks for this thread's
// reader again, as a host's reader that populates another node would.
struct ReentrantReader : IKivReader {
  bool ReadKiv(const std::string&, const std::string&, std::span<std::uint8_t> block) override {
    SetKivReaderFactory([] { return std::make_unique<ReentrantReader>(); });
    const std::shared_ptr<IKivReader> replacement = services::ThreadKivReader();
    EXPECT_NE(replacement.get(), this);
    std::fill(block.begin(), block.end(), 0x5A);
    return true;
  }
};

TEST(Hooks, AReaderReplacedByANestedCallStaysAliveUntilItReturns) {
  SetKivReaderFactory([] { return std::make_unique<ReentrantReader>(); });
  std::vector<std::uint8_t> block(8, 0);
  const std::shared_ptr<IKivReader> reader = services::ThreadKivReader();
  EXPECT_TRUE(reader->ReadKiv("file", "id", block));
  EXPECT_EQ(block, std::vector<std::uint8_t>(8, 0x5A));
  SetKivReaderFactory(nullptr);
}

TEST(Hooks, EveryPieceMayBeSetFromOneThreadWhileOthersLookDevicesUp) {
  test::TempDir dir;
  const std::string program = "00000000000000AB";
  dir.Write("devices.xml", test::Catalogue(test::Device(program, "AB12")));
  dir.Write("broken.xml", "<C5Devices>");
  dir.Write("device.kiv", "vemo-kiv 1\nprogram-id " + program + "\n");
  const std::string catalogue = dir.path();

  std::atomic<bool> stop{false};
  std::atomic<int> boxes{0};
  std::thread setter([&] {
    for (int round = 0; !stop; ++round) {
      SetMessageBoxHandler([&boxes, round](const std::string&, const std::string&, int) {
        ++boxes;
        return round;
      });
      SetConfigPathServiceFactory(round % 2 ? ConfigPathServiceFactory() : [] {
        return std::unique_ptr<IConfigPathService>();  // a host that has no service: error 91
      });
      SetDefaultCatalogFolder(round % 3 ? catalogue : std::string("/nonexistent"));
      SetKivReaderFactory(round % 2 ? KivReaderFactory() : [] { return std::make_unique<ReentrantReader>(); });
      SetRegistryFile(dir.path() + "/registry" + std::to_string(round % 4) + ".json");
      (void)RegistryFile();
    }
  });
  std::vector<std::thread> users;
  std::atomic<int> found{0};
  for (int t = 0; t < 3; ++t) {
    users.emplace_back([&] {
      for (int i = 0; i < 150; ++i) {
        cFactory factory;
        try {
          // A device code scans every file, so the broken one shows a box each time.
          const auto record = factory.CreateProgIDInfo("AB12", i % 2 ? catalogue : "");
          if (!record) continue;
          ++found;
          factory.CreateVirtualC472Node(record)->PopulateDevice(catalogue + "/device.kiv");
        } catch (const AutomationError& error) {
          // Only the setter's null service (91) or no folder at all (76) may fail a call.
          EXPECT_TRUE(error.number() == err::kObjectNotSet || error.number() == err::kPathNotFound) << error.number();
        }
      }
    });
  }
  for (std::thread& user : users) user.join();
  stop = true;
  setter.join();
  SetMessageBoxHandler(nullptr);
  SetConfigPathServiceFactory(nullptr);
  ResetDefaultCatalogFolder();
  SetKivReaderFactory(nullptr);
  SetRegistryFile("");
  EXPECT_GE(found.load(), 225) << "every lookup with the caller's folder finds the device";
  EXPECT_GE(boxes.load(), 1);
}

}  // namespace
}  // namespace vemo
