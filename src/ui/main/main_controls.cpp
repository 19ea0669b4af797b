#include "ui/main/main_controls.h"

#include "app/catalogue.h"

namespace quilbert::ui {

using forms::Color;
using forms::Font;

namespace {

const Font kVerdana{"Verdana", 8.25, false, false};
const Font kVerdanaBold{"Verdana", 8.25, true, false};
const Font kButtonFont{"Verdana", 6.75, false, false};
const Font kSansSerif{"MS Sans Serif", 8.25, false, false};
constexpr Color kOrange = Color::fromBgr(0x000080FF);

}  // namespace

MainControls::MainControls(forms::Form& f, Program& g)
    : form(f),
      Frame1(f.add<forms::Frame>("Frame1")),
      Frame2(f.add<forms::Frame>("Frame2")),
      Label3(f.add<forms::Label>("Label3", 0, &Frame1)),
      Label1(f.add<forms::Label>("Label1", 0, &Frame1)),
      Label2(f.add<forms::Label>("Label2", 0, &Frame1)),
      Label5(f.add<forms::Label>("Label5", 0, &Frame2)),
      Label6(f.add<forms::Label>("Label6", 0, &Frame2)),
      nomuser(f.add<forms::TextBox>("nomuser", 0, &Frame2)),
      password(f.add<forms::TextBox>("password", 0, &Frame2)),
      modif(f.add<forms::FlatButton>("modif")),
      effacer(f.add<forms::FlatButton>("effacer")),
      annulmodif(f.add<forms::FlatButton>("annulmodif")),
      connection(f.add<forms::FlatButton>("connection")),
      disconnect(f.add<forms::FlatButton>("disconnect")),
      bt_reduc(f.add<forms::FlatButton>("bt_reduc")),
      Command1(f.add<forms::FlatButton>("Command1")),
      Image1(f.add<forms::Image>("Image1")),
      ImageList3(f.add<forms::ImageList>("ImageList3")) {
  form.setCaption("Connecteurs de lecteurs réseau");
  form.setClientSize({8670, 8625});
  form.setBackColor(forms::kFormGrey);
  form.setBorderStyle(forms::BorderStyle::FixedSingle);
  const char sep = app::separator();
  // The program's folder, not AppDir: Form_Load sets that only later, and the
  // designed pictures must not depend on the current folder.
  std::string dir = g.svc.process.appDir();
  if (!dir.empty() && dir.back() != sep) dir += sep;
  const std::string ico = dir + "ico" + sep;
  form.setIcon(picture(g.toolkit, ico + "quilbert"));
  designFrames();
  designButtons(g.toolkit, ico);
  designFirstRow();
  arrangeRow(1);
  int after = (app::kDriveCount + 1) * 10;
  for (forms::Control* c :
       std::initializer_list<forms::Control*>{&nomuser, &password, &modif, &effacer, &annulmodif,
                                              &connection, &disconnect, &bt_reduc, &Command1}) {
    c->setTabIndex(after++);
  }
}

void MainControls::designFrames() {
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
void MainControls::designButtons(forms::Toolkit& toolkit, const std::string& ico) {
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
    auto& line = form.add<forms::Line>("Line1", l.index);
    line.setEnds(l.x1, l.y1, l.x2, l.y2);
    line.setBorderWidth(3);
    line.setForeColor(kOrange);
  }
  Image1.move({7530, 6420, 240, 240});
  Image1.setPicture(picture(toolkit, ico + "tray16"));
  for (int n = 1; n <= 3; ++n) ImageList3.add(picture(toolkit, ico + "browse" + std::to_string(n)));
  ImageList3.setVisible(false);
}

void MainControls::designFirstRow() {
  // Row 1 as designed; rows 2 to 26 are copies made at the first load.
  auto& browse = form.add<forms::FlatButton>("Parcourir", 1, &Frame1);
  browse.move({270, 480, 405, 255});
  browse.setEnabled(false);
  browse.setPicture(ImageList3.image(3));
  auto& active = form.add<forms::CheckBox>("lettreactive", 1, &Frame1);
  active.move({840, 510, 225, 225});
  auto& letter = form.add<forms::Label>("lettrereseau", 1, &Frame1);
  letter.move({1290, 480, 315, 285});
  letter.setFont(kVerdanaBold);
  letter.setAlignment(forms::Alignment::Center);
  letter.setCaption("A:");
  auto& mark = form.add<forms::Label>("etatlettre", 1, &Frame1);
  mark.move({1605, 480, 270, 285});
  mark.setFont({"Segoe UI Symbol", 9, true, false});
  mark.setAlignment(forms::Alignment::Center);
  auto& path = form.add<forms::TextBox>("Cheminreseau", 1, &Frame1);
  path.move({1890, 480, 3915, 255});
  path.setFont(kSansSerif);
  path.setBorderColor(Color::fromBgr(0x00C0C0C0));
  auto& test = form.add<forms::FlatButton>("Test", 1, &Frame1);
  test.move({5880, 480, 465, 285});
  test.setFont({"Verdana", 6.75, true, false});
}

void MainControls::arrangeRow(int i) const {
  constexpr int kPerRow = 10;
  lettreactive(i).setTabIndex(i * kPerRow + 1);
  Cheminreseau(i).setTabIndex(i * kPerRow + 2);
  Parcourir(i).setTabIndex(i * kPerRow + 3);
  Test(i).setTabIndex(i * kPerRow + 4);
}

void MainControls::nameRow(int i, const app::Catalogue& texts) const {
  const std::string letter = lettrereseau(i).caption();
  lettreactive(i).setAccessibleName(texts.msg(app::kMsgActiveName, {letter}));
  Cheminreseau(i).setAccessibleName(texts.msg(app::kMsgPathName, {letter}));
  Parcourir(i).setAccessibleName(texts.msg(app::kMsgBrowseName, {letter}));
  Test(i).setAccessibleName(texts.msg(app::kMsgTestName, {letter}));
}

int MainControls::rowCount() const {
  int n = 0;
  while (form.find("Cheminreseau", n + 1) != nullptr) ++n;
  return n;
}

void MainControls::markChanged() {
  modif.setEnabled(true);
  annulmodif.setEnabled(true);
  EntryModified = true;
}

}  // namespace quilbert::ui
