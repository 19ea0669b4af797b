// What the program asks of its own process: where it lives, how it was
// started, whether another instance runs, and files written safely.
#pragma once

#include <functional>
#include <string>

namespace quilbert::platform {

class Process {
 public:
  virtual ~Process() = default;
  // The folder of the program's files (lang/, ico/), ending with the
  // platform's separator: the executable's own, or ../share/quilbert beside an
  // installed one, where a link of the executable's name leads back to it.
  virtual std::string appDir() = 0;
  // The executable's file name ("quilbert.exe" on Windows, "quilbert" here).
  virtual std::string exeFileName() = 0;
  // The whole argument string, as one text.
  virtual std::string commandLine() = 0;
  // The user's language as its two-letter code ("en", "fr"), or "" when the
  // system does not say.
  virtual std::string userLanguage() { return {}; }
  // Claims the single-instance lock. False when another instance holds it;
  // that instance has then been asked to come to the front.
  virtual bool claimSingleInstance() = 0;
  // Registers what to do when a later instance asks this one to come to the
  // front. Only the instance holding the single-instance claim listens; how
  // the requests reach the window's thread is the platform's business (the
  // composition root wires it up).
  virtual void listenForActivation(std::function<void()> onActivate) = 0;
  // Tells the running instance, when there is one, that the connections
  // changed (the command line connected or disconnected letters). Never
  // takes the single-instance claim and never waits for an instance to start.
  virtual void tellConnectionsChanged() = 0;
  // What the instance that listens for activation does when told so.
  virtual void listenForConnectionChanges(std::function<void()> onChanged) = 0;
  // Replaces a file atomically (temporary file beside it, flushed to disk,
  // renamed over it); ownerOnly creates it readable by its owner only. Returns
  // an empty string on success, else what went wrong; the old file is intact.
  virtual std::string replaceFile(const std::string& path, const std::string& bytes,
                                  bool ownerOnly) = 0;
  // Why settings read from the file at `path` could be someone else's: the
  // file or its folder owned by neither the user nor the administrators, or
  // writable by anyone else. Empty when they can be trusted (the default of
  // a platform without owners).
  virtual std::string untrustedFile(const std::string& /*path*/) { return {}; }
};

}  // namespace quilbert::platform
