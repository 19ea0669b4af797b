// The drives folder: one entry per letter ("~/Drives/F"), each a symbolic link
// to the FUSE path of a mounted share (or a folder in it). The links are the
// only record of the connections, so they survive the process like a logon
// session's connections do, and anything else found there keeps its letter
// taken. Only a link into gvfs's own FUSE folder is a connection: a link made
// by hand is never taken for one, whatever its target looks like.
//
// The folder is the user's own: it is opened once, never through a link, and
// refused when another user owns it or others may write to it, since whoever
// can change its links can lead the user's programs anywhere.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quilbert::smb {

// What the FUSE path of a share mount says about it: gvfs names the mount
// folder "smb-share:port=4445,server=host,share=docs,user=alice".
struct ShareLink {
  std::string mountRoot;  // the FUSE folder of the whole share
  std::string server;
  std::string share;
  std::string folder;  // inside the share, '/'-separated, no leading '/'
  std::string user;    // empty: the mount was made without a user name
  std::string domain;
  int port = 0;  // 0: the standard one
};

// Reads a FUSE path of an SMB share mount; false for any other path.
bool parseSharePath(const std::string& path, ShareLink& out);

struct LetterEntry {
  enum class Kind { Free, Share, Other };
  Kind kind = Kind::Free;
  std::string target;      // what a link points to
  ShareLink link;          // for Kind::Share
  bool reachable = false;  // for Kind::Other: the entry leads to something that exists
};

class DrivesFolder {
 public:
  // `fuseRoot`: the folder in which gvfs's FUSE daemon shows its mounts;
  // `session`: names the desktop session (asked only when the mounts'
  // record is used; empty: none, and no mount is taken as this program's).
  DrivesFolder(std::string folder, std::string fuseRoot, std::function<std::string()> session = {});
  ~DrivesFolder();
  DrivesFolder(const DrivesFolder&) = delete;
  DrivesFolder& operator=(const DrivesFolder&) = delete;
  [[nodiscard]] const std::string& folder() const { return folder_; }
  [[nodiscard]] std::string entryPath(char letter) const;
  // Opens the folder (making it, private, when missing and `create`): an
  // empty string, or why it is refused. A missing folder that is not made
  // reads as empty.
  [[nodiscard]] std::string open(bool create) const;

  [[nodiscard]] LetterEntry read(char letter) const;
  [[nodiscard]] std::array<LetterEntry, 26> readAll() const;
  // Makes the letter's link (creating the folder, private, when missing).
  // Returns an empty string, "exists" when the letter was taken meanwhile, or
  // what went wrong (the folder's refusal included).
  [[nodiscard]] std::string link(char letter, const std::string& target) const;
  // Removes the letter's link; an empty string or what went wrong.
  [[nodiscard]] std::string unlink(char letter) const;

  // The mounts this program made in this session (by the name of their FUSE
  // folder), kept in the folder beside the links: only those are ever
  // unmounted, never one the file manager or the user had made before. The
  // record is rewritten under a lock, without the mounts gvfs no longer
  // lists nor those of an earlier session.
  [[nodiscard]] bool mountedHere(const std::string& mountRoot) const;
  void rememberMount(const std::string& mountRoot, bool mountedHere) const;
  // The share mounts gvfs lists now (the names of their FUSE folders).
  [[nodiscard]] std::vector<std::string> listedMounts() const;

 private:
  [[nodiscard]] std::vector<std::string> mounts() const;
  // The record's lines: mount name and session.
  [[nodiscard]] std::vector<std::pair<std::string, std::string>> records() const;

  std::string folder_;
  std::string fuseRoot_;
  std::function<std::string()> session_;
  mutable int fd_ = -1;
};

}  // namespace quilbert::smb
