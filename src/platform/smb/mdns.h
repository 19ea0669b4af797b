// Servers that announce SMB on the local link (mDNS, "_smb._tcp"), through
// the Avahi daemon.
#pragma once

#include <string>
#include <vector>

namespace quilbert::smb {

// The host names found within `timeoutMs`; empty when no Avahi daemon runs.
std::vector<std::string> announcedServers(int timeoutMs);

}  // namespace quilbert::smb
