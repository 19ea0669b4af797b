// What the user's processes hold below gvfs's FUSE folder: open descriptors,
// working and root folders, executables and mapped files, as /proc shows them.
// gvfs unmounts a share whatever is open on it (the holders then lose their
// writes), so this is what answers "files are open" before an unmount.
//
// Reading /proc costs up to a second with hundreds of processes: a pass over
// the letters reads it once and asks the same snapshot for each letter.
#pragma once

#include <string>
#include <vector>

namespace quilbert::smb {

class OpenFiles {
 public:
  // Reads /proc now, keeping only the paths at or below `root`.
  static OpenFiles read(const std::string& root);
  // Whether anything is held at or below `folder`.
  [[nodiscard]] bool anyUnder(const std::string& folder) const;

 private:
  std::vector<std::string> paths_;  // sorted
};

}  // namespace quilbert::smb
