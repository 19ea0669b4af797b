#include "platform/linux/file_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include "platform/linux/autostart.h"
#include "platform/linux/linux_test_support.h"

namespace quilbert::platform {
namespace {

using testing::permissions;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kShellFolders =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Reads a value the way the program does: size first, then the bytes.
int readValue(Registry& registry, std::uint32_t root, const std::string& subKey,
              const std::string& name, std::uint32_t& type, std::string& data) {
  RegKey key = 0;
  int rc = registry.openKey(root, subKey, kKeyQueryValue, key);
  if (rc != regerr::kOk) return rc;
  std::uint32_t size = 0;
  rc = registry.queryValue(key, name, &type, nullptr, size);
  if (rc == regerr::kOk) {
    data.assign(size, ' ');
    rc = registry.queryValue(key, name, &type, &data, size);
  }
  registry.closeKey(key);
  return rc;
}

int writeValue(Registry& registry, std::uint32_t root, const std::string& subKey,
               const std::string& name, std::uint32_t type, const std::string& data) {
  RegKey key = 0;
  int rc = registry.openKey(root, subKey, kKeyAllAccess, key);
  if (rc != regerr::kOk) return rc;
  rc = registry.setValue(key, name, type, data);
  registry.closeKey(key);
  return rc;
}

TEST(FileRegistry, AnswersWithTheWindowsCodes) {
  TempFolder home;
  FileRegistry registry(home.path());
  RegKey key = 0;
  EXPECT_EQ(registry.openKey(kHkeyCurrentUser, "Software\\Missing", kKeyQueryValue, key), 2);
  EXPECT_EQ(registry.openKey(0x1234, "Software", kKeyQueryValue, key), 6);
  std::uint32_t size = 0;
  EXPECT_EQ(registry.queryValue(0x999, "x", nullptr, nullptr, size), 6);
  EXPECT_EQ(registry.setValue(0x999, "x", kRegSz, "a"), 6);
  EXPECT_EQ(registry.closeKey(0x999), 6);

  ASSERT_EQ(registry.createKey(kHkeyCurrentUser, "Software\\Test"), 0);
  ASSERT_EQ(registry.openKey(kHkeyCurrentUser, "SOFTWARE\\test", kKeyAllAccess, key), 0);
  const std::string text("C:\\a\0b\0", 7);  // an embedded NUL and the terminator
  EXPECT_EQ(registry.setValue(key, "Path", kRegSz, text), 0);
  EXPECT_EQ(registry.setValue(key, "Count", kRegDword, std::string("\x05\x00\x00\x00", 4)), 0);

  std::uint32_t type = 0;
  EXPECT_EQ(registry.queryValue(key, "PATH", &type, nullptr, size), 0);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 7U);
  std::string small = "xyz";
  size = 3;
  EXPECT_EQ(registry.queryValue(key, "path", &type, &small, size), 234);
  EXPECT_EQ(size, 7U);
  EXPECT_EQ(small, "xyz");
  std::string data(7, ' ');
  EXPECT_EQ(registry.queryValue(key, "Path", &type, &data, size), 0);
  EXPECT_EQ(data, text);
  size = 4;
  EXPECT_EQ(registry.queryValue(key, "count", &type, &data, size), 0);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(data.substr(0, 4), std::string("\x05\x00\x00\x00", 4));
  EXPECT_EQ(registry.queryValue(key, "Missing", &type, nullptr, size), 2);

  EXPECT_EQ(registry.deleteValue(key, "PATH"), 0);
  EXPECT_EQ(registry.deleteValue(key, "Path"), 2);
  EXPECT_EQ(registry.queryValue(key, "Path", &type, nullptr, size), 2);
  EXPECT_EQ(registry.closeKey(key), 0);
  EXPECT_EQ(registry.closeKey(key), 6);

