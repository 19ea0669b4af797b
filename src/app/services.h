// Everything the core asks of the outside world, passed to what uses it.
#pragma once

#include <functional>
#include <string>

#include "platform/credentials.h"
#include "platform/domain.h"
#include "platform/drives.h"
#include "platform/network.h"
#include "platform/network_events.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace quilbert::app {

struct Services {
  platform::Network& network;
  platform::Drives& drives;
  platform::Registry& registry;
  platform::Process& process;
  // Where the status lines of the automatic mode go, one line each, so that
  // log-on scripts see the outcome; empty outside that mode.
  std::function<void(const std::string& line)> statusLog = nullptr;
  // Network changes and waking from sleep (null: none are told).
  platform::NetworkEvents* networkEvents = nullptr;
  // Where passwords are kept outside the file (null: only in the file).
  platform::PasswordStore* passwords = nullptr;
  // The log-on's names and the policy files' cipher (null: none; an imported
  // drive map then has no variable expanded and no password read).
  platform::Domain* domain = nullptr;

  // Writes a status text to statusLog as one line (a line break becomes a blank).
  void logStatus(const std::string& text) const;
};

// A status line on standard output, flushed at once (the program's statusLog).
void writeToStandardOutput(const std::string& line);

}  // namespace quilbert::app
