// The process services for Windows: program folder and command line from the
// system, a single instance held by a named mutex of the user's own, and
// activation requests posted to a message-only window of the running
// instance of the same user.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "platform/process.h"

namespace quilbert::platform {

class Win32Process : public Process {
 public:
  // What the activation window's messages run; the window points to them.
  struct Listeners {
    std::function<void()> activate;
    std::function<void()> changed;
  };
  // `instanceName` names the mutex (Local\<name>.instance.<user's SID>) and
  // the activation window; tests pass one of their own so that they never
  // meet a real instance.
  explicit Win32Process(std::string instanceName = "Quilbert");
  ~Win32Process() override;
  Win32Process(const Win32Process&) = delete;
  Win32Process& operator=(const Win32Process&) = delete;

  std::string appDir() override;
  std::string exeFileName() override;
  std::string commandLine() override;
  std::string userLanguage() override;
  bool claimSingleInstance() override;
  // Requests arrive as messages of the calling thread's message-only window:
  // the message loop that runs the windows delivers them.
  void listenForActivation(std::function<void()> onActivate) override;
  // Posted as a message to the running instance's activation window.
  void tellConnectionsChanged() override;
  void listenForConnectionChanges(std::function<void()> onChanged) override;
  std::string replaceFile(const std::string& path, const std::string& bytes,
                          bool ownerOnly) override;
  std::string untrustedFile(const std::string& path) override;

  // Delivers the activation requests waiting now, for a thread that runs no
  // message loop of its own.
  void serviceActivation();

  // The whole argument string of a Windows command line: what follows the
  // program's name (quoted, or up to the first blank) and the blanks after
  // it. A line that starts with `programPath`, the program's own full path,
  // even unquoted with blanks in it (as a Run value is stored), is cut after
  // that path, as Windows found the program there.
  static std::string argumentsOf(const std::wstring& commandLine,
                                 const std::wstring& programPath = {});

 private:
  // Posts `message` to the running instance of `user` (its SID), looking for
  // its window while `patience` lasts; true when it was found.
  bool post(const std::wstring& user, unsigned message, bool handForeground,
            std::chrono::milliseconds patience) const;

  std::wstring name_;
  void* mutex_ = nullptr;   // HANDLE
  void* window_ = nullptr;  // HWND of the message-only activation window
  Listeners listeners_;
};

}  // namespace quilbert::platform
