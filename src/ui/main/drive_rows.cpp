// The rows of the drive list, and what an edit of a row does.
#include "ui/main/drive_rows.h"

#include "app/catalogue.h"
#include "app/text.h"
#include "net/primitives.h"
#include "ui/common/dialog.h"

namespace quilbert::ui {

namespace {
constexpr const char* kCrLf = "\r\n";
constexpr int kRowStep = 300;
}  // namespace

void DriveRows::wireRow(int i) {
  w_.Cheminreseau(i).onChange = [this, i] { Cheminreseau_Change(i); };
  w_.lettreactive(i).onClick = [this, i] { lettreactive_Click(i); };
  w_.Parcourir(i).onClick = [this, i] { Parcourir_Click(i); };
  w_.Test(i).onClick = [this, i] {
    if (onTest) onTest(i);
  };
}
void DriveRows::BuildDriveRows() {
  for (int i = 2; i <= app::kDriveCount; ++i) {
    for (const char* name :
         {"Parcourir", "lettreactive", "lettrereseau", "etatlettre", "Cheminreseau", "Test"}) {
      auto& c = w_.form.loadElement<forms::Control>(name, i);
      c.setVisible(true);
      c.setEnabled(true);
      c.setTop(w_.form.get<forms::Control>(name, i - 1).top() + kRowStep);
    }
    w_.Test(i).setCaption("");
    w_.lettrereseau(i).setCaption(std::string(1, static_cast<char>('A' + i - 1)) + ":");
    w_.arrangeRow(i);
    wireRow(i);
  }
}
void DriveRows::applyRunMode() {
  const bool admin = w_.AccessMode == Access::Administrator;
  for (int i = 1; i <= app::kDriveCount; ++i) {
    w_.Parcourir(i).setEnabled(admin);
    if (!admin) w_.Parcourir(i).setPicture(w_.ImageList3.image(3));
  }
}
void DriveRows::ShowDriveTable() {
  for (int i = 1; i <= app::kDriveCount; ++i) {
    auto& e = g_.config.DriveTable[static_cast<std::size_t>(i)];
    w_.Cheminreseau(i).setText(e.Path);
    if (w_.AccessMode == Access::Administrator) {
      w_.Parcourir(i).setPicture(w_.ImageList3.image(app::isBlank(e.Path) ? 1 : 2));
    }
    w_.lettrereseau(i).setCaption(e.letterText(i) + ":");
    w_.nameRow(i, g_.texts);
    w_.lettrereseau(i).setForeColor(forms::kWindowText);
    using app::Activation;
    if (e.Active == Activation::Off || e.Active == Activation::On ||
        e.Active == Activation::Greyed) {
      w_.lettreactive(i).setValue(static_cast<char>(e.Active) - '0');
    } else {
      w_.lettreactive(i).setValue(0);
      e.Active = Activation::Off;
    }
    if (app::isBlank(w_.Cheminreseau(i).text())) {
      w_.lettreactive(i).setValue(0);
      e.Active = Activation::Off;
    }
  }
}

void DriveRows::Cheminreseau_Change(int i) {
  if (g_.state.TrackEdits != EditTracking::On) return;
  w_.markChanged();
  const bool admin = w_.AccessMode == Access::Administrator;
  if (w_.Cheminreseau(i).text().empty()) {
    w_.lettreactive(i).setValue(0);
    w_.Test(i).setEnabled(false);
    if (admin) w_.Parcourir(i).setPicture(w_.ImageList3.image(1));
  } else {
    w_.Test(i).setEnabled(true);
    if (admin) w_.Parcourir(i).setPicture(w_.ImageList3.image(2));
  }
}

void DriveRows::lettreactive_Click(int i) {
  if (g_.state.TrackEdits != EditTracking::On) return;
  if (!w_.Cheminreseau(i).text().empty()) {
    w_.markChanged();
    return;
  }
  // Setting the box back fires this handler again, which then finds it at 0.
  if (w_.lettreactive(i).value() != 0) {
    w_.lettreactive(i).setValue(0);
    g_.toolkit.beep();
  }
}

void DriveRows::Parcourir_Click(int i) {
  const std::string letter(1, static_cast<char>('A' + i - 1));
  std::string chosen;
  if (BrowseForShare(chosen, g_.texts.msg(app::kMsgPickShareNotFolder))) {
    const std::string login = w_.nomuser.text();
    const std::string pass = w_.password.text();
    net::CancelDriveConnection(g_.svc, g_.texts, letter + ":");
    SetNetErrorText(g_.state,
                    net::AddDriveConnection(g_.svc, g_.texts,
                                            app::firstChar(w_.lettrereseau(i).caption()) + ":",
                                            chosen, login, pass));
    if (g_.state.LastNetError != 0) {
      std::string text;
      if (g_.state.LastNetError == platform::neterr::kAlreadyAssigned) {
        text = g_.texts.msg(app::kMsgLetterInUse);
      } else {
        text = g_.state.NetErrorText;
      }
      text += std::string(kCrLf) + "(" + w_.lettrereseau(i).caption() + " " +
              app::trimSpaces(w_.Cheminreseau(i).text()) + ")";
      ShowDialog(g_, text, kDialogOk, kIconWarning, g_.texts.msg(app::kMsgNetworkConnection));
      w_.Cheminreseau(i).setText("");
    } else {
      w_.Cheminreseau(i).setText(chosen);
      w_.lettreactive(i).setValue(1);
    }
    g_.state.LastNetError = 0;
  }
  net::CancelDriveConnection(g_.svc, g_.texts, letter + ":");
}

bool DriveRows::BrowseForShare(std::string& chosen, const std::string& hint) {
  forms::FolderBrowseRequest request;
  request.title = w_.form.caption();
  request.okCaption = g_.texts.msg(app::kMsgOk);
  request.cancelCaption = g_.texts.msg(app::kMsgCancel);
  request.instruction =
      g_.texts.msg(app::kMsgBrowseInstruction) + " : " + kCrLf + g_.texts.msg(app::kMsgBrowseHint);
  request.showStatusText = !hint.empty();
  request.onSelectionChanged = [hint](forms::FolderBrowserHandle& browser,
                                      const std::optional<std::string>& selection) {
    BrowseCallback(browser, selection, hint);
  };
  auto result = g_.toolkit.browseForFolder(w_.form, request);
  if (!result) return false;
  const auto nul = result->find('\0');
  chosen = result->substr(0, nul);
  return true;
}

void DriveRows::BrowseCallback(forms::FolderBrowserHandle& browser,
                               const std::optional<std::string>& selection,
                               const std::string& hint) {
  if (!selection) {
    browser.setStatusText(hint);
    browser.enableOk(false);
    return;
  }
  const std::string& path = *selection;
  // The first "\" from the third character on ends the server name; another
  // one after it means a folder inside the share.
  const auto p = path.size() > 2 ? path.find('\\', 2) : std::string::npos;
  const auto start = p == std::string::npos ? 0 : p + 1;
  if (path.find('\\', start) != std::string::npos) {
    browser.enableOk(false);
    browser.setStatusText(hint);
  } else {
    browser.setStatusText("");
  }
}

}  // namespace quilbert::ui
