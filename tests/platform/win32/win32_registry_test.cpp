// The registry service on Wine's real registry, under a key of the test's own.
#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>

#include "app/registry_routines.h"
#include "platform/win32/win32_text.h"
#include "support/test_platform.h"
#include "support/test_program.h"

namespace quilbert::platform {
namespace {

const std::string kKey = R"(SOFTWARE\Quilbert\Test)";

class Win32RegistryTest : public ::testing::Test {
 protected:
  Win32RegistryTest() { registry.createKey(kHkeyLocalMachine, kKey); }
  ~Win32RegistryTest() override { registry.removeIsolatedTree(); }

  RegKey open(std::uint32_t access) {
    RegKey key = 0;
    EXPECT_EQ(registry.openKey(kHkeyLocalMachine, kKey, access, key), regerr::kOk);
    return key;
  }
  // The value as a caller with a buffer of `capacity` bytes gets it.
  int query(RegKey key, const std::string& name, std::uint32_t capacity, std::string& data,
            std::uint32_t& type) {
    data.assign(capacity, ' ');
    std::uint32_t size = capacity;
    const int rc = registry.queryValue(key, name, &type, &data, size);
    data.resize(rc == regerr::kOk ? size : 0);
    if (rc == regerr::kMoreData) data = std::to_string(size);
    return rc;
  }

  testing::TempDir dir;
  Win32Registry registry{R"(Software\QuilbertTests\Registry-)" +
                         std::to_string(std::hash<std::string>{}(dir.path().string()))};
};

TEST_F(Win32RegistryTest, StringsGoInAndOutInUtf8WithTheirNulAndSizes) {
  RegKey key = open(kKeyAllAccess);
  const std::string folder = "C:\\Données\\漢字\\quilbert.exe /a";
  ASSERT_EQ(registry.setValue(key, "Quilbert", kRegSz, folder + '\0'), regerr::kOk);
  ASSERT_EQ(registry.setValue(key, "Count", kRegDword, std::string("\x07\0\0\0", 4)), regerr::kOk);
  registry.closeKey(key);

  key = open(kKeyQueryValue);
  std::string data;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry.queryValue(key, "Quilbert", &type, nullptr, size), regerr::kOk);
  EXPECT_EQ(size, folder.size() + 1);  // UTF-8 bytes, NUL included
  EXPECT_EQ(query(key, "Quilbert", 8, data, type), regerr::kMoreData);
  EXPECT_EQ(data, std::to_string(folder.size() + 1));
  EXPECT_EQ(query(key, "Quilbert", 200, data, type), regerr::kOk);
  EXPECT_EQ(data, folder + '\0');
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(query(key, "Count", 4, data, type), regerr::kOk);
  EXPECT_EQ(data, std::string("\x07\0\0\0", 4));
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(query(key, "Missing", 200, data, type), regerr::kFileNotFound);
  registry.closeKey(key);
}

TEST_F(Win32RegistryTest, DeletedValuesAreGoneAndMissingKeysSayNotFound) {
  RegKey key = open(kKeyAllAccess);
  ASSERT_EQ(registry.setValue(key, "Quilbert", kRegSz, std::string("x\0", 2)), regerr::kOk);
  EXPECT_EQ(registry.deleteValue(key, "Quilbert"), regerr::kOk);
  EXPECT_EQ(registry.deleteValue(key, "Quilbert"), regerr::kFileNotFound);
  std::string data;
  std::uint32_t type = 0;
  EXPECT_EQ(query(key, "Quilbert", 16, data, type), regerr::kFileNotFound);
  EXPECT_EQ(registry.closeKey(key), regerr::kOk);
  RegKey none = 0;
  EXPECT_EQ(registry.openKey(kHkeyLocalMachine, kKey + "\\Nowhere", kKeyQueryValue, none),
            regerr::kFileNotFound);
  EXPECT_EQ(registry.openKey(0x80000099U, kKey, kKeyQueryValue, none), regerr::kInvalidHandle);
}

// The Shell Folders key is kept for older programs: one without "Local AppData"
// answers the shell's own folder of that name.
TEST_F(Win32RegistryTest, AMissingLocalAppDataIsTheShellsFolder) {
  const std::string key = R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)";
  registry.createKey(kHkeyCurrentUser, key);
  EXPECT_EQ(app::ReadRegString(registry, kHkeyCurrentUser, key, "Local AppData"),
            win32::narrow(_wgetenv(L"LOCALAPPDATA")));
}

// The refusal comes from the key's own access list, as for a user without
// write access to the machine's Run key.
TEST(Win32Registry, AKeyThatRefusesWritesIsReadButNotChanged) {
  testing::TempDir dir;
  testing::TestRegistry registry(dir.path(), dir.path() / "settings");
  RegKey key = 0;
  const std::string run = R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Run)";
  ASSERT_EQ(registry.openKey(kHkeyLocalMachine, run, kKeyAllAccess, key), regerr::kOk);
  ASSERT_EQ(registry.setValue(key, "Quilbert", kRegSz, std::string("a\0", 2)), regerr::kOk);
  registry.closeKey(key);
  registry.setReadOnly(kHkeyLocalMachine, run);
  EXPECT_EQ(registry.openKey(kHkeyLocalMachine, run, kKeyAllAccess, key), regerr::kAccessDenied);
  ASSERT_EQ(registry.openKey(kHkeyLocalMachine, run, kKeyQueryValue, key), regerr::kOk);
  EXPECT_EQ(registry.setValue(key, "Quilbert", kRegSz, std::string("b\0", 2)),
            regerr::kAccessDenied);
  EXPECT_EQ(registry.deleteValue(key, "Quilbert"), regerr::kAccessDenied);
  EXPECT_TRUE(registry.startsAtLogOn("a"));
  registry.closeKey(key);
}

}  // namespace
}  // namespace quilbert::platform
