#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "common/test_support.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/entry_points.h"
#include "vemosupport/host.h"

namespace vemo {
namespace {

constexpr const char* kFactoryProgId = "VemoSupport.cFactory";
constexpr const char* kFactoryClsid = "{6A698CBF-F801-4C05-9753-9E0220666F6D}";
const char* const kPublicClasses[] = {"VemoSupport.cFactory",        "VemoSupport.C472VirtualNode",
                                      "VemoSupport.C472VirtualLMCol", "VemoSupport.C472VirtualLM",
                                      "VemoSupport.C472VirtualNVCol", "VemoSupport.C472VirtualNV",
                                      "VemoSupport.C472VirtualCPCol", "VemoSupport.C472VirtualCP",
                                      "VemoSupport.IC472VirtualObj"};

// The record's entry for a class, as a host reading the record sees it.
std::optional<nlohmann::json> Registration(const std::string& record, const std::string& progId) {
  const nlohmann::json json = nlohmann::json::parse(test::ReadFile(record), nullptr, false);
  if (!json.is_object() || !json.contains("classes") || !json["classes"].contains(progId)) return std::nullopt;
  return json["classes"][progId];
}

class EntryPointsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRegistryFile(record_); }
  void TearDown() override { SetRegistryFile(""); }

  test::TempDir dir_;
  std::string record_ = dir_.path() + "/config/registry.json";
};

TEST_F(EntryPointsTest, RegistrationMakesTheFactoryCreatableByItsProgrammaticIdentifier) {
  test::ExpectAutomationError([] { CreateObject(kFactoryProgId); }, 429, "CreateObject");

  ASSERT_EQ(DllRegisterServer(), status::kOk);
  for (const std::string progId : kPublicClasses) {
    const std::optional<nlohmann::json> registration = Registration(record_, progId);
    ASSERT_TRUE(registration) << progId;
    EXPECT_EQ((*registration)["creatable"], progId == kFactoryProgId) << progId;
    EXPECT_NE((*registration)["library"].get<std::string>().find("libvemosupport.so"), std::string::npos);
  }
  EXPECT_EQ(Registration(record_, kFactoryProgId).value()["clsid"], kFactoryClsid);
  EXPECT_NE(test::ReadFile(record_).find("OLESelfRegister"), std::string::npos);

  auto factory = std::dynamic_pointer_cast<_cFactory>(CreateObject(kFactoryProgId));
  ASSERT_TRUE(factory);
  const test::TempDir catalogue;
  catalogue.Write("devices.xml", test::Catalogue(test::Device("00000000000000AA", "AB12")));
  EXPECT_EQ(factory->CreateProgIDInfo("AB12", catalogue.path())->ProgramID(), "00000000000000AA");

  // Only the factory is creatable; anything unknown is not either.
  test::ExpectAutomationError([] { CreateObject("VemoSupport.C472VirtualNode"); }, 429, "CreateObject",
                              "ActiveX component can't create object");
  test::ExpectAutomationError([] { CreateObject("VemoSupport.Nothing"); }, 429);
}

TEST_F(EntryPointsTest, UnregistrationRemovesOnlyThisLibrarysEntries) {
  dir_.Write("config/registry.json", R"({"classes": {"Other.Thing": {"clsid": "{1}", "library": "x", "creatable": true}},
                                         "owner": "someone else"})");
  ASSERT_EQ(DllRegisterServer(), status::kOk);
  ASSERT_TRUE(Registration(record_, "Other.Thing"));
  ASSERT_EQ(DllUnregisterServer(), status::kOk);

  EXPECT_FALSE(Registration(record_, kFactoryProgId));
  test::ExpectAutomationError([] { CreateObject(kFactoryProgId); }, 429);
  const std::optional<nlohmann::json> other = Registration(record_, "Other.Thing");
  ASSERT_TRUE(other);
  EXPECT_EQ((*other)["library"], "x");
  EXPECT_NE(test::ReadFile(record_).find("someone else"), std::string::npos);
}

