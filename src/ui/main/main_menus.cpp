#include "ui/main/main_menus.h"

#include "app/catalogue.h"

namespace quilbert::ui {

namespace {

// An item that opens a window beside the main one, when that window exists.
void opens(forms::MenuItem& item, const std::function<void()>& open) {
  item.onClick = [&open] {
    if (open) open();
  };
}

}  // namespace

void MainMenus::build() {
  auto& form = w_.form;
  auto& app = form.addMenu("menu", "Application");
  app.add("menu_connectall", "Connecter tous les lecteurs");
  app.add("menu_deconnectall", "Déconnecter tous les lecteurs");
  app.addSeparator("barre0");
  app.add("demarrage", "Démarrage à l'ouverture de Windows");
  app.add("menu_keyring", "Garder les mots de passe dans le trousseau du système");
  app.addSeparator("barre7");
  app.add("menu_resident", "Exécution en arrière plan");
  app.addSeparator("barre1");
  app.add("menu_agrandir", "Agrandir");
  app.addSeparator("barre2");
  app.add("menu_quitter", "Quitter");

  auto& net = form.addMenu("menu_Reseau", "Analyse du &Réseau");
  opens(net.add("Rapport", "&Ressources et Connections"), w_.aux.showReport);
  net.addSeparator("barre_maps");
  net.add("menu_import", "Importer");
  net.add("menu_export", "Exporter");

  auto& view = form.addMenu("menu_affichage", "A&ffichage");
  const char* themes[] = {"Icônes Windows XP", "Icônes Sony Vaio", "Icônes BeOS"};
  for (int k = 1; k <= 3; ++k) view.add("icone", themes[k - 1], k);

  auto& lang = form.addMenu("menu_langue", "&Langue");
  lang.add("langue", "Anglais", 0);
  lang.add("langue", "Français", 1).setChecked(true);

  auto& about = form.addMenu("menu_about", "A &propos...");
  opens(about.add("aide", "Aide"), w_.aux.showHelp);
  about.addSeparator("barre4");
  opens(about.add("about", "A propos de QUILBERT ..."), w_.aux.showAbout);
}

void MainMenus::language() {
  using namespace app;
  const auto& m = [this](int n) -> const std::string& { return texts_.msg(n); };
  auto& form = w_.form;
  const std::pair<const char*, int> items[] = {{"menu", kMsgMenuApplication},
                                               {"menu_connectall", kMsgMenuConnectAll},
                                               {"menu_deconnectall", kMsgMenuDisconnectAll},
                                               {"menu_resident", kMsgMenuResident},
                                               {"menu_agrandir", kMsgHideInTray},
                                               {"menu_quitter", kMsgMenuQuit},
                                               {"demarrage", kMsgMenuStartup},
                                               {"menu_Reseau", kMsgMenuNetwork},
                                               {"Rapport", kMsgMenuReport},
                                               {"menu_import", kMsgMapsImportMenu},
                                               {"menu_export", kMsgMapsExportMenu},
                                               {"menu_affichage", kMsgMenuView},
                                               {"menu_langue", kMsgMenuLanguage},
                                               {"menu_about", kMsgMenuAbout},
                                               {"aide", kMsgMenuHelp},
                                               {"about", kMsgMenuAboutBox}};
  for (const auto& [name, entry] : items) form.menu(name).setCaption(m(entry));
  form.setCaption(m(kMsgWindowTitle));
  for (int k = 1; k <= 3; ++k) form.menu("icone", k).setCaption(m(kMsgMenuThemeFirst + k - 1));
  form.menu("langue", 0).setCaption(m(kMsgMenuEnglish));
  form.menu("langue", 1).setCaption(m(kMsgMenuFrench));
  w_.Frame1.setCaption(m(kMsgDrivesFrame));
  w_.Label3.setCaption(m(kMsgActivationHeading));
  w_.Label1.setCaption(m(kMsgLetterHeading));
  w_.Label2.setCaption(m(kMsgPathHeading));
  w_.Frame2.setCaption(m(kMsgUserFrame));
  w_.Label5.setCaption(m(kMsgLoginLabel));
  w_.Label6.setCaption(m(kMsgPasswordLabel));
  forms::FlatButton* buttons[] = {&w_.modif,      &w_.effacer,  &w_.annulmodif, &w_.connection,
                                  &w_.disconnect, &w_.Command1, &w_.bt_reduc};
  for (int k = 0; k < 7; ++k) buttons[k]->setCaption(m(kMsgButtonFirst + k));
  w_.nomuser.setAccessibleName(m(kMsgLoginName));
  w_.password.setAccessibleName(m(kMsgPasswordName));
  for (int i = 1; i <= kDriveCount; ++i) {
    w_.nameRow(i, texts_);
    w_.Parcourir(i).setToolTip(m(kMsgBrowseTip));
    w_.lettreactive(i).setToolTip(m(kMsgActiveTip));
    w_.Test(i).setToolTip(m(kMsgTestTip));
    w_.Cheminreseau(i).setToolTip(m(kMsgPathTip));
  }
  for (int k = 0; k < 6; ++k) buttons[k]->setToolTip(m(kMsgButtonTipFirst + k));
}

void MainMenus::applyRunMode() {
  const bool admin = w_.AccessMode == Access::Administrator;
  if (!admin) w_.form.menu("Rapport").setEnabled(false);
  // The office's drive maps are the administrator's business.
  w_.form.menu("menu_import").setEnabled(admin);
  w_.form.menu("menu_export").setEnabled(admin);
}

}  // namespace quilbert::ui
