// The command buttons: connect, disconnect, test, save and quit.
#include "ui/main/commands.h"

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

namespace quilbert::ui {

namespace {
constexpr const char* kCrLf = "\r\n";
}

void Commands::connection_Click() {
  auto& tk = g_.toolkit;
  // The person's pass alone: a waiting one of the keeper's would meet it.
  resident_.takeOverAutoRun();
  resident_.keepLetters(false);
  tk.setMousePointer(forms::MousePointer::Hourglass);
  const std::string login = user_.login();
  const std::string pass = user_.password();
  net::cancelAllLetters(g_.svc, g_.texts);
  std::array<net::PassItem, 27> items{};
  for (int i = 1; i <= app::kDriveCount; ++i) {
    auto& item = items[static_cast<std::size_t>(i)];
    item.active = w_.lettreactive(i).value() == 1;
    item.label = w_.lettrereseau(i).caption();
    item.localName = app::firstChar(item.label) + ":";
    item.path = app::trimSpaces(w_.Cheminreseau(i).text());
    item.login = login;
    item.password = pass;
  }
  rows_.lastCodes() = {};
  CodeRecorder display(g_, net::PassKind::Interactive, rows_.lastCodes());
  net::connectItems(g_.svc, g_.texts, items, net::PassKind::Interactive, display);
  // Connected by hand: the letters are kept again.
  resident_.keepLetters(true);
  rows_.showConnectionStates();
}

void Commands::disconnect_Click() {
  // Disconnected by hand: not connected again behind the person's back.
  resident_.takeOverAutoRun();
  resident_.keepLetters(false);
  const platform::NetworkPass pass(g_.svc.network);
  for (int i = 1; i <= app::kDriveCount; ++i) {
    const std::string letter(1, static_cast<char>('A' + i - 1));
    const net::NetOutcome dropped = net::CancelDriveConnection(g_.svc, g_.texts, letter + ":");
    if (!dropped.ok() && dropped.code != platform::neterr::kNotConnected) {
      SetNetErrorText(g_.state, dropped);
      ShowDialog(g_,
                 g_.state.NetErrorText + kCrLf + "(" + w_.lettrereseau(i).caption() + " " +
                     app::trimSpaces(w_.Cheminreseau(i).text()) + ")",
                 kDialogOk, kIconWarning, g_.texts.msg(app::kMsgNetworkConnection));
    }
  }
  rows_.lastCodes() = {};
  rows_.showConnectionStates();
  // The interval stays as designed.
  showStatus(g_, g_.texts.msg(app::kMsgDrivesDisconnected), 1000, 1);
}

void Commands::Test_Click(int i) {
  auto& tk = g_.toolkit;
  const std::string login = user_.login();
  const std::string pass = user_.password();
  const std::string path = app::trimSpaces(w_.Cheminreseau(i).text());
  const std::string label = w_.lettrereseau(i).caption();
  // The letter the test maps is the label's, which a hand-edited line may
  // have made differ from the row's: that is the one to free before and after.
  const std::string letter = app::firstChar(label);
  const std::string where = std::string(kCrLf) + "(" + label + " " + path + ")";
  g_.state.LastNetError = 0;
  tk.setMousePointer(forms::MousePointer::Hourglass);
  w_.markChanged();
  const net::NetOutcome held = net::CancelDriveConnection(g_.svc, g_.texts, letter + ":");
  if (!held.ok() && held.code != platform::neterr::kNotConnected) {
    SetNetErrorText(g_.state, held);
    tk.setMousePointer(forms::MousePointer::Arrow);
    ShowDialog(g_, g_.state.NetErrorText + where, kDialogOk, kIconWarning,
               g_.texts.msg(app::kMsgNetworkConnection));
    return;
  }
  SetNetErrorText(g_.state,
                  net::AddDriveConnection(g_.svc, g_.texts, letter + ":", path, login, pass));
  tk.setMousePointer(forms::MousePointer::Arrow);
  const std::int32_t code = g_.state.LastNetError;
  if (code == 0) {
    ShowDialog(g_, g_.texts.msg(app::kMsgTestPassed), kDialogOk, kIconInformation,
               g_.texts.msg(app::kMsgNetworkConnection));
  } else if (code == platform::neterr::kInvalidPassword) {
    ShowDialog(g_, g_.texts.msg(app::kMsgPasswordRefused) + where, kDialogOk, kIconWarning,
               g_.texts.msg(app::kMsgNetworkConnection));
    w_.password.setFocus();
  } else {
    ShowDialog(g_, g_.state.NetErrorText + where, kDialogOk, kIconWarning,
               g_.texts.msg(app::kMsgNetworkConnection));
  }
  g_.state.LastNetError = 0;
  net::CancelDriveConnection(g_.svc, g_.texts, letter + ":");
  // The test's letter is free again whatever it held before.
  rows_.showConnectionStates();
}

namespace {

// One line of Save's refusal for a field, or "" when the field can be stored.
std::string refusal(const app::Catalogue& texts, const platform::Network& network,
                    const std::string& field, std::string_view text, app::DriveField kind) {
  if (kind == app::DriveField::Path) {
    // Windows takes a path through its ANSI network calls: what they cannot
    // carry could never be connected, so it is not stored either.
    const std::string refused = network.uncarried(text);
    if (!refused.empty()) {
      return texts.msg(app::kMsgFieldRefused, {field, texts.msg(app::kMsgNotCarried, {refused})});
    }
  }
  const auto problem = app::storeProblem(text, kind);
  if (!problem) return {};
  std::string where = std::to_string(problem->position);
  if (!problem->shown.empty()) where += " " + problem->shown;
  return texts.msg(app::kMsgStoreProblem, {field, where, texts.msg(problem->reason)});
}

}  // namespace

void Commands::modif_Click() {
  auto& tk = g_.toolkit;
  tk.setMousePointer(forms::MousePointer::Hourglass);
  const std::string login = user_.login();
  const std::string plain = user_.password();
  // Every field that cannot be stored is named at once, so that one look
  // at the message is enough to mend them all.
  std::string refused;
  auto note = [&](const std::string& line) {
    if (!line.empty()) refused += kCrLf + line;
  };
  note(refusal(g_.texts, g_.svc.network, g_.texts.msg(app::kMsgFieldLogin), login,
               app::DriveField::Login));
  note(refusal(g_.texts, g_.svc.network, g_.texts.msg(app::kMsgFieldPassword), plain,
               app::DriveField::Password));
  const std::string stored = app::ScramblePassword(plain).value_or("");
  app::ConfigFileLines lines = g_.config.ConfigLines;
  // Kept in the system's store instead, the file's field stays empty; a
  // password the store did not confirm stays in the file. A line with no
  // server has nowhere to keep it, and the file does not keep it either.
  const bool toStore = !plain.empty() && !login.empty() && net::keepPasswordsInStore(g_.svc);
  std::map<std::string, bool> keptFor;  // server (lower case): the store confirmed
  auto keep = [&](const std::string& path) {
    const std::string server = app::lowerCase(net::serverOfPath(path));
    if (server.empty()) return true;
    auto [it, fresh] = keptFor.try_emplace(server, false);
    if (fresh) it->second = net::storePassword(g_.svc, path, login, plain).empty();
    return it->second;
  };
  for (int i = 1; i <= app::kDriveCount; ++i) {
    const std::string letter(1, static_cast<char>('A' + i - 1));
    const std::string path = app::trimSpaces(w_.Cheminreseau(i).text());
    note(refusal(g_.texts, g_.svc.network, g_.texts.msg(app::kMsgFieldPath, {letter}), path,
                 app::DriveField::Path));
    const int v = w_.lettreactive(i).value();
    const std::string active = v == 1 ? "1" : v == 2 ? "2" : "0";
    const bool kept = toStore && refused.empty() && keep(path);
    lines[static_cast<std::size_t>(i)] =
        active + "\t" + letter + "\t" + login + "\t" + (kept ? "" : stored) + "\t" + path;
  }
  app::WriteOutcome check;
  if (refused.empty()) {
    if (app::isBlank(g_.config.IniMarker)) g_.config.IniMarker = "ide";
    check = g_.config.writeDriveLines(lines);
  }
  if (!refused.empty() || !check.ok()) {
    // Nothing was written: the edits stay in the window for the user to fix.
    tk.setMousePointer(forms::MousePointer::Arrow);
    const std::string text = refused.empty()
                                 ? g_.texts.msg(check.message) + kCrLf + "(" + check.detail + ")"
                                 : g_.texts.msg(app::kMsgValueNotStorable) + refused;
    ShowDialog(g_, text, kDialogOk, kIconWarning, g_.texts.msg(app::kMsgSaveErrorTitle));
    return;
  }
  g_.state.TrackEdits = EditTracking::Loading;
  // A successful save leaves nothing unsaved, so quitting asks nothing.
  w_.EntryModified = false;
  if (!w_.Quitting) reload_();
}

void Commands::fnquitter() {
  auto& tk = g_.toolkit;
  if (!w_.EntryModified) {
    w_.Quitting = true;
    w_.form.hide();
    int cancel = 0;
    Form_QueryUnload(cancel, forms::UnloadReason::Code);
    tk.endProcess(0);
  }
  ShowDialog(g_, g_.texts.msg(app::kMsgSaveBeforeQuit), kDialogYesNoCancel, kIconWarning,
             g_.texts.msg(app::kMsgQuit));
  const int answer = g_.state.DialogResult;
  if (answer == kAnswerCancel) {
    w_.Quitting = false;
    return;
  }
  if (answer != kAnswerYes && answer != kAnswerNo) return;
  w_.Quitting = true;
  w_.form.hide();
  if (answer == kAnswerYes) {
    modif_Click();
    if (w_.EntryModified) {
      // The save was refused and said why; staying keeps the edits.
      w_.Quitting = false;
      w_.form.show();
      return;
    }
  }
  int cancel = 0;
  Form_QueryUnload(cancel, forms::UnloadReason::Code);
  tk.endProcess(0);
}

void Commands::Form_QueryUnload(int& cancel, forms::UnloadReason reason) {
  // The close box must not lose unsaved edits: it asks what Quit asks. An
  // ending session (log-off, shutdown) closes with no question: nothing may
  // hold it up.
  if (reason == forms::UnloadReason::ControlMenu && w_.EntryModified) {
    ShowDialog(g_, g_.texts.msg(app::kMsgSaveBeforeQuit), kDialogYesNoCancel, kIconWarning,
               g_.texts.msg(app::kMsgQuit));
    const int answer = g_.state.DialogResult;
    if (answer != kAnswerYes && answer != kAnswerNo) {
      cancel = 1;
      return;
    }
    if (answer == kAnswerYes) {
      w_.Quitting = true;  // the save does not reload a window on its way out
      modif_Click();
      if (w_.EntryModified) {
        // The save was refused and said why; staying keeps the edits.
        w_.Quitting = false;
        cancel = 1;
        return;
      }
    }
  }
  g_.toolkit.removeTrayIcon(w_.form, 1);
  if (w_.aux.unloadHelp) w_.aux.unloadHelp();
}

void Commands::effacer_Click() {
  ShowDialog(g_, g_.texts.msg(app::kMsgEraseAllAsk), kDialogYesNo, kIconWarning,
             g_.texts.msg(app::kMsgEraseAll));
  if (g_.state.DialogResult != kAnswerYes) return;
  for (int i = 1; i <= app::kDriveCount; ++i) {
    if (w_.Cheminreseau(i).backColor() != forms::kLightYellow) w_.Cheminreseau(i).setText("");
  }
  user_.clear();
}

void Commands::annulmodif_Click() {
  g_.toolkit.setMousePointer(forms::MousePointer::Hourglass);
  g_.state.TrackEdits = EditTracking::Loading;
  w_.EntryModified = false;
  reload_();
}

}  // namespace quilbert::ui