TEST_F(EntryPointsTest, AnUnreadableRecordIsNeverOverwrittenNorARecordWrittenPastWhatIsRead) {
  for (const std::string& broken : {std::string("{not json"), std::string("[1, 2]"), std::string(R"({"classes": 7})"),
                                    std::string(R"({"typeLibraries": []})")}) {
    const std::string path = dir_.Write("config/registry.json", broken);
    EXPECT_EQ(DllRegisterServer(), status::kRegisterFailed) << broken;
    EXPECT_EQ(DllUnregisterServer(), status::kRegisterFailed) << broken;
    EXPECT_EQ(test::ReadFile(path), broken);
    test::ExpectAutomationError([] { CreateObject(kFactoryProgId); }, 429);
  }
  // A field of the wrong type is no registration.
  dir_.Write("config/registry.json", R"({"classes": {"VemoSupport.cFactory": {"clsid": 1, "library": [], "creatable": "yes"}}})");
  test::ExpectAutomationError([] { CreateObject(kFactoryProgId); }, 429);
  // A record just inside the 16 MiB a read accepts would grow past it: refused, kept as it was.
  const std::string full = R"({"filler": ")" + std::string(16 * 1024 * 1024 - 1024, 'x') + "\"}";
  const std::string path = dir_.Write("config/registry.json", full);
  EXPECT_EQ(DllRegisterServer(), status::kRegisterFailed);
  EXPECT_TRUE(test::ReadFile(path) == full) << "the record is unchanged";
  EXPECT_EQ(DllUnregisterServer(), status::kOk) << "the record is still read";
}

TEST(EntryPoints, ClassObjectServesTheFactoryOnlyAndCountsAsALiveObject) {
  EXPECT_EQ(DllGetClassObject(kFactoryClsid, nullptr), status::kPointer);
  void* classObject = reinterpret_cast<void*>(1);
  for (const char* id : {"{00000000-0000-0000-0000-000000000000}", "VemoSupport.C472VirtualNode"}) {
    EXPECT_EQ(DllGetClassObject(id, &classObject), status::kClassNotAvailable) << id;
    EXPECT_EQ(classObject, nullptr);
  }
  const long before = Object::LiveCount();
  EXPECT_EQ(DllCanUnloadNow(), before == 0 ? status::kOk : status::kFalse);
  for (const char* id : {kFactoryClsid, kFactoryProgId}) {
    ASSERT_EQ(DllGetClassObject(id, &classObject), status::kOk) << id;
    auto* classFactory = static_cast<IClassFactory*>(classObject);
    {
      auto instance = classFactory->CreateInstance();
      EXPECT_TRUE(std::dynamic_pointer_cast<cFactory>(instance)) << id;
      EXPECT_EQ(Object::LiveCount(), before + 2);
      EXPECT_EQ(DllCanUnloadNow(), status::kFalse);
    }
    classFactory->Release();
  }
  EXPECT_EQ(Object::LiveCount(), before);
  EXPECT_EQ(DllCanUnloadNow(), before == 0 ? status::kOk : status::kFalse);
}

TEST_F(EntryPointsTest, RegistrationsFromSeveralProcessesAtOnceKeepTheRecordWhole) {
  const std::string foreign = R"({"classes": {"Other.Thing": {"clsid": "{1}", "library": "/x", "creatable": true}}})";
  dir_.Write("config/registry.json", foreign);
  std::vector<pid_t> children;
  for (int child = 0; child < 6; ++child) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int failures = 0;
      for (int round = 0; round < 15; ++round) {
        failures += (round + child) % 3 == 0 ? DllUnregisterServer() != status::kOk : DllRegisterServer() != status::kOk;
      }
      _exit(failures);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int result = 0;
    ASSERT_EQ(waitpid(pid, &result, 0), pid);
    EXPECT_TRUE(WIFEXITED(result) && WEXITSTATUS(result) == 0) << "a registration failed";
  }
  ASSERT_TRUE(Registration(record_, "Other.Thing")) << test::ReadFile(record_);
  EXPECT_EQ(DllRegisterServer(), status::kOk);
  EXPECT_TRUE(Registration(record_, kFactoryProgId));
  EXPECT_EQ(test::ReadFile(record_).find("\n  "), std::string::npos) << "the record is written compactly";
}

