// The desktop's own mounts (GIO, served by gvfs): mounting a share with a
// login that is given once, its FUSE path, unmounting it.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/smb/smb_client.h"

namespace quilbert::smb {

// What became of a mount given up on at its bound: gvfs goes on with it, and
// may complete it with the login it was handed.
struct LateMount {
  enum class State { Pending, Mounted, Failed };
  std::atomic<State> state{State::Pending};
};

struct MountResult {
  enum class Outcome {
    Mounted,
    LoginRefused,
    Denied,
    NotFound,
    Unreachable,
    Refused,
    NoService,
    Failed
  };
  Outcome outcome = Outcome::Failed;
  bool existed = false;  // Mounted: it was mounted already, by whoever
  std::string message;   // GIO's own text for a failure
  bool givenUp = false;  // the bound passed first: gvfs may still complete the mount
  std::shared_ptr<const LateMount> late;  // givenUp: what gvfs makes of it
};

class GioMounts {
 public:
  // Whether this process can mount SMB shares at all: an empty string, or what
  // is missing (the D-Bus session bus, gvfs or its SMB backend).
  static std::string missingService();

  // Mounts the share of `uri` ("smb://[domain;user@]server[:port]/share"),
  // answering a password request once with `credentials` (anonymously when
  // user and password are both empty) and giving up when asked again. Waits
  // at most `timeoutMs` for the whole mount (Unreachable past it, with `late`
  // telling later whether gvfs completed it). A share already mounted counts
  // as mounted.
  static MountResult mount(const std::string& uri, const Credentials& credentials, int timeoutMs);
  // Names the session bus, on which gvfs holds the mounts: a new one is a new
  // session, whose mounts owe nothing to the last. Empty without a bus.
  static std::string sessionId();
  // The folder in which gvfs's FUSE daemon shows the mounts.
  static std::string fuseRoot();
  // The FUSE path of a location inside a mount; empty when gvfs offers none.
  static std::string fusePath(const std::string& uri);
  // Whether a mount holds `uri` now.
  static bool mounted(const std::string& uri);
  // Unmounts the mount holding `uri`, waiting at most `timeoutMs`; an empty
  // string when it is gone or was not there, or what went wrong.
  static std::string unmount(const std::string& uri, bool force, int timeoutMs);
};

}  // namespace quilbert::smb
