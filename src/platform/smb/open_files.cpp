#include "platform/smb/open_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace quilbert::smb {

namespace {

bool atOrBelow(std::string_view path, std::string_view root) {
  return path.size() >= root.size() && path.compare(0, root.size(), root) == 0 &&
         (path.size() == root.size() || path[root.size()] == '/' || root.back() == '/');
}

class Collector {
 public:
  explicit Collector(std::string root) : root_(std::move(root)) {}

  void link(int dirFd, const char* name) {
    std::array<char, PATH_MAX> buffer{};
    const ssize_t n = ::readlinkat(dirFd, name, buffer.data(), buffer.size());
    if (n > 0) keep(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
  }

  // The mapped files of /proc/PID/maps: the path is the sixth field.
  void maps(int processFd) {
    const int fd = ::openat(processFd, "maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    FILE* in = ::fdopen(fd, "r");
    if (in == nullptr) {
      ::close(fd);
      return;
    }
    char* line = nullptr;
    std::size_t size = 0;
    ssize_t length = 0;
    while ((length = ::getline(&line, &size, in)) > 0) {
      std::string_view text(line, static_cast<std::size_t>(length));
      if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
      const std::size_t slash = text.find('/');
      if (slash != std::string_view::npos) keep(text.substr(slash));
    }
    std::free(line);  // NOLINT(cppcoreguidelines-no-malloc): getline allocates with malloc
    std::fclose(in);
  }

  std::vector<std::string> take() {
    std::sort(paths_.begin(), paths_.end());
    paths_.erase(std::unique(paths_.begin(), paths_.end()), paths_.end());
    return std::move(paths_);
  }

 private:
  void keep(std::string_view path) {
    if (atOrBelow(path, root_)) paths_.emplace_back(path);
  }
  std::string root_;
  std::vector<std::string> paths_;
};

}  // namespace

OpenFiles OpenFiles::read(const std::string& root) {
  OpenFiles found;
  if (root.empty()) return found;
  Collector collect(root);
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return found;
  const uid_t me = ::getuid();
  while (const dirent* p = ::readdir(proc)) {
    if (p->d_name[0] < '0' || p->d_name[0] > '9') continue;
    const int processFd = ::openat(::dirfd(proc), p->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (processFd < 0) continue;
    struct stat owner {};
    // Only the user's own processes: nobody else's files decide over the user's letters.
    if (::fstat(processFd, &owner) == 0 && owner.st_uid == me) {
      for (const char* name : {"cwd", "root", "exe"}) collect.link(processFd, name);
      collect.maps(processFd);
      const int fdsFd = ::openat(processFd, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (DIR* fds = fdsFd >= 0 ? ::fdopendir(fdsFd) : nullptr; fds != nullptr) {
        while (const dirent* f = ::readdir(fds)) {
          if (f->d_name[0] != '.') collect.link(fdsFd, f->d_name);
        }
        ::closedir(fds);
      } else if (fdsFd >= 0) {
        ::close(fdsFd);
      }
    }
    ::close(processFd);
  }
  ::closedir(proc);
  found.paths_ = collect.take();
  return found;
}

bool OpenFiles::anyUnder(const std::string& folder) const {
  if (std::binary_search(paths_.begin(), paths_.end(), folder)) return true;
  // Paths below the folder sort together right after "folder/".
  const std::string prefix = folder + "/";
  const auto it = std::lower_bound(paths_.begin(), paths_.end(), prefix);
  return it != paths_.end() && it->compare(0, prefix.size(), prefix) == 0;
}

}  // namespace quilbert::smb