TEST_F(EntryPointsTest, PlantedLinksDeepRecordsAndRelativeLibrariesAreRefused) {
  // A link planted where a fixed temporary name would be is never followed.
  const std::string target = dir_.Write("victim.txt", "keep me");
  std::filesystem::create_directories(dir_.path() + "/config");
  std::filesystem::create_symlink(target, record_ + ".tmp");
  ASSERT_EQ(DllRegisterServer(), status::kOk);
  EXPECT_EQ(test::ReadFile(target), "keep me");

  // Nesting beyond any real record is not read, so it is never rewritten either.
  std::string deep = R"({"deep": )" + std::string(40, '[') + std::string(40, ']') + "}";
  dir_.Write("config/registry.json", deep);
  EXPECT_EQ(DllRegisterServer(), status::kRegisterFailed);
  EXPECT_EQ(test::ReadFile(record_), deep);

  // The record names a library to load: a relative path is not trusted.
  dir_.Write("config/registry.json", R"({"classes": {"VemoSupport.cFactory": {"clsid": ")" + std::string(kFactoryClsid) +
                                         R"(", "library": "libvemosupport.so", "creatable": true}}})");
  test::ExpectAutomationError([] { CreateObject(kFactoryProgId); }, 429, "CreateObject");
}

// The entry points as a C host reaches them: looked up by name in the loaded library and
// called through plain function pointers. A record that cannot be used is a status code.
TEST_F(EntryPointsTest, CHostsGetStatusCodesNeverExceptions) {
  void* library = dlopen(VEMO_LIBRARY_FILE, RTLD_NOW);
  ASSERT_NE(library, nullptr) << dlerror();
  using Status = std::int32_t (*)();
  const auto registerServer = reinterpret_cast<Status>(dlsym(library, "DllRegisterServer"));
  const auto unregisterServer = reinterpret_cast<Status>(dlsym(library, "DllUnregisterServer"));
  const auto canUnloadNow = reinterpret_cast<Status>(dlsym(library, "DllCanUnloadNow"));
  ASSERT_TRUE(registerServer && unregisterServer && canUnloadNow);

  dir_.Write("config/registry.json", R"({"typeLibraries": [], "classes": {}})");
  EXPECT_EQ(registerServer(), status::kRegisterFailed);
  EXPECT_EQ(unregisterServer(), status::kRegisterFailed);
  // A folder where the record should be.
  SetRegistryFile(dir_.Mkdir("folder"));
  EXPECT_EQ(registerServer(), status::kRegisterFailed);
  EXPECT_EQ(canUnloadNow(), Object::LiveCount() == 0 ? status::kOk : status::kFalse);
  dlclose(library);
}

// Only the public API leaves the library: internal names stay hidden.
TEST(PublicBoundary, InternalSymbolsAreNotExported) {
  void* library = dlopen(VEMO_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_NE(dlsym(library, "DllGetClassObject"), nullptr);
  // vemo::platform::MessageBox and vemo::LeadingNumber, mangled.
  EXPECT_EQ(dlsym(library, "_ZN4vemo8platform10MessageBoxERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEES8_i"),
            nullptr);
  EXPECT_EQ(dlsym(library, "_ZN4vemo13LeadingNumberESt17basic_string_viewIcSt11char_traitsIcEE"), nullptr);
  dlclose(library);
}

}  // namespace
}  // namespace vemo
