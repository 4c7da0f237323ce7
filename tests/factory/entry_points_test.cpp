#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "common/test_support.h"
#include "factory/cFactory.h"
#include "factory/class_registry.h"
#include "factory/entry_points.h"

namespace vemo {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
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
  for (const PublicClass& entry : PublicClasses()) {
    const std::optional<Registration> registration = FindRegistration(entry.progId);
    ASSERT_TRUE(registration) << entry.progId;
    EXPECT_EQ(registration->clsid, entry.clsid);
    EXPECT_EQ(registration->creatable, std::string(entry.progId) == kFactoryProgId) << entry.progId;
    EXPECT_NE(registration->library.find("libvemosupport"), std::string::npos);
  }
  EXPECT_NE(ReadAll(record_).find("OLESelfRegister"), std::string::npos);

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
  ASSERT_TRUE(FindRegistration("Other.Thing"));
  ASSERT_EQ(DllUnregisterServer(), status::kOk);

  EXPECT_FALSE(FindRegistration(kFactoryProgId));
  test::ExpectAutomationError([] { CreateObject(kFactoryProgId); }, 429);
  const std::optional<Registration> other = FindRegistration("Other.Thing");
  ASSERT_TRUE(other);
  EXPECT_EQ(other->library, "x");
  EXPECT_NE(ReadAll(record_).find("someone else"), std::string::npos);
}

TEST_F(EntryPointsTest, AnUnreadableRecordIsNeverOverwritten) {
  for (const std::string& broken : {std::string("{not json"), std::string("[1, 2]"), std::string(R"({"classes": 7})")}) {
    const std::string path = dir_.Write("config/registry.json", broken);
    EXPECT_EQ(DllRegisterServer(), status::kRegisterFailed) << broken;
    EXPECT_EQ(DllUnregisterServer(), status::kRegisterFailed) << broken;
    EXPECT_EQ(ReadAll(path), broken);
    test::ExpectAutomationError([] { CreateObject(kFactoryProgId); }, 429);
  }
  // A field of the wrong type is no registration.
  dir_.Write("config/registry.json", R"({"classes": {"VemoSupport.cFactory": {"clsid": 1, "library": [], "creatable": "yes"}}})");
  test::ExpectAutomationError([] { CreateObject(kFactoryProgId); }, 429);
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

}  // namespace
}  // namespace vemo