  // A key opened for reading only refuses changes, as a handle does on Windows.
  ASSERT_EQ(registry.openKey(kHkeyCurrentUser, "Software\\Test", kKeyQueryValue, key), 0);
  EXPECT_EQ(registry.setValue(key, "Path", kRegSz, text), 5);
  EXPECT_EQ(registry.deleteValue(key, "Count"), 5);
}

TEST(FileRegistry, StoreIsReadableTextThatKeepsEveryByteAcrossInstances) {
  TempFolder home;
  std::string everyByte;
  for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
  {
    FileRegistry first(home.path());
    ASSERT_EQ(first.createKey(kHkeyLocalMachine, "Software\\Odd%Key\\Sous-clé"), 0);
    EXPECT_EQ(writeValue(first, kHkeyLocalMachine, "Software\\Odd%Key\\Sous-clé", "Bytes \"q\"", 77,
                         everyByte),
              0);
    EXPECT_EQ(writeValue(first, kHkeyLocalMachine, kRun, "Count", kRegDword,
                         std::string("\x2A\x00\x00\x00", 4)),
              0);
    EXPECT_EQ(writeValue(first, kHkeyCurrentUser, kShellFolders, "Local Settings", kRegSz,
                         std::string("/home/zoë/\0", 12)),
              0);
  }
  std::string store = readFile(home / "quilbert/registry");
  EXPECT_EQ(permissions(home / "quilbert/registry"), 0600U);
  EXPECT_NE(store.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
                       "\"Count\" = dword:0x0000002A\n"),
            std::string::npos)
      << store;
  EXPECT_NE(store.find("\"Local Settings\" = sz:\"/home/zoë/\\0\""), std::string::npos) << store;
  EXPECT_NE(store.find("[HKEY_LOCAL_MACHINE\\Software\\Odd%25Key\\Sous-clé]"), std::string::npos);

  FileRegistry second(home.path());
  std::uint32_t type = 0;
  std::string data;
  EXPECT_EQ(readValue(second, kHkeyLocalMachine, "software\\odd%key\\SOUS-clé", "bytes \"Q\"", type,
                      data),
            0);
  EXPECT_EQ(type, 77U);
  EXPECT_EQ(data, everyByte);

  // An instance sees what another one wrote after it had read the store.
  FileRegistry third(home.path());
  EXPECT_EQ(readValue(third, kHkeyLocalMachine, kRun, "Count", type, data), 0);
  EXPECT_EQ(writeValue(second, kHkeyLocalMachine, kRun, "Count", kRegDword,
                       std::string("\x07\x00\x00\x00", 4)),
            0);
  EXPECT_EQ(readValue(third, kHkeyLocalMachine, kRun, "Count", type, data), 0);
  EXPECT_EQ(data, std::string("\x07\x00\x00\x00", 4));
}

TEST(FileRegistry, SettingsFolderDefaultsToTheConfigurationFolder) {
  TempFolder home;
  FileRegistry registry(home.path());
  std::uint32_t type = 0;
  std::string data;
  ASSERT_EQ(readValue(registry, kHkeyCurrentUser, kShellFolders, "Local Settings", type, data), 0);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(data, home.path() + "/quilbert/" + std::string(1, '\0'));
  EXPECT_EQ(permissions(home / "quilbert"), 0700U);

  ASSERT_EQ(writeValue(registry, kHkeyCurrentUser, kShellFolders, "Local Settings", kRegSz,
                       std::string("/elsewhere\0", 11)),
            0);
  ASSERT_EQ(readValue(registry, kHkeyCurrentUser, kShellFolders, "Local Settings", type, data), 0);
  EXPECT_EQ(data, std::string("/elsewhere\0", 11));
  ASSERT_EQ(readValue(registry, kHkeyCurrentUser, kShellFolders, "Local AppData", type, data), 0);
  EXPECT_EQ(data, home.path() + "/quilbert/" + std::string(1, '\0'));
}

TEST(FileRegistry, DefaultLocationFollowsXdgConfigHome) {
  TempFolder home;
  {
    testing::ScopedEnv config("XDG_CONFIG_HOME", (home.path() + "/").c_str());
    FileRegistry registry;
    EXPECT_EQ(registry.storePath(), home / "quilbert/registry");
    EXPECT_EQ(registry.autostartPath(), home / "autostart/quilbert.desktop");
  }
  // A relative folder is not a valid setting: the home folder's .config is used.
  testing::ScopedEnv config("XDG_CONFIG_HOME", "relative");
  testing::ScopedEnv user("HOME", home.path().c_str());
  EXPECT_EQ(FileRegistry().settingsFolder(), home / ".config/quilbert/");
}

