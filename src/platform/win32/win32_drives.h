// Drive letters as Windows sees them: the logical drives, their types and,
// for a network drive, the share it leads to.
#pragma once

#include <optional>

#include "platform/drives.h"
#include "platform/network.h"

namespace quilbert::platform {

class Win32Drives : public Drives {
 public:
  // `network` answers the share of a network drive.
  explicit Win32Drives(Network& network) : network_(network) {}
  std::optional<DriveInfo> getDrive(char letter) override;

  // A GetDriveType answer as the drive's type (0 unknown, 1 removable, 2
  // fixed, 3 network, 4 CD-ROM, 5 RAM disk); nullopt for "no such drive".
  static std::optional<int> typeOf(unsigned windowsType);

 private:
  Network& network_;
};

}  // namespace quilbert::platform
