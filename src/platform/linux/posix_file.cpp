#include "platform/linux/posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

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

namespace {

bool writeAll(int fd, const std::string& bytes) {
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
  static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix;
  for (int i = 0; i < 8; ++i) suffix += kDigits[engine() % (sizeof kDigits - 1)];
  return suffix;
}

}  // namespace

std::string replaceFileAtomically(const std::string& requested, const std::string& bytes,
                                  bool ownerOnly) {
  if (requested.empty()) return "cannot write a file without a name";
  std::string path = requested;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    // Replace what the link points to, so that a file kept elsewhere stays linked.
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      path = real;
      std::free(real);  // NOLINT(cppcoreguidelines-no-malloc): realpath allocates with malloc
    }
  }
  auto failure = [&](const std::string& step, int err) {
    return requested + ": " + step + ": " + systemError(err);
  };

  std::string temp;
  UniqueFd fd;
  for (int attempt = 0; attempt < 50 && !fd; ++attempt) {
    temp = path + ".tmp-" + randomSuffix();
    fd.reset(
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, ownerOnly ? 0600 : 0644));
    if (!fd && errno != EEXIST) {
      return failure("cannot create a temporary file in " + parentFolder(path), errno);
    }
  }
  if (!fd) return failure("cannot create a temporary file in " + parentFolder(path), EEXIST);

  auto abandon = [&](const std::string& step) {
    int err = errno;
    fd.reset();
    ::unlink(temp.c_str());
    return failure(step, err);
  };
  // Exactly 0600 for secrets, whatever the umask let through.
  if (ownerOnly && ::fchmod(fd.get(), 0600) != 0) return abandon("cannot set its permissions");
  if (!writeAll(fd.get(), bytes)) return abandon("cannot write its content");
  if (::fsync(fd.get()) != 0) return abandon("cannot flush it to disk");
  if (::close(fd.release()) != 0) return abandon("cannot close it");
  if (::rename(temp.c_str(), path.c_str()) != 0) return abandon("cannot put the new file in place");

  // Make the rename itself durable; the new file is in place either way.
  UniqueFd folder(::open(parentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder) ::fsync(folder.get());
  return {};
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