TEST(FileRegistry, RunValueKeepsTheAutostartEntryInStep) {
  TempFolder home;
  // The program sits in a folder with a space, so the entry must quote it.
  std::filesystem::create_directories(home / "my apps");
  std::string program = home / "my apps/quilbert";
  writeFile(program, "#!/bin/sh\n");
  ::chmod(program.c_str(), 0755);
  const std::string command = program + " /a";

  FileRegistry registry(home.path());
  const std::string entryPath = home / "autostart/quilbert.desktop";
  ASSERT_EQ(writeValue(registry, kHkeyLocalMachine, kRun, "Quilbert", kRegSz, command + '\0'), 0);
  std::string entry = readFile(entryPath);
  EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
  EXPECT_NE(entry.find("\nName=Quilbert\n"), std::string::npos);
  EXPECT_NE(entry.find("\nX-GNOME-Autostart-enabled=true\n"), std::string::npos);
  EXPECT_NE(entry.find("\nExec=\"" + program + "\" /a\n"), std::string::npos) << entry;

  std::uint32_t type = 0;
  std::string data;
  ASSERT_EQ(readValue(registry, kHkeyLocalMachine, kRun, "Quilbert", type, data), 0);
  EXPECT_EQ(data, command + '\0');

  RegKey key = 0;
  ASSERT_EQ(registry.openKey(kHkeyLocalMachine, kRun, kKeyAllAccess, key), 0);
  EXPECT_EQ(registry.deleteValue(key, "Quilbert"), 0);
  EXPECT_FALSE(std::filesystem::exists(entryPath));
  // A number under that name cannot be run: no entry either.
  EXPECT_EQ(registry.setValue(key, "Quilbert", kRegDword, std::string(4, '\0')), 0);
  EXPECT_FALSE(std::filesystem::exists(entryPath));

  // When the entry cannot be written, the value is refused rather than stored alone.
  std::filesystem::create_directories(entryPath + "/blocked");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(registry.setValue(key, "Quilbert", kRegSz, command + '\0'), regerr::kCantWrite);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find(entryPath), std::string::npos);
  std::uint32_t size = 0;
  EXPECT_EQ(registry.queryValue(key, "Quilbert", &type, nullptr, size), 0);
  EXPECT_EQ(type, kRegDword);
  registry.closeKey(key);
}

