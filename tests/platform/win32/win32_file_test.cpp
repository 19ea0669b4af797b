// The file module on Windows, under Wine: what a killed writer left goes at
// the next write of the same file; a writer still at work keeps its file.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "platform/files.h"
#include "support/test_platform.h"
#include "support/test_program.h"

namespace quilbert::platform {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

TEST(Win32Files, ReplacingRemovesOnlyItsOwnStaleTemporariesAndIsOwnerOnly) {
  testing::TempDir dir;
  const fs::path target = dir.path() / "claire.ini";
  writeFile(target, "old");
  writeFile(dir.path() / "claire.ini.tmp-k1ll3d00", "scrambled passwords");
  writeFile(dir.path() / "other.ini.tmp-k1ll3d00", "someone else's");
  writeFile(dir.path() / "claire.ini.tmp-NOTOURS", "not a name we make");
  // A writer at work holds its temporary file open without sharing.
  const fs::path live = dir.path() / "claire.ini.tmp-w0rk1ng0";
  HANDLE held = CreateFileW(live.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  EXPECT_EQ(files::replace(target, "new", true), "");
  CloseHandle(held);
  EXPECT_EQ(readFile(target), "new");
  EXPECT_TRUE(testing::readableByOwnerOnly(target));
  EXPECT_FALSE(fs::exists(dir.path() / "claire.ini.tmp-k1ll3d00"));
  EXPECT_TRUE(fs::exists(dir.path() / "other.ini.tmp-k1ll3d00"));
  EXPECT_TRUE(fs::exists(dir.path() / "claire.ini.tmp-NOTOURS"));
  EXPECT_TRUE(fs::exists(live));
  auto files = [&] {
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) n += e.is_regular_file() ? 1 : 0;
    return n;
  };
  EXPECT_EQ(files(), 4U);  // the target, the live one, the other's, the odd name

  // A target held open by another program: the write fails and says so,
  // and the file keeps what it had.
  {
    testing::BlockedWrites blocked(target);
    EXPECT_NE(files::replace(target, "newer", true), "");
  }
  EXPECT_EQ(readFile(target), "new");
  // Its own temporary file went with it; the one its writer let go meanwhile
  // was stale by then and went too.
  EXPECT_EQ(files(), 3U);
  EXPECT_FALSE(fs::exists(live));

  // A reader holding it for a moment (a scanner, the other end of a shared
  // file): the write waits for it and gets through.
  HANDLE reader = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  std::thread release([reader] {
    Sleep(150);
    CloseHandle(reader);
  });
  EXPECT_EQ(files::replace(target, "newest", true), "");
  release.join();
  EXPECT_EQ(readFile(target), "newest");
}

}  // namespace
}  // namespace quilbert::platform
