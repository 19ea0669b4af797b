#include "platform/smb/drives_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace quilbert::smb {

namespace {

constexpr std::string_view kShareMount = "smb-share:";
constexpr char kMountsFile[] = ".mounts";
constexpr char kMountsLock[] = ".mounts.lock";

std::string lastPart(const std::string& path) {
  return path.substr(path.find_last_of('/') + 1);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// gvfs escapes the values of its mount names as URIs do.
std::string unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

bool parseSharePath(const std::string& path, ShareLink& out) {
  const std::size_t start = path.find(kShareMount);
  if (start == std::string::npos || (start > 0 && path[start - 1] != '/')) return false;
  const std::size_t end = path.find('/', start);
  ShareLink link;
  link.mountRoot = path.substr(0, end);
  const std::string_view keys = std::string_view(path).substr(
      start + kShareMount.size(),
      end == std::string::npos ? std::string::npos : end - start - kShareMount.size());
  std::size_t pos = 0;
  while (pos <= keys.size()) {
    std::size_t comma = keys.find(',', pos);
    if (comma == std::string_view::npos) comma = keys.size();
    const std::string_view item = keys.substr(pos, comma - pos);
    const std::size_t eq = item.find('=');
    if (eq != std::string_view::npos) {
      const std::string_view key = item.substr(0, eq);
      std::string value = unescape(item.substr(eq + 1));
      if (key == "server")
        link.server = std::move(value);
      else if (key == "share")
        link.share = std::move(value);
      else if (key == "user")
        link.user = std::move(value);
      else if (key == "domain")
        link.domain = std::move(value);
      else if (key == "port")
        link.port = std::atoi(value.c_str());
    }
    pos = comma + 1;
  }
  if (link.server.empty() || link.share.empty()) return false;
  if (end != std::string::npos) {
    link.folder = path.substr(end + 1);
    while (!link.folder.empty() && link.folder.back() == '/') link.folder.pop_back();
  }
  out = std::move(link);
  return true;
}

DrivesFolder::DrivesFolder(std::string folder, std::string fuseRoot,
                           std::function<std::string()> session)
    : folder_(std::move(folder)), fuseRoot_(std::move(fuseRoot)), session_(std::move(session)) {
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
  while (fuseRoot_.size() > 1 && fuseRoot_.back() == '/') fuseRoot_.pop_back();
}

DrivesFolder::~DrivesFolder() {
  if (fd_ >= 0) ::close(fd_);
}

std::string DrivesFolder::entryPath(char letter) const {
  return folder_ + "/" + letter;
}

std::string DrivesFolder::open(bool create) const {
  struct stat st {};
  // Kept open while it is still the folder of that name: one that was
  // removed (and perhaps made again) is opened anew.
  if (fd_ >= 0) {
    struct stat named {};
    if (::fstat(fd_, &st) == 0 && st.st_nlink > 0 && ::lstat(folder_.c_str(), &named) == 0 &&
        named.st_ino == st.st_ino && named.st_dev == st.st_dev) {
      return {};
    }
    ::close(fd_);
    fd_ = -1;
  }
  if (create) {
    // The missing folders are made one by one, private: the links name the user's shares.
    for (std::size_t slash = 1; slash != std::string::npos;) {
      slash = folder_.find('/', slash + 1);
      const std::string part = folder_.substr(0, slash);
      if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
        return part + ": " + std::strerror(errno);
      }
    }
  }
  const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ELOOP || errno == ENOTDIR) {
      return folder_ + ": not used as the drives folder: it is not a folder but a link or a file";
    }
    return folder_ + ": " + std::strerror(errno);
  }
  std::string refusal;
  if (::fstat(fd, &st) != 0) {
    refusal = folder_ + ": " + std::strerror(errno);
  } else if (st.st_uid != ::geteuid()) {
    refusal = folder_ + ": not used as the drives folder: it belongs to another user";
  } else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    refusal = folder_ + ": not used as the drives folder: others may write to it (chmod go-w)";
  }
  if (!refusal.empty()) {
    ::close(fd);
    return refusal;
  }
  fd_ = fd;
  return {};
}

