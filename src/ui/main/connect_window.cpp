#include "ui/main/connect_window.h"

#include "app/text.h"
#include "platform/forms/toolkit.h"
#include "ui/main/auto_run.h"
#include "ui/main/keeper.h"

namespace quilbert::ui {

using forms::Color;
using forms::Font;

namespace {

const Font kVerdana{"Verdana", 8.25, false, false};
const Font kVerdanaBold{"Verdana", 8.25, true, false};
const Font kButtonFont{"Verdana", 6.75, false, false};
const Font kSansSerif{"MS Sans Serif", 8.25, false, false};
constexpr Color kOrange = Color::fromBgr(0x000080FF);
constexpr int kRowStep = 300;

}  // namespace

ConnectWindow::ConnectWindow(Program& g)
    : Form(g.toolkit, "connect"),
      Frame1(add<forms::Frame>("Frame1")),
      Frame2(add<forms::Frame>("Frame2")),
      Label3(add<forms::Label>("Label3", 0, &Frame1)),
      Label1(add<forms::Label>("Label1", 0, &Frame1)),
      Label2(add<forms::Label>("Label2", 0, &Frame1)),
      Label5(add<forms::Label>("Label5", 0, &Frame2)),
      Label6(add<forms::Label>("Label6", 0, &Frame2)),
      nomuser(add<forms::TextBox>("nomuser", 0, &Frame2)),
      password(add<forms::TextBox>("password", 0, &Frame2)),
      modif(add<forms::FlatButton>("modif")),
      effacer(add<forms::FlatButton>("effacer")),
      annulmodif(add<forms::FlatButton>("annulmodif")),
      connection(add<forms::FlatButton>("connection")),
      disconnect(add<forms::FlatButton>("disconnect")),
      bt_reduc(add<forms::FlatButton>("bt_reduc")),
      Command1(add<forms::FlatButton>("Command1")),
      Image1(add<forms::Image>("Image1")),
      ImageList3(add<forms::ImageList>("ImageList3")),
      g_(g) {
  setCaption("Connecteurs de lecteurs réseau");
  setClientSize({8670, 8625});
  setBackColor(forms::kFormGrey);
  setBorderStyle(forms::BorderStyle::FixedSingle);
  const char sep = app::separator();
  // The program's folder, not AppDir: Form_Load sets that only later, and the
  // designed pictures must not depend on the current folder.
  std::string dir = g.svc.process.appDir();
  if (!dir.empty() && dir.back() != sep) dir += sep;
  const std::string ico = dir + "ico" + sep;
  setIcon(picture(g.toolkit, ico + "quilbert"));
  designFrames();
  designButtons(ico);
  designFirstRow();
  wireRow(1);
  buildMenus();
  wireEvents();
  g.state.MainWindow = this;
}

void ConnectWindow::designFrames() {
  Frame1.move({120, 120, 6615, 8415});
  Frame1.setCaption("Identification des connections réseau");
  Frame1.setFont(kVerdanaBold);
  Frame2.move({6870, 120, 1695, 1665});
  Frame2.setCaption("Utilisateur");
  Frame2.setFont({"Tahoma", 8.25, true, false});
  Label5.move({150, 300, 1335, 195});
  Label5.setCaption("Login (nom) :");
  Label6.move({150, 930, 1335, 195});
  Label6.setCaption("Mot de passe :");
  nomuser.move({150, 540, 1365, 285});
  nomuser.setFont(kSansSerif);
  password.move({150, 1170, 1365, 270});
  password.setFont({"Wingdings", 8.25, false, true});
  password.setPasswordChar(U'l');
  Label3.move({210, 240, 915, 195});
  Label3.setCaption("Activation");
  Label1.move({1230, 240, 495, 195});
  Label1.setCaption("Lettre");
  Label2.move({1890, 240, 1395, 195});
  Label2.setCaption("Chemin réseau");
  for (forms::Label* l : {&Label3, &Label1, &Label2, &Label5, &Label6}) l->setFont(kVerdana);
}

// The command buttons on the right, the lines between them and the pictures.
void ConnectWindow::designButtons(const std::string& ico) {
  struct ButtonDesign {
    forms::FlatButton* button;
    int top;
    const char* caption;
  };
  for (const auto& b :
       {ButtonDesign{&modif, 1860, "Enregistrer"}, ButtonDesign{&effacer, 2760, "&Tout effacer"},
        ButtonDesign{&annulmodif, 3660, "&Annuler"}, ButtonDesign{&connection, 4650, "&Connecter"},
        ButtonDesign{&disconnect, 5550, "&Déconnecter"}, ButtonDesign{&bt_reduc, 6750, "&Réduire"},
        ButtonDesign{&Command1, 7650, "&Quitter"}}) {
    b.button->move({6870, b.top, 1635, 825});
    b.button->setCaption(b.caption);
    b.button->setFont(kButtonFont);
    b.button->setMaskColor(Color::fromBgr(0x00C0C0FF));
  }
  struct LineDesign {
    int index, x1, y1, x2, y2;
  };
  for (const auto& l :
       {LineDesign{0, 6900, 6540, 7470, 6540}, LineDesign{1, 6900, 4560, 8490, 4560},
        LineDesign{2, 7860, 6540, 8490, 6540}}) {
    auto& line = add<forms::Line>("Line1", l.index);
    line.setEnds(l.x1, l.y1, l.x2, l.y2);
    line.setBorderWidth(3);
    line.setForeColor(kOrange);
  }
  Image1.move({7530, 6420, 240, 240});
  Image1.setPicture(picture(g_.toolkit, ico + "tray16"));
  for (int n = 1; n <= 3; ++n)
    ImageList3.add(picture(g_.toolkit, ico + "browse" + std::to_string(n)));
  ImageList3.setVisible(false);
}

void ConnectWindow::designFirstRow() {
  // Row 1 as designed; rows 2 to 26 are copies made at the first load.
  auto& browse = add<forms::FlatButton>("Parcourir", 1, &Frame1);
  browse.move({270, 480, 405, 255});
  browse.setEnabled(false);
  browse.setPicture(ImageList3.image(3));
  auto& active = add<forms::CheckBox>("lettreactive", 1, &Frame1);
  active.move({840, 510, 225, 225});
  auto& letter = add<forms::Label>("lettrereseau", 1, &Frame1);
  letter.move({1290, 480, 315, 285});
  letter.setFont(kVerdanaBold);
  letter.setAlignment(forms::Alignment::Center);
  letter.setCaption("A:");
  auto& path = add<forms::TextBox>("Cheminreseau", 1, &Frame1);
  path.move({1890, 480, 3915, 255});
  path.setFont(kSansSerif);
  path.setBorderColor(Color::fromBgr(0x00C0C0C0));
  auto& test = add<forms::FlatButton>("Test", 1, &Frame1);
  test.move({5880, 480, 465, 285});
  test.setFont({"Verdana", 6.75, true, false});
}

void ConnectWindow::wireEvents() {
  nomuser.onChange = [this] { credentials_Change(); };
  password.onChange = [this] { credentials_Change(); };
  modif.onClick = [this] { modif_Click(); };
  effacer.onClick = [this] { effacer_Click(); };
  annulmodif.onClick = [this] { annulmodif_Click(); };
  connection.onClick = [this] { connection_Click(); };
  disconnect.onClick = [this] { disconnect_Click(); };
  bt_reduc.onClick = [this] { menu_agrandir_Click(); };
  Command1.onClick = [this] { fnquitter(); };
  onLoad = [this] { Form_Load(); };
  onMouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
  onQueryUnload = [this](int& cancel, forms::UnloadReason r) { Form_QueryUnload(cancel, r); };
}

void ConnectWindow::buildMenus() {
  auto& app = addMenu("menu", "Application");
  app.add("menu_connectall", "Connecter tous les lecteurs").onClick = [this] {
    connection_Click();
  };
  app.add("menu_deconnectall", "Déconnecter tous les lecteurs").onClick = [this] {
    disconnect_Click();
  };
  app.addSeparator("barre0");
  app.add("demarrage", "Démarrage à l'ouverture de Windows").onClick = [this] {
    demarrage_Click();
  };
  app.add("menu_keyring", "Garder les mots de passe dans le trousseau du système").onClick =
      [this] { menu_keyring_Click(); };
  app.addSeparator("barre7");
  app.add("menu_resident", "Exécution en arrière plan").onClick = [this] { menu_resident_Click(); };
  app.addSeparator("barre1");
  app.add("menu_agrandir", "Agrandir").onClick = [this] { menu_agrandir_Click(); };
  app.addSeparator("barre2");
  app.add("menu_quitter", "Quitter").onClick = [this] { fnquitter(); };

  auto& net = addMenu("menu_Reseau", "Analyse du &Réseau");
  net.add("Rapport", "&Ressources et Connections").onClick = [this] {
    if (aux.showReport) aux.showReport();
  };
  net.addSeparator("barre_maps");
  net.add("menu_import", "Importer").onClick = [this] { menu_import_Click(); };
  net.add("menu_export", "Exporter").onClick = [this] { menu_export_Click(); };

  auto& view = addMenu("menu_affichage", "A&ffichage");
  const char* themes[] = {"Icônes Windows XP", "Icônes Sony Vaio", "Icônes BeOS"};
  for (int k = 1; k <= 3; ++k) {
    view.add("icone", themes[k - 1], k).onClick = [this, k] { icone_Click(k); };
  }

  auto& lang = addMenu("menu_langue", "&Langue");
  lang.add("langue", "Anglais", 0).onClick = [this] { langue_Click(0); };
  auto& fr = lang.add("langue", "Français", 1);
  fr.setChecked(true);
  fr.onClick = [this] { langue_Click(1); };

  auto& about = addMenu("menu_about", "A &propos...");
  about.add("aide", "Aide").onClick = [this] {
    if (aux.showHelp) aux.showHelp();
  };
  about.addSeparator("barre4");
  about.add("about", "A propos de QUILBERT ...").onClick = [this] {
    if (aux.showAbout) aux.showAbout();
  };
}

void ConnectWindow::wireRow(int i) {
  Cheminreseau(i).onChange = [this, i] { Cheminreseau_Change(i); };
  lettreactive(i).onClick = [this, i] { lettreactive_Click(i); };
  Parcourir(i).onClick = [this, i] { Parcourir_Click(i); };
  Test(i).onClick = [this, i] { Test_Click(i); };
}

int ConnectWindow::rowCount() const {
  int n = 0;
  while (find("Cheminreseau", n + 1) != nullptr) ++n;
  return n;
}

void ConnectWindow::BuildDriveRows() {
  for (int i = 2; i <= app::kDriveCount; ++i) {
    for (const char* name : {"Parcourir", "lettreactive", "lettrereseau", "Cheminreseau", "Test"}) {
      auto& c = loadElement<forms::Control>(name, i);
      c.setVisible(true);
      c.setEnabled(true);
      c.setTop(get<forms::Control>(name, i - 1).top() + kRowStep);
    }
    Test(i).setCaption("");
    lettrereseau(i).setCaption(std::string(1, static_cast<char>('A' + i - 1)) + ":");
    wireRow(i);
  }
}

void ConnectWindow::ApplyRunMode() {
  const bool admin = AccessMode == "qelvo";
  for (int i = 1; i <= app::kDriveCount; ++i) {
    Parcourir(i).setEnabled(admin);
    if (!admin) Parcourir(i).setPicture(ImageList3.image(3));
  }
  if (!admin) menu("Rapport").setEnabled(false);
  // The office's drive maps are the administrator's business.
  menu("menu_import").setEnabled(admin);
  menu("menu_export").setEnabled(admin);
}

void ConnectWindow::ShowDriveTable() {
  for (int i = 1; i <= app::kDriveCount; ++i) {
    auto& e = g_.config.DriveTable[static_cast<std::size_t>(i)];
    Cheminreseau(i).setText(e.Path);
    if (AccessMode == "qelvo") {
      Parcourir(i).setPicture(ImageList3.image(app::isBlank(e.Path) ? 1 : 2));
    }
    lettrereseau(i).setCaption(e.letterText(i) + ":");
    lettrereseau(i).setForeColor(forms::kWindowText);
    using app::Activation;
    if (e.Active == Activation::Off || e.Active == Activation::On ||
        e.Active == Activation::Greyed) {
      lettreactive(i).setValue(static_cast<char>(e.Active) - '0');
    } else {
      lettreactive(i).setValue(0);
      e.Active = Activation::Off;
    }
    if (app::isBlank(Cheminreseau(i).text())) {
      lettreactive(i).setValue(0);
      e.Active = Activation::Off;
    }
  }
  nomuser.setText(g_.config.DriveTable[1].Login);
  password.setText(g_.config.DriveTable[1].Password);
}

void ConnectWindow::markChanged() {
  modif.setEnabled(true);
  annulmodif.setEnabled(true);
  EntryModified = "o";
}

}  // namespace quilbert::ui
