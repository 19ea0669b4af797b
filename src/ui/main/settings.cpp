// The setting commands: language, icon theme, start with Windows.
#include "app/catalogue.h"
#include "app/config.h"
#include "app/registry_routines.h"
#include "platform/forms/toolkit.h"
#include "ui/common/dialog.h"
#include "ui/main/connect_window.h"

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

bool ConnectWindow::writeSetting(app::Setting line, const std::string& value) {
  const auto out = g_.config.writeSetting(line, value);
  if (out.ok()) return true;
  // The file keeps what it had, and so does the window.
  ShowDialog(g_, g_.texts.msg(out.message) + "\r\n(" + out.detail + ")", kDialogOk, kIconWarning,
             g_.texts.msg(app::kMsgSaveErrorTitle));
  return false;
}

void ConnectWindow::language() {
  const auto& m = [this](int n) -> const std::string& { return g_.texts.msg(n); };
  menu("menu").setCaption(m(1));
  menu("menu_connectall").setCaption(m(160));
  menu("menu_deconnectall").setCaption(m(161));
  menu("menu_resident").setCaption(m(162));
  menu("menu_agrandir").setCaption(m(168));
  menu("menu_quitter").setCaption(m(164));
  setCaption(m(0));
  menu("demarrage").setCaption(m(2));
  menu("menu_Reseau").setCaption(m(3));
  menu("Rapport").setCaption(m(4));
  menu("menu_import").setCaption(m(app::kMsgMapsImportMenu));
  menu("menu_export").setCaption(m(app::kMsgMapsExportMenu));
  menu("menu_affichage").setCaption(m(5));
  for (int k = 1; k <= 3; ++k) menu("icone", k).setCaption(m(5 + k));
  menu("menu_langue").setCaption(m(9));
  menu("langue", 0).setCaption(m(10));
  menu("langue", 1).setCaption(m(11));
  menu("menu_about").setCaption(m(12));
  menu("aide").setCaption(m(13));
  menu("about").setCaption(m(14));
  Frame1.setCaption(m(19));
  Label3.setCaption(m(20));
  Label1.setCaption(m(21));
  Label2.setCaption(m(22));
  Frame2.setCaption(m(23));
  Label5.setCaption(m(24));
  Label6.setCaption(m(25));
  forms::FlatButton* buttons[] = {&modif,      &effacer,  &annulmodif, &connection,
                                  &disconnect, &Command1, &bt_reduc};
  for (int k = 0; k < 7; ++k) buttons[k]->setCaption(m(30 + k));
  for (int i = 1; i <= app::kDriveCount; ++i) {
    Parcourir(i).setToolTip(m(39));
    lettreactive(i).setToolTip(m(40));
    Test(i).setToolTip(m(41));
    Cheminreseau(i).setToolTip(m(42));
  }
  for (int k = 0; k < 6; ++k) buttons[k]->setToolTip(m(43 + k));
}

void ConnectWindow::langue_Click(int k) {
  const std::string chosen = k == 0 ? "langage_gb.txt" : "langage_fr.txt";
  if (aux.unloadHelp) aux.unloadHelp();
  if (aux.closeReport) aux.closeReport();
  if (!writeSetting(app::Setting::LanguageFile, chosen)) return;
  menu("langue", 0).setChecked(k == 0);
  menu("langue", 1).setChecked(k == 1);
  g_.texts.load(g_.places.LangDir, g_.config.LanguageFile);
  language();
  g_.state.TrackEdits = EditTracking::Loading;
  detectionlecteur();
  g_.state.TrackEdits = EditTracking::On;
}

void ConnectWindow::ApplyIconTheme() {
  const char sep = app::separator();
  const std::string first = g_.config.IconTheme.empty() ? "" : g_.config.IconTheme.substr(0, 1);
  g_.places.IconPrefix = g_.places.AppDir + "ico" + sep + g_.config.IconTheme + sep + first + "_";
  struct ButtonIcon {
    forms::FlatButton* button;
    const char* file;
  };
  for (const auto& b :
       {ButtonIcon{&modif, "sauve.ico"}, ButtonIcon{&effacer, "effacer.ico"},
        ButtonIcon{&disconnect, "connection_in.ico"}, ButtonIcon{&connection, "connection_ac.ico"},
        ButtonIcon{&annulmodif, "annulmodif.ico"}, ButtonIcon{&bt_reduc, "sleep.ico"},
        ButtonIcon{&Command1, "fin.ico"}}) {
    // A missing or unreadable file leaves the button's picture as it was.
    if (auto p = g_.toolkit.loadPicture(g_.places.IconPrefix + b.file)) b.button->setPicture(*p);
  }
}

void ConnectWindow::icone_Click(int k) {
  if (!writeSetting(app::Setting::IconTheme, kThemes[k - 1])) return;
  for (int n = 1; n <= 3; ++n) menu("icone", n).setChecked(n == k);
  ApplyIconTheme();
  for (forms::FlatButton* b :
       {&Command1, &modif, &effacer, &annulmodif, &disconnect, &connection}) {
    b->refresh();
  }
}

void ConnectWindow::startupCheck() {
  // Read access is enough to know: a user who may not change the machine's
  // key still sees whether the program starts with Windows, by either value.
  bool ticked = false;
  for (const std::uint32_t root : kRunRoots) {
    const auto value = app::QueryValue(g_.svc.registry, root, app::kRunKey, app::kRunValueName,
                                       platform::kKeyQueryValue);
    const auto* s = std::get_if<std::string>(&value);
    ticked = ticked || (s != nullptr && *s == g_.places.RunCommand);
  }
  menu("demarrage").setChecked(ticked);
}

void ConnectWindow::demarrage_Click() {
  auto& reg = g_.svc.registry;
  auto& item = menu("demarrage");
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
