#include "platform/linux/posix_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "platform/files.h"

namespace quilbert::platform::posix {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int UniqueFd::release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

std::string systemError(int err) {
  char buffer[256] = {};
  // The GNU variant may return a static string instead of filling the buffer.
  const char* text = strerror_r(err, buffer, sizeof buffer);
  return text != nullptr ? std::string(text) : "error " + std::to_string(err);
}

std::string parentFolder(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string makeFolders(const std::string& path, mode_t mode) {
  if (path.empty()) return "cannot create a folder without a name";
  std::string partial;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    auto next = path.find('/', pos);
    if (next == std::string::npos) next = path.size();
    partial = path.substr(0, next);
    pos = next + 1;
    if (partial.empty()) continue;  // the root of an absolute path
    if (::mkdir(partial.c_str(), mode) == 0 || errno == EEXIST) continue;
    return partial + ": cannot create the folder: " + systemError(errno);
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return path + ": " + systemError(errno);
  if (!S_ISDIR(st.st_mode)) return path + ": " + systemError(ENOTDIR);
  return {};
}

std::string replaceFileAtomically(const std::string& path, const std::string& bytes,
                                  bool ownerOnly) {
  return files::replace(path, bytes, ownerOnly);
}

std::string readWholeFile(const std::string& path, std::size_t limit, std::string& bytes) {
  bytes.clear();
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return path + ": cannot open it: " + systemError(errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return path + ": " + systemError(errno);
  if (S_ISDIR(st.st_mode)) return path + ": " + systemError(EISDIR);
  char buffer[8192];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return path + ": cannot read it: " + systemError(errno);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
    if (bytes.size() > limit) {
      bytes.clear();
      return path + ": larger than " + std::to_string(limit) + " bytes, not read";
    }
  }
  return {};
}

}  // namespace quilbert::platform::posix

namespace quilbert::platform::files {

using posix::systemError;
using posix::UniqueFd;

namespace {

constexpr std::size_t kSuffixLength = 8;
const char kSuffixChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";

bool writeAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string randomSuffix() {
  static thread_local std::mt19937_64 engine{std::random_device{}()};
  std::string suffix;
  for (std::size_t i = 0; i < kSuffixLength; ++i)
    suffix += kSuffixChars[engine() % (sizeof kSuffixChars - 1)];
  return suffix;
}

bool isTemporaryOf(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + kSuffixLength || name.compare(0, prefix.size(), prefix) != 0)
    return false;
  return name.find_first_not_of(kSuffixChars, prefix.size()) == std::string::npos;
}

bool lockNow(int fd) {
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Removes the temporary files of `target` that no writer holds any more:
// a live writer keeps its temporary file locked from creation to rename.
void removeStaleTemporaries(const std::string& target) {
  const std::string folder = posix::parentFolder(target);
  const auto slash = target.find_last_of('/');
  const std::string prefix =
      (slash == std::string::npos ? target : target.substr(slash + 1)) + ".tmp-";
  UniqueFd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dirFd) return;
  DIR* dir = ::fdopendir(::dup(dirFd.get()));
  if (dir == nullptr) return;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(dir)) {
    if (isTemporaryOf(entry->d_name, prefix)) stale.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  for (const std::string& name : stale) {
    // Never through a link, only our own regular files.
    UniqueFd fd(::openat(dirFd.get(), name.c_str(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat held {};
    struct stat named {};
    if (!fd || ::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode) ||
        held.st_uid != ::geteuid() || !lockNow(fd.get())) {
      continue;
    }
    if (::fstatat(dirFd.get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_ino == held.st_ino && named.st_dev == held.st_dev) {
      ::unlinkat(dirFd.get(), name.c_str(), 0);
    }
  }
}

}  // namespace

std::string temporaryPrefix(const std::filesystem::path& path) {
  return path.filename().string() + ".tmp-";
}

std::string replace(const std::filesystem::path& target, std::string_view bytes, bool ownerOnly,
                    bool durable) {
  const std::string requested = target.string();
  if (requested.empty()) return "cannot write a file without a name";
  const std::string& path = requested;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    // Whoever put the link there chose which file a save would overwrite.
    return requested + ": is a symbolic link; not written through it (replace the link with " +
           "the file itself)";
  }
  auto failure = [&](const std::string& step, int err) {
    return requested + ": " + step + ": " + systemError(err);
  };
  removeStaleTemporaries(path);

  // A cleaner in another process may take a temporary file in the instant
  // between its creation and its lock: then the write starts over.
  for (int round = 0; round < 3; ++round) {
    std::string temp;
    UniqueFd fd;
    for (int attempt = 0; attempt < 50 && !fd; ++attempt) {
      temp = path + ".tmp-" + randomSuffix();
      fd.reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      ownerOnly ? 0600 : 0644));
      if (!fd && errno != EEXIST) {
        return failure("cannot create a temporary file in " + posix::parentFolder(path), errno);
      }
    }
    if (!fd)
      return failure("cannot create a temporary file in " + posix::parentFolder(path), EEXIST);
    struct stat created {};
    if (!lockNow(fd.get()) || ::fstat(fd.get(), &created) != 0 || created.st_nlink == 0) continue;

    auto abandon = [&](const std::string& step) {
      int err = errno;
      fd.reset();
      ::unlink(temp.c_str());
      return failure(step, err);
    };
    // Exactly 0600 for secrets, whatever the umask let through.
    if (ownerOnly && ::fchmod(fd.get(), 0600) != 0) return abandon("cannot set its permissions");
    if (!writeAll(fd.get(), bytes)) return abandon("cannot write its content");
    if (durable && ::fsync(fd.get()) != 0) return abandon("cannot flush it to disk");
    if (::rename(temp.c_str(), path.c_str()) != 0) {
      if (errno == ENOENT) continue;
      return abandon("cannot put the new file in place");
    }
    fd.reset();
    if (!durable) return {};
    // Make the rename itself durable; the new file is in place either way.
    UniqueFd folder(::open(posix::parentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) ::fsync(folder.get());
    return {};
  }
  return failure("cannot put the new file in place", EAGAIN);
}

std::string read(const std::filesystem::path& path, std::size_t limit, std::string& bytes,
                 bool* missing) {
  if (missing != nullptr) {
    struct stat st {};
    *missing = ::stat(path.c_str(), &st) != 0 && errno == ENOENT;
  }
  return posix::readWholeFile(path.string(), limit, bytes);
}

std::string FileLock::acquire(const std::filesystem::path& path) {
  release();
  // No O_TRUNC and no following: a link planted under this name is refused,
  // and a file linked there is locked, never written.
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
  if (!fd) return path.string() + ": cannot open the lock file: " + systemError(errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return path.string() + ": the lock file is not a regular file";
  }
  while (::flock(fd.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return path.string() + ": cannot lock: " + systemError(errno);
  }
  handle_ = fd.release();
  return {};
}

void FileLock::release() {
  if (handle_ != kNone) ::close(static_cast<int>(handle_));
  handle_ = kNone;
}

}  // namespace quilbert::platform::files
