// Lookups answered with the tree-free scan and the folder index, next to the same
// lookups loading every file in full: the element, the file it came from and every
// message box must be the same, over folders that change between lookups.
//
// VEMO_DIFFERENTIAL_ITERATIONS (default 30) and VEMO_DIFFERENTIAL_FILES (default 12)
// make the changing-folder case run longer, on bigger folders; VEMO_DIFFERENTIAL_SEED
// repeats one run.
#include "catalogue/catalogue_differential.h"

#include <cstdlib>

namespace vemo {
namespace {

namespace fs = std::filesystem;
using test::differential::Compare;

int FromEnvironment(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : fallback;
}

TEST(CatalogueDifferential, AFolderThatChangesBetweenLookups) {
  const int iterations = FromEnvironment("VEMO_DIFFERENTIAL_ITERATIONS", 30);
  const int files = FromEnvironment("VEMO_DIFFERENTIAL_FILES", 12);
  const unsigned seed = static_cast<unsigned>(FromEnvironment("VEMO_DIFFERENTIAL_SEED", static_cast<int>(std::random_device{}())));
  SCOPED_TRACE("VEMO_DIFFERENTIAL_SEED=" + std::to_string(seed));
  test::TempDir dir;
  test::differential::ChangingFolder folder(dir, seed, files);
  int answeredFromTheIndex = 0;
  for (int iteration = 0; iteration < iterations; ++iteration) {
    const std::string changes = folder.Change();
    for (int k = 0; k < 4; ++k) {
      const std::string key = folder.AnyKey();
      SCOPED_TRACE("iteration " + std::to_string(iteration) + " (" + changes + "), key " + key);
      const std::uint64_t reads = CatalogueFileReads();
      Compare(folder.path(), key);
      if (CatalogueFileReads() == reads) ++answeredFromTheIndex;
      if (HasFailure()) return;
    }
  }
  // Lookups that read no file at all: without them this compared the full load with itself.
  if (iterations >= 10) {
    EXPECT_GT(answeredFromTheIndex, iterations / 2);
  }
}

TEST(CatalogueDifferential, EveryKindOfEntryAndBrokenFileOnItsOwn) {
  test::TempDir dir;
  // Each case in a folder of its own, before a plain file that holds every key, so that
  // a lookup passes it (or stops at it) and both ways must agree on that. Looked up
  // twice: the second time answered from the index.
  const auto& cases = test::differential::kCases;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    dir.Write(std::to_string(i) + "/a.xml", cases[i].second);
    dir.Write(std::to_string(i) + "/zz.xml", test::differential::HoldingEveryKey());
  }
  for (const bool indexed : {false, true}) {
    for (std::size_t i = 0; i < cases.size(); ++i) {
      for (const std::string& key : test::differential::kKeys) {
        SCOPED_TRACE(cases[i].first + (indexed ? ", indexed" : ", first read") + ", key " + key);
        Compare(dir.slash() + std::to_string(i) + "/", key);
      }
    }
  }
}

TEST(CatalogueDifferential, ATextTooLongForTheTreeIsReportedAsTheLoadReportsIt) {
  test::TempDir dir;
  // libxml2's tree refuses a text node past 10,000,000 bytes; its parser alone does not.
  std::string text;
  while (text.size() < 10'500'000) text += std::string(99, 'x') + "\n";
  dir.Write("a.xml", test::Catalogue(test::Device("9000000000000001", "AB12", text)));
  dir.Write("b.xml", test::Catalogue(test::Device("9000000000000002", "AB12")));
  EXPECT_EQ(Compare(dir.slash(), "AB12").boxes.size(), 1u);
}

TEST(CatalogueDifferential, AWarmLookupReadsOnlyWhatChangedAndStillReportsBrokenFiles) {
  test::TempDir dir;
  const std::string folder = dir.slash();
  for (int i = 0; i < 6; ++i) {
    dir.Write("f" + std::to_string(i) + ".xml",
              test::Catalogue(test::Device("900000000000000" + std::to_string(i), "C00" + std::to_string(i))));
  }
  dir.Write("b.xml", "<C5Devices>\n<C5Device ProgramID=\"P1\">\n</C5Devices>\n");
  const auto readsFor = [&](const std::string& key) {
    const std::uint64_t before = CatalogueFileReads();
    const test::differential::Outcome outcome = Compare(folder, key);
    EXPECT_EQ(outcome.boxes.size(), 1u) << "the broken file is reported on every lookup";
    return CatalogueFileReads() - before;
  };
  EXPECT_EQ(readsFor("C005"), 7u);  // cold
  EXPECT_EQ(readsFor("C004"), 0u);
  dir.Write("f2.xml", test::Catalogue(test::Device("9000000000000002", "D002")));
  EXPECT_EQ(readsFor("C005"), 1u);
  fs::remove(folder + "f3.xml");
  fs::rename(folder + "f4.xml", folder + "g4.xml");
  EXPECT_EQ(readsFor("C004"), 1u) << "a renamed file is a new name; a deleted one is gone";
  EXPECT_EQ(readsFor("C003"), 0u);
}

TEST(CatalogueDifferential, TheSampleCatalogueAndTheFuzzSeeds) {
  const std::string sample = VEMO_SOURCE_DIR "/catalog/";
  for (const std::string& key : test::differential::KeysIn(sample)) {
    SCOPED_TRACE("sample catalogue, key " + key);
    Compare(sample, key);
  }
  const fs::path seeds = VEMO_SOURCE_DIR "/fuzz/corpus/catalogue_load_fuzzer";
  if (!fs::is_directory(seeds)) GTEST_SKIP() << "no fuzz seeds in " << seeds;
  test::TempDir dir;
  dir.Write("zz.xml", test::differential::HoldingEveryKey());
  for (const fs::directory_entry& seed : fs::directory_iterator(seeds)) {
    fs::copy_file(seed.path(), dir.slash() + "a.xml", fs::copy_options::overwrite_existing);
    std::vector<std::string> keys = test::differential::KeysIn(dir.slash());
    keys.push_back("ZZ99");
    for (const std::string& key : keys) {
      SCOPED_TRACE(seed.path().filename().string() + ", key " + key);
      Compare(dir.slash(), key);
    }
  }
}

}  // namespace
}  // namespace vemo