TEST(FileRegistry, AtStartTheAutostartEntryFollowsTheRunValue) {
  TempFolder home;
  const std::string entryPath = home / "autostart/quilbert.desktop";
  const std::string command = "/opt/quilbert/quilbert /a";
  {
    FileRegistry registry(home.path());
    ASSERT_EQ(writeValue(registry, kHkeyLocalMachine, kRun, "Quilbert", kRegSz, command + '\0'), 0);
  }
  const std::string wanted = readFile(entryPath);
  ASSERT_FALSE(wanted.empty());
  struct Split {
    const char* what;
    std::function<void()> leave;
    bool entryAfter;
  };
  // What a kill between the two writes leaves, and what the next start makes of it.
  for (const Split& split : {
           Split{"value set, entry not yet written", [&] { ::unlink(entryPath.c_str()); }, true},
           Split{"value changed, entry still the old one",
                 [&] { writeFile(entryPath, posix::autostartEntry("/old/quilbert /a")); }, true},
           Split{"value deleted, entry not yet removed",
                 [&] {
                   writeFile(home / "quilbert/registry", "");  // the store holds no value
                   writeFile(entryPath, wanted);
                 },
                 false},
       }) {
    if (split.entryAfter) {
      FileRegistry restore(home.path());
      ASSERT_EQ(writeValue(restore, kHkeyLocalMachine, kRun, "Quilbert", kRegSz, command + '\0'),
                0);
    }
    split.leave();
    FileRegistry next(home.path());
    EXPECT_EQ(next.reconcileAutostart(), "") << split.what;
    if (split.entryAfter) {
      EXPECT_EQ(readFile(entryPath), wanted) << split.what;
    } else {
      EXPECT_FALSE(std::filesystem::exists(entryPath)) << split.what;
    }
  }
  // When they agree nothing is written.
  FileRegistry registry(home.path());
  ASSERT_EQ(writeValue(registry, kHkeyLocalMachine, kRun, "Quilbert", kRegSz, command + '\0'), 0);
  struct stat before {};
  ::stat(entryPath.c_str(), &before);
  EXPECT_EQ(FileRegistry(home.path()).reconcileAutostart(), "");
  struct stat after {};
  ::stat(entryPath.c_str(), &after);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST(FileRegistry, ExecQuotingFollowsTheDesktopEntryRules) {
  using posix::desktopExec;
  using posix::splitCommandLine;
  EXPECT_EQ(desktopExec({"/opt/q/quilbert", "/a"}), "/opt/q/quilbert /a");
  // Reserved characters are quoted, \ " ` $ escaped, % doubled; then the
  // string level doubles every backslash once more.
  EXPECT_EQ(desktopExec({"/x y/$HOME\\\"q`", "100%"}), R"("/x y/\\$HOME\\\\\\"q\\`" 100%%)");
  EXPECT_EQ(desktopExec({"/opt/a", ""}), "/opt/a \"\"");

  // Without an existing program to go by, the last word is the argument.
  EXPECT_EQ(splitCommandLine("/nowhere/my apps/quilbert /a"),
            (std::vector<std::string>{"/nowhere/my apps/quilbert", "/a"}));
  EXPECT_EQ(splitCommandLine("\"/nowhere/my apps/quilbert\" /a  b"),
            (std::vector<std::string>{"/nowhere/my apps/quilbert", "/a", "b"}));
  EXPECT_EQ(splitCommandLine("/nowhere/quilbert"), (std::vector<std::string>{"/nowhere/quilbert"}));
  EXPECT_TRUE(splitCommandLine("   ").empty());
}

TEST(FileRegistry, ReadOnlyKeyRefusesWriteAccess) {
  TempFolder home;
  FileRegistry registry(home.path());
  ASSERT_EQ(registry.createKey(kHkeyLocalMachine, kRun + "\\Sub"), 0);
  registry.setReadOnly(kHkeyLocalMachine, "software\\microsoft\\windows\\currentversion\\run");
  RegKey key = 0;
  EXPECT_EQ(registry.openKey(kHkeyLocalMachine, kRun, kKeyAllAccess, key), 5);
  EXPECT_EQ(registry.openKey(kHkeyLocalMachine, kRun + "\\Sub", kKeyAllAccess, key), 5);
  EXPECT_EQ(registry.openKey(kHkeyLocalMachine, kRun, 0x80000000U /* generic read */, key), 0);
  std::uint32_t size = 0;
  EXPECT_EQ(registry.queryValue(key, "Quilbert", nullptr, nullptr, size), 2);
  registry.closeKey(key);
  EXPECT_EQ(registry.openKey(kHkeyCurrentUser, kShellFolders, kKeyAllAccess, key), 0);
  registry.closeKey(key);

  registry.setReadOnly(kHkeyLocalMachine, kRun, false);
  EXPECT_EQ(registry.openKey(kHkeyLocalMachine, kRun, kKeyAllAccess, key), 0);
  registry.closeKey(key);
}

TEST(FileRegistry, DamagedStoreKeepsWhatItCanAndIsSetAside) {
  TempFolder home;
  std::filesystem::create_directories(home / "quilbert");
  const std::string store = home / "quilbert/registry";
  const std::string damaged =
      "[HKEY_CURRENT_USER\\Software\\Good]\n"
      "\"Kept\" = sz:\"yes\\0\"\r\n"
      "\"Broken\" = sz:\"no end\n"
      "garbage \x01\x02\n"
      "[HKEY_NOWHERE\\X]\n"
      "\"Lost\" = dword:0x1\n"
      "[HKEY_CURRENT_USER\\Software\\Good]\n"
      "\"Also\" = dword:0x00000003\n";
  writeFile(store, damaged);

  FileRegistry registry(home.path());
  std::uint32_t type = 0;
  std::string data;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(readValue(registry, kHkeyCurrentUser, "Software\\Good", "Kept", type, data), 0);
  EXPECT_EQ(data, std::string("yes\0", 4));
  EXPECT_EQ(readValue(registry, kHkeyCurrentUser, "Software\\Good", "Broken", type, data), 2);
  EXPECT_EQ(readValue(registry, kHkeyCurrentUser, "Software\\Good", "Also", type, data), 0);
  std::string messages = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(messages.find(store + " is damaged (line 3: unterminated quoted text"),
            std::string::npos)
      << messages;
  EXPECT_EQ(messages.find("damaged", messages.find("damaged") + 1), std::string::npos)
      << "reported more than once: " << messages;

  // The first change keeps the original file before writing a clean store.
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(writeValue(registry, kHkeyCurrentUser, "Software\\Good", "New", kRegSz, "n"), 0);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(readFile(store + ".bad"), damaged);
  FileRegistry fresh(home.path());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(readValue(fresh, kHkeyCurrentUser, "Software\\Good", "Kept", type, data), 0);
  EXPECT_EQ(readValue(fresh, kHkeyCurrentUser, "Software\\Good", "New", type, data), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(FileRegistry, UnreadableOrBinaryStoreReadsAsEmpty) {
  TempFolder home;
  std::filesystem::create_directories(home / "quilbert");
  std::string junk;
  for (int i = 0; i < 5000; ++i) junk += static_cast<char>((i * 7919) % 256);
  writeFile(home / "quilbert/registry", junk);
  FileRegistry registry(home.path());
  std::uint32_t type = 0;
  std::string data;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(readValue(registry, kHkeyLocalMachine, kRun, "Quilbert", type, data), 2);
  EXPECT_NE(::testing::internal::GetCapturedStderr(), "");

  // A folder where the store should be cannot be read; it is moved aside, not lost.
  TempFolder other;
  std::filesystem::create_directories(other / "quilbert/registry/inside");
  FileRegistry blocked(other.path());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(readValue(blocked, kHkeyLocalMachine, kRun, "Quilbert", type, data), 2);
  EXPECT_EQ(writeValue(blocked, kHkeyLocalMachine, kRun, "Count", kRegDword, std::string(4, '\1')),
            0);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot read the registry store"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(other / "quilbert/registry.bad/inside"));

  // A configuration folder that cannot exist: the write fails and says why.
  TempFolder third;
  writeFile(third / "file", "x");
  FileRegistry impossible(third / "file");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(
      writeValue(impossible, kHkeyLocalMachine, kRun, "Count", kRegDword, std::string(4, '\1')),
      regerr::kCantWrite);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("Not a directory"), std::string::npos);
}

TEST(FileRegistry, StoreFormatRoundTripsAnyNamesAndBytes) {
  std::mt19937 random(20240601);
  auto bytes = [&](std::size_t most, bool allowBackslash) {
    std::string text(random() % (most + 1), ' ');
    for (char& c : text) {
      do {
        c = static_cast<char>(random() % 256);
      } while (!allowBackslash && c == '\\');
    }
    return text;
  };
  for (int round = 0; round < 200; ++round) {
    posix::KeyTable table;
    for (int k = 0; k < 4; ++k) {
      std::string path = round % 2 == 0 ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
      for (int depth = 0; depth < 3; ++depth) {
        std::string component = bytes(12, false);
        if (!component.empty()) path += '\\' + component;
      }
      auto& key = table.create(path);
      for (int v = 0; v < 3; ++v) {
        key.setValue(bytes(10, true), static_cast<std::uint32_t>(random() % 8), bytes(40, true));
      }
    }
    std::string text = posix::formatStore(table);
    posix::ParsedStore parsed = posix::parseStore(text);
    ASSERT_TRUE(parsed.problems.empty()) << parsed.problems.front() << "\n" << text;
    for (const auto& [folded, key] : table.keys()) {
      const posix::StoredKey* back = parsed.table.find(key.path);
      ASSERT_NE(back, nullptr) << text;
      ASSERT_EQ(back->values.size(), key.values.size()) << text;
      for (const auto& value : key.values) {
        const posix::StoredValue* found = back->findValue(value.name);
        ASSERT_NE(found, nullptr) << text;
        EXPECT_EQ(found->type, value.type);
        EXPECT_EQ(found->data, value.data);
      }
    }
    // Damaged copies of the text are read without crashing.
    for (int cut = 0; cut < 5 && !text.empty(); ++cut) {
      std::string broken = text;
      broken[random() % broken.size()] = static_cast<char>(random() % 256);
      broken.resize(random() % broken.size());
      posix::parseStore(broken);
    }
  }
}

}  // namespace
}  // namespace quilbert::platform
