// The folder index shared by factories on several threads, while one thread replaces a
// catalogue file and another switches the index off and on and fills it past its
// folder limit.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/test_support.h"
#include "vemosupport/IVemoProgIDInfo.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/catalogue.h"
#include "vemosupport/host.h"

namespace vemo {
namespace {

namespace fs = std::filesystem;

TEST(CatalogueIndex, FactoriesOnSeveralThreadsShareItWhileFilesChange) {
  test::TempDir dir;
  const std::string folder = dir.Mkdir("catalogue");
  dir.Write("catalogue/a-broken.xml", "<C5Devices>");
  for (int i = 0; i < 8; ++i) {
    dir.Write("catalogue/f" + std::to_string(i) + ".xml",
              test::Catalogue(test::Device("900000000000000" + std::to_string(i), "C00" + std::to_string(i))));
  }
  // Other folders, more than the index keeps.
  std::vector<std::string> others;
  for (int i = 0; i < 20; ++i) {
    others.push_back(dir.Mkdir("other" + std::to_string(i)));
    dir.Write("other" + std::to_string(i) + "/c.xml", test::Catalogue(test::Device("9100000000000000", "D000")));
  }
  std::atomic<int> boxes{0};
  SetMessageBoxHandler([&boxes](const std::string&, const std::string&, int) {
    ++boxes;
    return kMbResultOk;
  });

  std::atomic<bool> stop{false};
  std::thread changer([&] {
    // f0.xml is replaced whole each time, so a reader sees one version or the other:
    // the code is always there, under one of two program IDs.
    for (int round = 0; !stop; ++round) {
      const std::string next = folder + "/next.tmp";
      std::ofstream(next) << test::Catalogue(test::Device(round % 2 ? "9000000000000000" : "90000000000000F0", "C000"));
      fs::rename(next, folder + "/f0.xml");
      if (round % 16 == 0) {
        SetCatalogueIndexEnabled(false);
        SetCatalogueIndexEnabled(true);
      }
      std::this_thread::yield();
    }
  });
  std::thread wanderer([&] {
    cFactory factory;
    for (int round = 0; !stop; ++round) {
      const auto record = factory.CreateProgIDInfo("D000", others[static_cast<std::size_t>(round) % others.size()]);
      EXPECT_TRUE(record && record->ProgramID() == "9100000000000000");
    }
  });
  std::vector<std::thread> users;
  std::atomic<int> lookups{0};
  for (int t = 0; t < 3; ++t) {
    users.emplace_back([&, t] {
      cFactory factory;
      for (int i = 0; i < 60; ++i) {
        const std::string code = "C00" + std::to_string((i + t) % 8);
        const auto record = factory.CreateProgIDInfo(code, folder);
        ASSERT_TRUE(record) << code;
        EXPECT_EQ(record->DeviceCode(), code);
        if (code == "C000") {
          EXPECT_TRUE(record->ProgramID() == "9000000000000000" || record->ProgramID() == "90000000000000F0")
              << record->ProgramID();
        } else {
          EXPECT_EQ(record->ProgramID(), "900000000000000" + code.substr(3));
        }
        ++lookups;
      }
    });
  }
  for (std::thread& user : users) user.join();
  stop = true;
  changer.join();
  wanderer.join();
  SetMessageBoxHandler(nullptr);
  SetCatalogueIndexEnabled(true);
  // The broken file comes first in the folder: every lookup there reports it.
  EXPECT_EQ(boxes.load(), lookups.load());
}

}  // namespace
}  // namespace vemo
