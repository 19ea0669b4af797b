#include "platform/smb/smb_names.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "platform/network.h"

namespace quilbert::smb {

namespace neterr = platform::neterr;

char driveLetter(const std::string& localName) {
  if (localName.size() != 2 || localName[1] != ':') return 0;
  const char c = localName[0];
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
  return (c >= 'A' && c <= 'Z') ? c : '\0';
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
  return s;
}

bool parseUnc(const std::string& unc, std::string& server, std::string& share,
              std::string& folder) {
  if (unc.size() < 5 || unc[0] != '\\' || unc[1] != '\\') return false;
  const std::size_t shareStart = unc.find('\\', 2);
  if (shareStart == std::string::npos || shareStart == 2) return false;
  server = unc.substr(2, shareStart - 2);
  const std::size_t folderStart = unc.find('\\', shareStart + 1);
  share =
      unc.substr(shareStart + 1, folderStart == std::string::npos ? std::string::npos
                                                                  : folderStart - shareStart - 1);
  if (share.empty() || server.find('/') != std::string::npos) return false;
  folder.clear();
  if (folderStart != std::string::npos) {
    for (std::size_t i = folderStart + 1; i < unc.size(); ++i) {
      const char c = unc[i] == '\\' ? '/' : unc[i];
      if (c == '/' && (folder.empty() || folder.back() == '/')) continue;  // "a\\b", trailing
      folder += c;
    }
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
  }
  return true;
}

std::string uriPart(const std::string& s) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c) != 0 || c == '-' || c == '.' || c == '_' || c == '~' || c == '$') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string uriPath(const std::string& folder) {
  std::string out;
  std::size_t start = 0;
  while (start <= folder.size() && !folder.empty()) {
    std::size_t slash = folder.find('/', start);
    if (slash == std::string::npos) slash = folder.size();
    out += "/" + uriPart(folder.substr(start, slash - start));
    start = slash + 1;
  }
  return out;
}

std::string serverUrl(const std::string& host) {
  if (host.find(':') == std::string::npos) return "smb://" + uriPart(host);
  // A link-local address keeps its zone, escaped as in any URI.
  const std::size_t zone = host.find('%');
  return "smb://[" + host.substr(0, zone) +
         (zone == std::string::npos ? "" : "%25" + host.substr(zone + 1)) + "]";
}

std::string linkUri(const ShareLink& link) {
  std::string uriUser;
  if (!link.user.empty()) {
    uriUser =
        link.domain.empty() ? uriPart(link.user) : uriPart(link.domain) + ";" + uriPart(link.user);
  }
  return "smb://" + (uriUser.empty() ? "" : uriUser + "@") + uriPart(link.server) +
         (link.port != 0 ? ":" + std::to_string(link.port) : "") + "/" + uriPart(link.share);
}

std::string remoteName(const ShareLink& link) {
  std::string unc = "\\\\" + link.server + "\\" + link.share;
  if (!link.folder.empty()) {
    unc += '\\';
    for (char c : link.folder) unc += c == '/' ? '\\' : c;
  }
  return unc;
}

int codeOfReach(int error) {
  switch (error) {
    case 0:
      return neterr::kOk;
    case ENOENT:        // the name did not resolve
    case ECONNREFUSED:  // nothing listening for SMB there
    case ENODEV:
      return neterr::kBadNetPath;
    default:  // no route, a blackhole, no answer in time
      return neterr::kNetworkUnreachable;
  }
}

}  // namespace quilbert::smb
