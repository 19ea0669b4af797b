// The entry editor: what each edit does to the window, erase all, cancel and
// the share browser with its trial connection.
#include "app/catalogue.h"
#include "app/text.h"
#include "net/primitives.h"
#include "platform/forms/toolkit.h"
#include "ui/common/dialog.h"
#include "ui/main/connect_window.h"

namespace quilbert::ui {

namespace {
constexpr const char* kCrLf = "\r\n";
}

void ConnectWindow::Cheminreseau_Change(int i) {
  if (g_.state.TrackEdits != EditTracking::On) return;
  markChanged();
  const bool admin = AccessMode == "qelvo";
  if (Cheminreseau(i).text().empty()) {
    lettreactive(i).setValue(0);
    Test(i).setEnabled(false);
    if (admin) Parcourir(i).setPicture(ImageList3.image(1));
  } else {
    Test(i).setEnabled(true);
    if (admin) Parcourir(i).setPicture(ImageList3.image(2));
  }
}

void ConnectWindow::lettreactive_Click(int i) {
  if (g_.state.TrackEdits != EditTracking::On) return;
  if (!Cheminreseau(i).text().empty()) {
    markChanged();
    return;
  }
  // Setting the box back fires this handler again, which then finds it at 0.
  if (lettreactive(i).value() != 0) {
    lettreactive(i).setValue(0);
    g_.toolkit.beep();
  }
}

void ConnectWindow::credentials_Change() {
  if (g_.state.TrackEdits != EditTracking::On) return;
  markChanged();
}

void ConnectWindow::effacer_Click() {
  ShowDialog(g_, g_.texts.msg(app::kMsgEraseAllAsk), kDialogYesNo, kIconWarning,
             g_.texts.msg(app::kMsgEraseAll));
  if (g_.state.DialogResult != kAnswerYes) return;
  for (int i = 1; i <= app::kDriveCount; ++i) {
    if (Cheminreseau(i).backColor() != forms::kLightYellow) Cheminreseau(i).setText("");
  }
  nomuser.setText("");
  password.setText("");
}

void ConnectWindow::annulmodif_Click() {
  g_.toolkit.setMousePointer(forms::MousePointer::Hourglass);
  g_.state.TrackEdits = EditTracking::Loading;
  EntryModified = "n";
  Form_Load();
}

void ConnectWindow::Parcourir_Click(int i) {
  const std::string letter(1, static_cast<char>('A' + i - 1));
  std::string chosen;
  if (BrowseForShare(chosen, g_.texts.msg(app::kMsgPickShareNotFolder))) {
    const std::string login = nomuser.text();
    const std::string pass = password.text();
    net::CancelDriveConnection(g_.svc, g_.texts, letter + ":");
    SetNetErrorText(g_.state, net::AddDriveConnection(
                                  g_.svc, g_.texts, app::firstChar(lettrereseau(i).caption()) + ":",
                                  chosen, login, pass));
    if (g_.state.LastNetError != 0) {
      std::string text;
      if (g_.state.LastNetError == platform::neterr::kAlreadyAssigned) {
        text = g_.texts.msg(app::kMsgLetterInUse);
      } else {
        text = g_.state.NetErrorText;
      }
      text += std::string(kCrLf) + "(" + lettrereseau(i).caption() + " " +
              app::trimSpaces(Cheminreseau(i).text()) + ")";
      ShowDialog(g_, text, kDialogOk, kIconWarning, g_.texts.msg(app::kMsgNetworkConnection));
      Cheminreseau(i).setText("");
    } else {
      Cheminreseau(i).setText(chosen);
      lettreactive(i).setValue(1);
    }
    g_.state.LastNetError = 0;
  }
  net::CancelDriveConnection(g_.svc, g_.texts, letter + ":");
}

bool ConnectWindow::BrowseForShare(std::string& chosen, const std::string& hint) {
  forms::FolderBrowseRequest request;
  request.title = caption();
  request.okCaption = g_.texts.msg(app::kMsgOk);
  request.cancelCaption = g_.texts.msg(app::kMsgCancel);
  request.instruction =
      g_.texts.msg(app::kMsgBrowseInstruction) + " : " + kCrLf + g_.texts.msg(app::kMsgBrowseHint);
  request.showStatusText = !hint.empty();
  request.onSelectionChanged = [hint](forms::FolderBrowserHandle& browser,
                                      const std::optional<std::string>& selection) {
    BrowseCallback(browser, selection, hint);
  };
  auto result = g_.toolkit.browseForFolder(*this, request);
  if (!result) return false;
  const auto nul = result->find('\0');
  chosen = result->substr(0, nul);
  return true;
}

void ConnectWindow::BrowseCallback(forms::FolderBrowserHandle& browser,
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
