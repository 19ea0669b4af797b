// Small POSIX helpers shared by the Linux services: owned descriptors, safe
// file replacement and folder creation.
#pragma once

#include <sys/types.h>

#include <string>

namespace quilbert::platform::posix {

// Owns a file descriptor and closes it once.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  [[nodiscard]] int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int release();
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

// The system's text for an errno value.
std::string systemError(int err);

// The folder part of a path ("." when it has none), without a trailing "/".
std::string parentFolder(const std::string& path);

// Creates `path` and its missing parents; folders made here get `mode`.
// Empty on success, else a message naming the folder and the error.
std::string makeFolders(const std::string& path, mode_t mode);

// Replaces the file at `path` with `bytes`: a temporary file beside it is
// written, flushed to disk and renamed over it. ownerOnly gives 0600, else
// 0644 less the umask. Empty on success, else a message naming the file and
// the system error; the old file and the folder are then as they were.
std::string replaceFileAtomically(const std::string& path, const std::string& bytes,
                                  bool ownerOnly);

// Reads a whole file of at most `limit` bytes into `bytes`. Empty on
// success, else a message naming the file and the error.
std::string readWholeFile(const std::string& path, std::size_t limit, std::string& bytes);

}  // namespace quilbert::platform::posix
