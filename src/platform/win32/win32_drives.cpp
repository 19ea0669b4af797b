#include "platform/win32/win32_drives.h"

#include <windows.h>

namespace quilbert::platform {

std::optional<int> Win32Drives::typeOf(unsigned windowsType) {
  switch (windowsType) {
    case DRIVE_REMOVABLE:
      return 1;
    case DRIVE_FIXED:
      return 2;
    case DRIVE_REMOTE:
      return 3;
    case DRIVE_CDROM:
      return 4;
    case DRIVE_RAMDISK:
      return 5;
    case DRIVE_NO_ROOT_DIR:
      return std::nullopt;
    default:
      return 0;
  }
}

std::optional<DriveInfo> Win32Drives::getDrive(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return std::nullopt;
  if ((GetLogicalDrives() & (1U << static_cast<unsigned>(letter - 'A'))) == 0) {
    return std::nullopt;
  }
  const char root[] = {letter, ':', '\\', '\0'};
  // Wine answers "no root folder" for a letter that a network provider
  // connected, so such a letter reads as no drive there; the program only
  // marks letters of local drives, so it treats both the same.
  const auto type = typeOf(GetDriveTypeA(root));
  if (!type) return std::nullopt;
  DriveInfo info;
  info.letter = letter;
  info.type = *type;
  if (info.type == 3) {
    std::string remote;
    if (network_.getConnection(std::string(1, letter) + ":", remote) == 0) info.shareName = remote;
  }
  return info;
}

}  // namespace quilbert::platform