LetterEntry DrivesFolder::read(char letter) const {
  LetterEntry e;
  if (!open(false).empty()) return e;  // nothing in a folder refused is trusted
  const char name[2] = {letter, '\0'};
  struct stat st {};
  if (::fstatat(fd_, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return e;
  e.kind = LetterEntry::Kind::Other;
  if (S_ISLNK(st.st_mode)) {
    std::string buffer(PATH_MAX, '\0');
    const ssize_t n = ::readlinkat(fd_, name, buffer.data(), buffer.size());
    if (n > 0) {
      buffer.resize(static_cast<std::size_t>(n));
      e.target = buffer;
      // A share is known by its link's text alone: a look through FUSE
      // blocks while its server is gone. Only a link into gvfs's FUSE folder
      // is a connection of ours.
      if (parseSharePath(buffer, e.link) && !fuseRoot_.empty() &&
          e.link.mountRoot.compare(0, fuseRoot_.size() + 1, fuseRoot_ + "/") == 0 &&
          e.link.mountRoot.find('/', fuseRoot_.size() + 1) == std::string::npos) {
        e.kind = LetterEntry::Kind::Share;
        return e;
      }
    }
  }
  struct stat target {};
  e.reachable = ::fstatat(fd_, name, &target, 0) == 0;
  return e;
}

std::array<LetterEntry, 26> DrivesFolder::readAll() const {
  std::array<LetterEntry, 26> all;
  for (int i = 0; i < 26; ++i) all[static_cast<std::size_t>(i)] = read(static_cast<char>('A' + i));
  return all;
}

std::string DrivesFolder::link(char letter, const std::string& target) const {
  if (std::string refused = open(true); !refused.empty()) return refused;
  const char name[2] = {letter, '\0'};
  if (::symlinkat(target.c_str(), fd_, name) != 0) {
    if (errno == EEXIST) return "exists";
    return entryPath(letter) + ": " + std::strerror(errno);
  }
  return {};
}

std::string DrivesFolder::unlink(char letter) const {
  if (std::string refused = open(false); !refused.empty()) return refused;
  const char name[2] = {letter, '\0'};
  if (::unlinkat(fd_, name, 0) != 0 && errno != ENOENT) {
    return entryPath(letter) + ": " + std::strerror(errno);
  }
  return {};
}

std::vector<std::string> DrivesFolder::listedMounts() const {
  std::vector<std::string> names;
  // The FUSE root's own listing is gvfs's list of mounts: no server is asked.
  DIR* root = ::opendir(fuseRoot_.c_str());
  if (root == nullptr) return names;
  while (const dirent* entry = ::readdir(root)) {
    if (std::string_view(entry->d_name).rfind(kShareMount, 0) == 0)
      names.emplace_back(entry->d_name);
  }
  ::closedir(root);
  return names;
}

std::vector<std::pair<std::string, std::string>> DrivesFolder::records() const {
  std::vector<std::pair<std::string, std::string>> found;
  if (!open(false).empty()) return found;
  const int fd = ::openat(fd_, kMountsFile, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return found;
  std::string text;
  std::array<char, 4096> buffer{};
  ssize_t n = 0;
  while ((n = ::read(fd, buffer.data(), buffer.size())) > 0 && text.size() < 65536) {
    text.append(buffer.data(), static_cast<std::size_t>(n));
  }
  ::close(fd);
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    // "name TAB session"; a line without a session is of an earlier one.
    const std::size_t tab = line.find('\t');
    if (!line.empty()) {
      found.emplace_back(line.substr(0, tab),
                         tab == std::string::npos ? std::string() : line.substr(tab + 1));
    }
    start = end + 1;
  }
  return found;
}

std::vector<std::string> DrivesFolder::mounts() const {
  std::vector<std::string> names;
  const std::string session = session_ ? session_() : std::string();
  for (auto& [name, of] : records()) {
    if (!session.empty() && of == session) names.push_back(name);
  }
  return names;
}

bool DrivesFolder::mountedHere(const std::string& mountRoot) const {
  const auto names = mounts();
  return std::find(names.begin(), names.end(), lastPart(mountRoot)) != names.end();
}

void DrivesFolder::rememberMount(const std::string& mountRoot, bool mountedHere) const {
  const std::string session = session_ ? session_() : std::string();
  if (session.empty() || !open(mountedHere).empty()) return;
  // The command line and the resident program may both write the record.
  const int lock = ::openat(fd_, kMountsLock, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (lock < 0) return;
  while (::flock(lock, LOCK_EX) != 0 && errno == EINTR) {
  }
  // Only this session's mounts that gvfs still lists are kept: a name of an
  // earlier session may be the file manager's mount of the share by now.
  const std::vector<std::string> listed = listedMounts();
  std::vector<std::string> names;
  for (const std::string& name : mounts()) {
    if (std::find(listed.begin(), listed.end(), name) != listed.end()) names.push_back(name);
  }
  const std::string name = lastPart(mountRoot);
  names.erase(std::remove(names.begin(), names.end(), name), names.end());
  if (mountedHere) names.push_back(name);
  std::string text;
  for (const std::string& n : names) text += n + "\t" + session + "\n";
  // Written beside and renamed into place: a reader never sees half a list.
  const std::string temporary = std::string(kMountsFile) + ".new";
  const int fd =
      ::openat(fd_, temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd >= 0) {
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written || ::renameat(fd_, temporary.c_str(), fd_, kMountsFile) != 0) {
      ::unlinkat(fd_, temporary.c_str(), 0);
    }
  }
  ::close(lock);
}

}  // namespace quilbert::smb
