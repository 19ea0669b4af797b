#include "platform/smb/drives_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace quilbert::smb {

namespace {

constexpr std::string_view kShareMount = "smb-share:";

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

DrivesFolder::DrivesFolder(std::string folder) : folder_(std::move(folder)) {
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
}

std::string DrivesFolder::entryPath(char letter) const {
  return folder_ + "/" + letter;
}

LetterEntry DrivesFolder::read(char letter) const {
  LetterEntry e;
  const std::string path = entryPath(letter);
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return e;
  e.kind = LetterEntry::Kind::Other;
  if (S_ISLNK(st.st_mode)) {
    std::string buffer(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n > 0) {
      buffer.resize(static_cast<std::size_t>(n));
      e.target = buffer;
      // A share is known by its link's text alone: a look through FUSE
      // blocks while its server is gone.
      if (parseSharePath(buffer, e.link)) {
        e.kind = LetterEntry::Kind::Share;
        return e;
      }
    }
  }
  struct stat target {};
  e.reachable = ::stat(path.c_str(), &target) == 0;
  return e;
}

std::array<LetterEntry, 26> DrivesFolder::readAll() const {
  std::array<LetterEntry, 26> all;
  for (int i = 0; i < 26; ++i) all[static_cast<std::size_t>(i)] = read(static_cast<char>('A' + i));
  return all;
}

std::string DrivesFolder::link(char letter, const std::string& target) const {
  // Make the missing folders one by one, private: the links name the user's shares.
  for (std::size_t slash = 1; slash != std::string::npos;) {
    slash = folder_.find('/', slash + 1);
    const std::string part = folder_.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      return part + ": " + std::strerror(errno);
    }
  }
  const std::string path = entryPath(letter);
  if (::symlink(target.c_str(), path.c_str()) != 0) {
    if (errno == EEXIST) return "exists";
    return path + ": " + std::strerror(errno);
  }
  return {};
}

std::string DrivesFolder::unlink(char letter) const {
  const std::string path = entryPath(letter);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return path + ": " + std::strerror(errno);
  return {};
}

}  // namespace quilbert::smb
