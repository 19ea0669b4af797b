// The setting commands: language, icon theme, start with Windows.
#include "ui/main/settings.h"

#include "app/catalogue.h"
#include "app/config.h"
#include "app/registry_routines.h"
#include "platform/forms/toolkit.h"
#include "ui/common/dialog.h"

namespace quilbert::ui {

namespace {
constexpr const char* kThemes[] = {"windows", "sony", "beos"};
// Where a value starts the program at log-on: for every user, or for this one.
constexpr std::uint32_t kRunRoots[] = {platform::kHkeyLocalMachine, platform::kHkeyCurrentUser};

// Deletes the start value under this root's Run key; 2 when there is none.
int removeRunValue(platform::Registry& reg, std::uint32_t root) {
  platform::RegKey key = 0;
  // Only a value that is there asks for write access, which a standard user
  // lacks on the machine's key.
  int rc = reg.openKey(root, app::kRunKey, platform::kKeyQueryValue, key);
  if (rc != platform::regerr::kOk) return rc;
  std::uint32_t size = 0;
  rc = reg.queryValue(key, app::kRunValueName, nullptr, nullptr, size);
  reg.closeKey(key);
  if (rc == platform::regerr::kFileNotFound) return rc;
  rc = reg.openKey(root, app::kRunKey, platform::kKeyAllAccess, key);
  if (rc != platform::regerr::kOk) return rc;
  rc = reg.deleteValue(key, app::kRunValueName);
  reg.closeKey(key);
  return rc;
}

}  // namespace

bool Settings::writeSetting(app::Setting line, const std::string& value) {
  const auto out = g_.config.writeSetting(line, value);
  if (out.ok()) return true;
  // The file keeps what it had, and so does the window.
  ShowDialog(g_, g_.texts.msg(out.message) + "\r\n(" + out.detail + ")", kDialogOk, kIconWarning,
             g_.texts.msg(app::kMsgSaveErrorTitle));
  return false;
}

void Settings::langue_Click(int k) {
  const std::string chosen = k == 0 ? "langage_gb.txt" : "langage_fr.txt";
  if (w_.aux.unloadHelp) w_.aux.unloadHelp();
  if (w_.aux.closeReport) w_.aux.closeReport();
  if (!writeSetting(app::Setting::LanguageFile, chosen)) return;
  w_.form.menu("langue", 0).setChecked(k == 0);
  w_.form.menu("langue", 1).setChecked(k == 1);
  g_.texts.load(g_.places.LangDir, g_.config.LanguageFile);
  menus_.language();
  g_.state.TrackEdits = EditTracking::Loading;
  rows_.detectionlecteur();
  g_.state.TrackEdits = EditTracking::On;
  // The rows' words (tips, and what a screen reader says) and the keyring's
  // item, which the menus' captions leave out, in the new language.
  rows_.showConnectionStates();
  keyringCheck();
}

void Settings::ApplyIconTheme() {
  const char sep = app::separator();
  const std::string first = g_.config.IconTheme.empty() ? "" : g_.config.IconTheme.substr(0, 1);
  g_.places.IconPrefix = g_.places.AppDir + "ico" + sep + g_.config.IconTheme + sep + first + "_";
  struct ButtonIcon {
    forms::FlatButton* button;
    const char* file;
  };
  for (const auto& b :
       {ButtonIcon{&w_.modif, "sauve.ico"}, ButtonIcon{&w_.effacer, "effacer.ico"},
        ButtonIcon{&w_.disconnect, "connection_in.ico"},
        ButtonIcon{&w_.connection, "connection_ac.ico"},
        ButtonIcon{&w_.annulmodif, "annulmodif.ico"}, ButtonIcon{&w_.bt_reduc, "sleep.ico"},
        ButtonIcon{&w_.Command1, "fin.ico"}}) {
    // A missing or unreadable file leaves the button's picture as it was.
    if (auto p = g_.toolkit.loadPicture(g_.places.IconPrefix + b.file)) b.button->setPicture(*p);
  }
}

void Settings::icone_Click(int k) {
  if (!writeSetting(app::Setting::IconTheme, kThemes[k - 1])) return;
  for (int n = 1; n <= 3; ++n) w_.form.menu("icone", n).setChecked(n == k);
  ApplyIconTheme();
  for (forms::FlatButton* b :
       {&w_.Command1, &w_.modif, &w_.effacer, &w_.annulmodif, &w_.disconnect, &w_.connection}) {
    b->refresh();
  }
}

void Settings::startupCheck() {
  // Read access is enough to know: a user who may not change the machine's
  // key still sees whether the program starts with Windows, by either value.
  bool ticked = false;
  for (const std::uint32_t root : kRunRoots) {
    const auto value = app::QueryValue(g_.svc.registry, root, app::kRunKey, app::kRunValueName,
                                       platform::kKeyQueryValue);
    const auto* s = std::get_if<std::string>(&value);
    ticked = ticked || (s != nullptr && *s == g_.places.RunCommand);
  }
  w_.form.menu("demarrage").setChecked(ticked);
}

void Settings::demarrage_Click() {
  auto& reg = g_.svc.registry;
  auto& item = w_.form.menu("demarrage");
  const bool wanted = !item.checked();
  int rc = 0;
  std::string notRemoved;
  if (wanted) {
    rc = app::SetKeyValue(reg, platform::kHkeyLocalMachine, app::kRunKey, app::kRunValueName,
                          g_.places.RunCommand, platform::kRegSz);
    if (rc != platform::regerr::kOk) {
      // A standard user may not write the machine's key: the user's own
      // starts the program at this user's log-on, which is what is asked.
      reg.createKey(platform::kHkeyCurrentUser, app::kRunKey);
      rc = app::SetKeyValue(reg, platform::kHkeyCurrentUser, app::kRunKey, app::kRunValueName,
                            g_.places.RunCommand, platform::kRegSz);
    }
  } else {
    for (const std::uint32_t root : kRunRoots) {
      rc = removeRunValue(reg, root);
      if (rc != platform::regerr::kOk && rc != platform::regerr::kFileNotFound) {
        notRemoved += "\r\n" +
                      std::string(root == platform::kHkeyLocalMachine ? "HKEY_LOCAL_MACHINE\\"
                                                                      : "HKEY_CURRENT_USER\\") +
                      app::kRunKey + "\\" + app::kRunValueName + " (" + std::to_string(rc) + ")";
      }
    }
  }
  // The tick shows what the registry holds now, whatever it answered.
  startupCheck();
  if (!notRemoved.empty()) {
    ShowDialog(g_, g_.texts.msg(app::kMsgStartupNotRemoved) + notRemoved, kDialogOk, kIconWarning,
               g_.texts.msg(app::kMsgStartWithWindows));
  } else if (item.checked() != wanted) {
    ShowDialog(g_, g_.texts.msg(app::kMsgStartupChangeRefused) + "\r\n(" + std::to_string(rc) + ")",
               kDialogOk, kIconWarning, g_.texts.msg(app::kMsgStartWithWindows));
  } else {
    ShowDialog(g_, g_.texts.msg(wanted ? app::kMsgStartupOn : app::kMsgStartupOff), kDialogOk,
               kIconInformation, g_.texts.msg(app::kMsgStartWithWindows));
  }
}

}  // namespace quilbert::ui
