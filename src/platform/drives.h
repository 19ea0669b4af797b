// Drive letters as the file system sees them: whether a letter names a drive
// and of which type (0 unknown, 1 removable, 2 fixed, 3 network, 4 CD-ROM,
// 5 RAM disk), and the share of a network drive.
#pragma once

#include <optional>
#include <string>

namespace quilbert::platform {

struct DriveInfo {
  char letter = 'A';
  int type = 0;
  std::string shareName;  // the UNC path of a network drive, else empty
};

class Drives {
 public:
  virtual ~Drives() = default;
  // The drive of a letter ('A' to 'Z'); nullopt when the letter names none.
  virtual std::optional<DriveInfo> getDrive(char letter) = 0;
};

}  // namespace quilbert::platform
