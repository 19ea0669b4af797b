// Files written safely, on every platform: atomic replacement, owner-only
// creation and an exclusive lock between processes. Implemented once for
// POSIX (linux/posix_file.cpp) and once for Windows (win32/win32_file.cpp).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quilbert::platform::files {

// Replaces the file at `path` with `bytes`. A temporary file of a random name
// is created beside it exclusively (never through a link someone planted),
// written, flushed to disk and moved over the target in one step; ownerOnly
// makes it readable by its owner only. Temporary files of the same target
// left behind by a writer that was killed are removed first. Empty on
// success, else a message naming the file and the error; the old file is
// then intact. A target that is a link is never written through: on POSIX it
// is refused with a message saying so.
// `durable` false skips the flushes to disk: the file is still whole after
// the writer dies at any moment, but not necessarily after a power cut.
std::string replace(const std::filesystem::path& path, std::string_view bytes, bool ownerOnly,
                    bool durable = true);

// Reads a whole file of at most `limit` bytes. Empty on success, else a
// message naming the file and the error (`missing` tells a file that does
// not exist from one that cannot be read).
std::string read(const std::filesystem::path& path, std::size_t limit, std::string& bytes,
                 bool* missing = nullptr);

// The name prefix of the temporary files `replace` makes for `path`: the
// file name followed by ".tmp-" (eight letters or digits follow it).
std::string temporaryPrefix(const std::filesystem::path& path);

// An exclusive lock between processes, held on a lock file until released
// or destroyed. The lock file is created readable by its owner only, never
// through a link, and its content is never written.
class FileLock {
 public:
  FileLock() = default;
  FileLock(FileLock&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
  FileLock& operator=(FileLock&& other) noexcept {
    if (this != &other) {
      release();
      handle_ = other.handle_;
      other.handle_ = kNone;
    }
    return *this;
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock() { release(); }

  // Waits for the lock on `path`. Empty on success, else what went wrong.
  std::string acquire(const std::filesystem::path& path);
  void release();
  [[nodiscard]] bool held() const { return handle_ != kNone; }

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;
};

}  // namespace quilbert::platform::files
