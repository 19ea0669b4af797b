// What the windows share while the program runs, and the program's parts as
// the windows reach them. The core's parts are passed in; only the windows'
// own state lives here.
#pragma once

#include <cstdint>
#include <string>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/locations.h"
#include "app/services.h"
#include "net/primitives.h"
#include "platform/forms/form.h"
#include "platform/forms/scheduler.h"
#include "platform/forms/toolkit.h"

namespace quilbert::ui {

// Whether the automatic run is still to be made: not decided yet, not due,
// or just made (a resident run then hides the window).
enum class AutoRunDue { Undecided, No, JustMade };
// Whether the editor's change handlers mark an edit: not before the first
// load, not while a load fills the window.
enum class EditTracking { BeforeFirstLoad, Loading, On };

struct WindowState {
  std::string CommandLine;
  AutoRunDue AutoRunState = AutoRunDue::Undecided;
  EditTracking TrackEdits = EditTracking::BeforeFirstLoad;
  // The last failure a window shows, as the network primitives gave it.
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

  [[nodiscard]] bool automatic() const { return CommandLine == "/a"; }
  // NetworkWaitMs from QUILBERT_NETWORK_WAIT (whole seconds, 0 to 120) when set.
  void networkWaitFromEnvironment();
};

// LastNetError and NetErrorText from a primitive's outcome.
void SetNetErrorText(WindowState& state, const net::NetOutcome& outcome);

// The parts of the program the windows work on, made by the composition root.
struct Program {
  forms::Toolkit& toolkit;
  app::Services& svc;
  app::Config& config;
  app::Catalogue& texts;
  app::Locations& places;
  WindowState& state;
  // The timers of what has no window of its own.
  forms::Scheduler& scheduler;
};

// The parts a program owns, made once by the composition root (or a test);
// what uses them is handed `program` or the parts it needs.
struct ProgramState {
  ProgramState(forms::Toolkit& toolkit, app::Services& services)
      : config(services.process), scheduler(toolkit), program{toolkit, services, config,   texts,
                                                              places,  state,    scheduler} {}
  ProgramState(const ProgramState&) = delete;
  ProgramState& operator=(const ProgramState&) = delete;

  app::Config config;
  app::Catalogue texts;
  app::Locations places;
  WindowState state;
  forms::Scheduler scheduler;
  Program program;
};

// A picture delivered beside the program: the base name tried with .png,
// .bmp and .ico; an empty picture when none loads.
[[nodiscard]] forms::Picture picture(forms::Toolkit& toolkit, const std::string& withoutExtension);

}  // namespace quilbert::ui
