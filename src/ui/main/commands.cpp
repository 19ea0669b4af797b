// The command buttons: connect, disconnect, test, save and quit.
#include <map>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/text.h"
#include "net/connect_pass.h"
#include "net/credential_source.h"
#include "net/primitives.h"
#include "net/stored_passwords.h"
#include "platform/forms/toolkit.h"
#include "ui/common/dialog.h"
#include "ui/common/pass_display.h"
#include "ui/common/splash.h"
#include "ui/main/connect_window.h"
#include "ui/main/keeper.h"
#include "ui/main/row_states.h"

namespace quilbert::ui {

namespace {
constexpr const char* kCrLf = "\r\n";
}

void ConnectWindow::connection_Click() {
  auto& tk = g_.svc.toolkit;
  // The person's pass alone: a waiting one of the keeper's would meet it.
  takeOverAutoRun();
  if (keeper_) keeper_->setKeeping(false);
  tk.setMousePointer(forms::MousePointer::Hourglass);
  const std::string login = app::trimSpaces(nomuser.text());
  const std::string pass = app::trimSpaces(password.text());
  net::cancelAllLetters(g_);
  std::array<net::PassItem, 27> items{};
  for (int i = 1; i <= app::kDriveCount; ++i) {
    auto& item = items[static_cast<std::size_t>(i)];
    item.active = lettreactive(i).value() == 1;
    item.label = lettrereseau(i).caption();
    item.localName = app::firstChar(item.label) + ":";
    item.path = app::trimSpaces(Cheminreseau(i).text());
    item.login = login;
    item.password = pass;
  }
  lastCodes_ = {};
  CodeRecorder display(g_, net::PassKind::Interactive, lastCodes_);
  net::connectItems(g_, items, net::PassKind::Interactive, display);
  // Connected by hand: the letters are kept again.
  if (keeper_) keeper_->setKeeping(true);
  showConnectionStates();
}

void ConnectWindow::disconnect_Click() {
  // Disconnected by hand: not connected again behind the person's back.
  takeOverAutoRun();
  if (keeper_) keeper_->setKeeping(false);
  const platform::NetworkPass pass(g_.svc.network);
  for (int i = 1; i <= app::kDriveCount; ++i) {
    const std::string letter(1, static_cast<char>('A' + i - 1));
    const std::int32_t rc = net::CancelDriveConnection(g_, letter + ":");
    if (rc != 0 && rc != platform::neterr::kNotConnected) {
      net::SetNetErrorText(g_, rc);
      ShowDialog(g_,
                 g_.NetErrorText + kCrLf + "(" + lettrereseau(i).caption() + " " +
                     app::trimSpaces(Cheminreseau(i).text()) + ")",
                 kDialogOk, kIconWarning, g_.msg(app::kMsgNetworkConnection));
    }
  }
  lastCodes_ = {};
  showConnectionStates();
  // The interval stays as designed.
  showStatus(g_, g_.msg(app::kMsgDrivesDisconnected), 1000, 1);
}

void ConnectWindow::Test_Click(int i) {
  auto& tk = g_.svc.toolkit;
  const std::string login = app::trimSpaces(nomuser.text());
  const std::string pass = app::trimSpaces(password.text());
  const std::string path = app::trimSpaces(Cheminreseau(i).text());
  const std::string label = lettrereseau(i).caption();
  // The letter the test maps is the label's, which a hand-edited line may
  // have made differ from the row's: that is the one to free before and after.
  const std::string letter = app::firstChar(label);
  const std::string where = std::string(kCrLf) + "(" + label + " " + path + ")";
  g_.LastNetError = 0;
  tk.setMousePointer(forms::MousePointer::Hourglass);
  markChanged();
  const std::int32_t held = net::CancelDriveConnection(g_, letter + ":");
  if (held != 0 && held != platform::neterr::kNotConnected) {
    net::SetNetErrorText(g_, held);
    tk.setMousePointer(forms::MousePointer::Arrow);
    ShowDialog(g_, g_.NetErrorText + where, kDialogOk, kIconWarning,
               g_.msg(app::kMsgNetworkConnection));
    return;
  }
  g_.LastNetError = 0;
  net::AddDriveConnection(g_, letter + ":", path, login, pass);
  tk.setMousePointer(forms::MousePointer::Arrow);
  const std::int32_t code = g_.LastNetError;
  if (code == 0) {
    ShowDialog(g_, g_.msg(app::kMsgTestPassed), kDialogOk, kIconInformation,
               g_.msg(app::kMsgNetworkConnection));
  } else if (code == platform::neterr::kInvalidPassword) {
    ShowDialog(g_, g_.msg(app::kMsgPasswordRefused) + where, kDialogOk, kIconWarning,
               g_.msg(app::kMsgNetworkConnection));
    password.setFocus();
  } else {
    net::SetNetErrorText(g_, code, path);
    ShowDialog(g_, g_.NetErrorText + where, kDialogOk, kIconWarning,
               g_.msg(app::kMsgNetworkConnection));
  }
  g_.LastNetError = 0;
  net::CancelDriveConnection(g_, letter + ":");
  // The test's letter is free again whatever it held before.
  showConnectionStates();
}

namespace {

// One line of Save's refusal for a field, or "" when the field can be stored.
std::string refusal(const app::Globals& g, const std::string& field, std::string_view text,
                    app::DriveField kind) {
  if (kind == app::DriveField::Path) {
    // Windows takes a path through its ANSI network calls: what they cannot
    // carry could never be connected, so it is not stored either.
    const std::string refused = g.svc.network.uncarried(text);
    if (!refused.empty()) {
      return g.msg(app::kMsgFieldRefused, {field, g.msg(app::kMsgNotCarried, {refused})});
    }
  }
  const auto problem = app::storeProblem(text, kind);
  if (!problem) return {};
  std::string where = std::to_string(problem->position);
  if (!problem->shown.empty()) where += " " + problem->shown;
  return g.msg(app::kMsgStoreProblem, {field, where, g.msg(problem->reason)});
}

}  // namespace

void ConnectWindow::modif_Click() {
  auto& tk = g_.svc.toolkit;
  tk.setMousePointer(forms::MousePointer::Hourglass);
  const std::string login = app::trimSpaces(nomuser.text());
  const std::string plain = app::trimSpaces(password.text());
  // Every field that cannot be stored is named at once, so that one look
  // at the message is enough to mend them all.
  std::string refused;
  auto note = [&](const std::string& line) {
    if (!line.empty()) refused += kCrLf + line;
  };
  note(refusal(g_, g_.msg(app::kMsgFieldLogin), login, app::DriveField::Login));
  note(refusal(g_, g_.msg(app::kMsgFieldPassword), plain, app::DriveField::Password));
  const std::string stored = app::ScramblePassword(plain).value_or("");
  std::array<std::string, 31> lines = g_.ConfigLines;
  // Kept in the system's store instead, the file's field stays empty; a
  // password the store did not confirm stays in the file. A line with no
  // server has nowhere to keep it, and the file does not keep it either.
  const bool toStore = !plain.empty() && !login.empty() && net::keepPasswordsInStore(g_);
  std::map<std::string, bool> keptFor;  // server (lower case): the store confirmed
  auto keep = [&](const std::string& path) {
    const std::string server = app::lowerCase(net::serverOfPath(path));
    if (server.empty()) return true;
    auto [it, fresh] = keptFor.try_emplace(server, false);
    if (fresh) it->second = net::storePassword(g_, path, login, plain).empty();
    return it->second;
  };
  for (int i = 1; i <= app::kDriveCount; ++i) {
    const std::string letter(1, static_cast<char>('A' + i - 1));
    const std::string path = app::trimSpaces(Cheminreseau(i).text());
    note(refusal(g_, g_.msg(app::kMsgFieldPath, {letter}), path, app::DriveField::Path));
    const int v = lettreactive(i).value();
    const std::string active = v == 1 ? "1" : v == 2 ? "2" : "0";
    const bool kept = toStore && refused.empty() && keep(path);
    lines[static_cast<std::size_t>(i)] =
        active + "\t" + letter + "\t" + login + "\t" + (kept ? "" : stored) + "\t" + path;
  }
  app::WriteOutcome check;
  if (refused.empty()) {
    if (app::isBlank(g_.IniMarker)) g_.IniMarker = "ide";
    check = app::WriteConfiguration(g_, app::settingsLines(g_, lines));
  }
  if (!refused.empty() || !check.ok()) {
    // Nothing was written: the edits stay in the window for the user to fix.
    tk.setMousePointer(forms::MousePointer::Arrow);
    const std::string text = refused.empty()
                                 ? g_.msg(check.message) + kCrLf + "(" + check.detail + ")"
                                 : g_.msg(app::kMsgValueNotStorable) + refused;
    ShowDialog(g_, text, kDialogOk, kIconWarning, g_.msg(app::kMsgSaveErrorTitle));
    return;
  }
  g_.TrackEdits = "n";
  for (int i = 1; i <= app::kDriveCount; ++i) {
    g_.ConfigLines[static_cast<std::size_t>(i)] = lines[static_cast<std::size_t>(i)];
  }
  // A successful save leaves nothing unsaved, so quitting asks nothing.
  EntryModified = "n";
  if (Quitting == "n") Form_Load();
}

void ConnectWindow::fnquitter() {
  auto& tk = g_.svc.toolkit;
  if (EntryModified != "o") {
    Quitting = "o";
    hide();
    int cancel = 0;
    Form_QueryUnload(cancel, forms::UnloadReason::Code);
    tk.endProcess(0);
  }
  ShowDialog(g_, g_.msg(app::kMsgSaveBeforeQuit), kDialogYesNoCancel, kIconWarning,
             g_.msg(app::kMsgQuit));
  const int answer = g_.DialogResult;
  if (answer == kAnswerCancel) {
    Quitting = "n";
    return;
  }
  if (answer != kAnswerYes && answer != kAnswerNo) return;
  Quitting = "o";
  hide();
  if (answer == kAnswerYes) {
    modif_Click();
    if (EntryModified == "o") {
      // The save was refused and said why; staying keeps the edits.
      Quitting = "n";
      show();
      return;
    }
  }
  int cancel = 0;
  Form_QueryUnload(cancel, forms::UnloadReason::Code);
  tk.endProcess(0);
}

void ConnectWindow::Form_QueryUnload(int& cancel, forms::UnloadReason reason) {
  // The close box must not lose unsaved edits: it asks what Quit asks. An
  // ending session (log-off, shutdown) closes with no question: nothing may
  // hold it up.
  if (reason == forms::UnloadReason::ControlMenu && EntryModified == "o") {
    ShowDialog(g_, g_.msg(app::kMsgSaveBeforeQuit), kDialogYesNoCancel, kIconWarning,
               g_.msg(app::kMsgQuit));
    const int answer = g_.DialogResult;
    if (answer != kAnswerYes && answer != kAnswerNo) {
      cancel = 1;
      return;
    }
    if (answer == kAnswerYes) {
      Quitting = "o";  // the save does not reload a window on its way out
      modif_Click();
      if (EntryModified == "o") {
        // The save was refused and said why; staying keeps the edits.
        Quitting = "n";
        cancel = 1;
        return;
      }
    }
  }
  g_.svc.toolkit.removeTrayIcon(*this, 1);
  if (aux.unloadHelp) aux.unloadHelp();
}

}  // namespace quilbert::ui
