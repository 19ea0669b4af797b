// The network folder browser: a modal dialog with a tree over the network
// enumeration (providers, workgroups or domains, servers, shares and the
// folders inside shares when the network lists them), filled one level at a
// time as the user opens it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/forms/toolkit.h"
#include "platform/network.h"

class QWidget;

namespace quilbert::qtview {

// The children of `container` (the top level when null), of the disk type.
// `error` receives the failure that ended the listing (0 when none).
std::vector<platform::NetResource> enumerateChildren(platform::Network& network,
                                                     const platform::NetResource* container,
                                                     int& error);

// The path a resource gives the browser's caller: the remote name of a share
// or of a folder inside one ("\\server\share[\folder]"), nullopt otherwise.
std::optional<std::string> fileSystemPath(const platform::NetResource& r);

// Runs the dialog; the chosen path, or nullopt when cancelled.
std::optional<std::string> runFolderBrowser(QWidget* parent, platform::Network* network,
                                            const forms::FolderBrowseRequest& request);

}  // namespace quilbert::qtview
