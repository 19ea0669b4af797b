// The drive maps' files on disk, for the command line and the window alike.
#include <cerrno>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/drive_maps.h"
#include "app/text.h"
#include "platform/paths.h"

namespace quilbert::app {

DriveMapsInputs importInputs(const Services& svc, bool includeFiltered) {
  DriveMapsInputs in;
  in.includeFiltered = includeFiltered;
  in.network = &svc.network;
  if (svc.domain != nullptr) {
    in.variables = svc.domain->logonVariables();
    in.cipher = svc.domain;
  }
  // The user the network knows is the one the program keeps letters for
  // (and names its file after): on Windows the log-on's, here the network's.
  std::string name(256, '\0');
  std::uint32_t length = 256;
  if (svc.network.getUser("", name, length) == 0) {
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
    if (!name.empty()) in.variables["USERNAME"] = name;
  }
  return in;
}

DriveMapsImport planImportFile(const Catalogue& texts, const Config& config,
                               const std::string& file, const DriveMapsInputs& in) {
  errno = 0;
  std::ifstream stream(platform::pathFromUtf8(file), std::ios::binary);
  const int opened = errno;
  std::string bytes;
  if (stream) {
    // One byte past the bound is enough to tell a file that is too large.
    std::istreambuf_iterator<char> it(stream);
    const std::istreambuf_iterator<char> end;
    for (; it != end && bytes.size() <= kDriveMapsMaxBytes; ++it) bytes += *it;
  }
  if (!stream) {
    DriveMapsImport refused;
    const std::string why = std::generic_category().message(opened);
    refused.error = texts.msg(kMsgMapsUnreadable, {file, why});
    if (refused.error.empty()) refused.error = file + ": " + why;
    return refused;
  }
  return planImport(texts, config, bytes, in);
}

std::string exportDriveMapsFile(const Catalogue& texts, const Config& config,
                                platform::Process& files, const std::string& file,
                                std::vector<std::string>& notes, int& count) {
  const std::string xml = exportDriveMaps(texts, config, std::chrono::system_clock::now(), notes);
  count = 0;
  for (int k = 1; k <= kDriveCount; ++k) {
    if (!isBlank(config.DriveTable[static_cast<std::size_t>(k)].Path)) ++count;
  }
  const std::string error = files.replaceFile(file, xml, false);
  return error.empty() ? error : texts.msg(kMsgMapsWriteFailed, {file, error});
}

}  // namespace quilbert::app
