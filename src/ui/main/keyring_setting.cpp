// The menu's "Keep passwords in the system's keyring": on, the file's
// passwords move into the store; off, once the person agrees, they move back.
#include "app/catalogue.h"
#include "net/stored_passwords.h"
#include "ui/common/dialog.h"
#include "ui/main/settings.h"

namespace quilbert::ui {

void Settings::keyringCheck() {
  auto& item = w_.form.menu("menu_keyring");
  item.setCaption(g_.texts.msg(app::kMsgKeepInKeyring));
  item.setEnabled(g_.svc.passwords != nullptr);
  item.setChecked(net::keepPasswordsInStore(g_.svc));
}

void Settings::menu_keyring_Click() {
  const bool wanted = !net::keepPasswordsInStore(g_.svc);
  if (!wanted) {
    ShowDialog(g_, g_.texts.msg(app::kMsgMoveBackAsk), kDialogYesNo, kIconWarning,
               g_.texts.msg(app::kMsgKeepInKeyring));
    if (g_.state.DialogResult != kAnswerYes) return;
  }
  if (!net::setKeepPasswordsInStore(g_.svc, wanted)) {
    ShowDialog(g_, g_.texts.msg(app::kMsgSettingRefused), kDialogOk, kIconWarning,
               g_.texts.msg(app::kMsgKeepInKeyring));
    return;
  }
  const net::MovedPasswords m = wanted ? net::movePasswordsToStore(g_.svc, g_.config, g_.texts)
                                       : net::movePasswordsToFile(g_.svc, g_.config, g_.texts);
  keyringCheck();
  if (m.moved + m.notMoved + m.cleared == 0) return;
  std::string text = net::movedPasswordsText(g_.texts, m, wanted);
  for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
    text.replace(at, 1, "\r\n");
  }
  if (!m.why.empty()) text += "\r\n(" + m.why + ")";
  ShowDialog(g_, text, kDialogOk, m.notMoved == 0 ? kIconInformation : kIconWarning,
             g_.texts.msg(app::kMsgKeepInKeyring));
}

}  // namespace quilbert::ui
