// The program-wide tables and flags, one object created by main.cpp (or a
// test) and passed by reference, so that a test can build as many
// independent programs as it wants. Names are those the program's windows
// share.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>

#include "platform/credentials.h"
#include "platform/domain.h"
#include "platform/drives.h"
#include "platform/forms/toolkit.h"
#include "platform/network.h"
#include "platform/network_events.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace quilbert::app {

// One drive letter's entry; Password is plain text in memory.
struct DriveEntry {
  std::string Active;  // "0", "1" or "2" (one character)
  std::string Letter;  // one character
  std::string Login;
  std::string Password;
  std::string Path;
};

// Everything the program asks of the outside world.
struct Services {
  forms::Toolkit& toolkit;
  platform::Network& network;
  platform::Drives& drives;
  platform::Registry& registry;
  platform::Process& process;
  // In automatic mode each status text shown is also told here, one line
  // each, so log-on scripts can see the outcome (empty: nowhere).
  std::function<void(const std::string& line)> statusLog = nullptr;
  // Network changes and waking from sleep (null: none are told).
  platform::NetworkEvents* networkEvents = nullptr;
  // Where passwords are kept outside the file (null: only in the file).
  platform::PasswordStore* passwords = nullptr;
  // The log-on's names and the policy files' cipher (null: none; an imported
  // drive map then has no variable expanded and no password read).
  platform::Domain* domain = nullptr;
};

inline constexpr int kDriveCount = 26;
inline constexpr int kConfigLineCount = 30;
inline constexpr int kCatalogueSize = 200;
// The program's own texts beyond the 200: entries 200 to 499, from the
// language file's companion (see LoadCatalogue).
inline constexpr int kCatalogueMoreFirst = 200;
inline constexpr int kCatalogueMoreSize = 300;

struct Globals {
  explicit Globals(Services s) : svc(s) {}

  Services svc;

  // Tables filled from the configuration file; index 0 unused so that entry
  // k is letter 64 + k and line k is line k of the file.
  std::array<DriveEntry, kDriveCount + 1> DriveTable{};
  std::array<std::string, kConfigLineCount + 1> ConfigLines{};
  std::string IniMarker;
  std::string IconTheme;
  std::string LanguageFile;
  std::string ResidentMode;

  std::array<std::string, kCatalogueSize> Catalogue{};
  std::array<std::string, kCatalogueMoreSize> CatalogueMore{};

  std::string CommandLine;
  std::string AppDir;
  std::string LangDir;
  std::string IconPrefix;
  std::string SettingsDir;
  std::string ConfigFileName;
  std::string RunCommand;

  bool ConfigCreated = false;
  // The configuration file exists but could not be read: the defaults in
  // memory must never be written over what it holds.
  bool ConfigUnreadable = false;
  // Why the configuration file beside the program was not used (empty: it
  // was, or there is none).
  std::string BesideProgramRefused;
  std::string AutoRunState;
  std::string TrackEdits;

  std::int32_t LastNetError = 0;
  std::string NetErrorText;

  std::int16_t DialogResult = 0;
  forms::MousePointer SavedMousePointer = forms::MousePointer::Default;
  std::int16_t SplashStatusOnly = 0;
  // How long the automatic run waits for the network to reach its letters:
  // two minutes, or QUILBERT_NETWORK_WAIT seconds (networkWaitFromEnvironment).
  int NetworkWaitMs = 120'000;

  // The main window, once it exists (dialogs repaint it when they close).
  forms::Form* MainWindow = nullptr;

  // Entries read as another entry on this platform (see useSessionWording).
  std::map<int, int> Reworded;

  // Catalogue entry n (or the entry it is reworded to, when that one is not
  // empty), or "" when n is out of range.
  [[nodiscard]] const std::string& msg(int n) const;
  // Catalogue entry n with "%1", "%2"... replaced by the texts given.
  [[nodiscard]] std::string msg(int n, std::initializer_list<std::string> texts) const;
  // The platform's file-system separator.
  [[nodiscard]] static char separator();
  // A picture delivered beside the program: IconPrefix-relative base name
  // tried with .png, .bmp and .ico; an empty picture when none loads.
  [[nodiscard]] forms::Picture picture(const std::string& pathWithoutExtension) const;
  // Writes a status text as one line to statusLog in automatic mode.
  void logStatus(const std::string& text) const;
  // NetworkWaitMs from QUILBERT_NETWORK_WAIT (whole seconds, 0 to 120) when set.
  void networkWaitFromEnvironment();
};

// A status line on standard output, flushed at once (the program's statusLog).
void writeToStandardOutput(const std::string& line);

}  // namespace quilbert::app
