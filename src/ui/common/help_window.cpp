#include "ui/common/help_window.h"

#include "app/catalogue.h"
#include "ui/common/topmost.h"

namespace quilbert::ui {

namespace {

const forms::Font kText{"Verdana", 8.25, false, false};
const forms::Font kHeading{"Verdana", 8.25, true, false, true};
constexpr forms::Color kRust{192, 64, 0};

}  // namespace

HelpForm::HelpForm(Program& g)
    : Form(g.toolkit, "Form_aide"),
      Label1(add<forms::Label>("Label1")),
      Label2(add<forms::Label>("Label2")),
      Label3(add<forms::Label>("Label3")),
      Label4(add<forms::Label>("Label4")),
      Label5(add<forms::Label>("Label5")),
      Label6(add<forms::Label>("Label6")),
      Label8(add<forms::Label>("Label8")),
      Label7(add<forms::Label>("Label7")),
      Label9(add<forms::Label>("Label9")),
      g_(g) {
  setCaption("Aide à la connection");
  // Room for the last line to take two lines: its text does not fit one.
  setClientSize({6030, 3945});
  setBorderStyle(forms::BorderStyle::FixedSingle);
  setBackColor(forms::kFormGrey);
  designPage();
  onLoad = [this] { Form_Load(); };
}

// The page as designed, in French until the catalogue's texts replace it.
void HelpForm::designPage() {
  struct Design {
    forms::Label& label;
    forms::Rect rect;
    const char* text;
  };
  const Design page[] = {
      {Label1, {90, 90, 4545, 285}, "Paramétrage Réseau"},
      {Label2,
       {90, 390, 5385, 315},
       "En préliminaire à une connection réseau, Votre poste de travail doit :"},
      {Label3,
       {300, 720, 5595, 495},
       "- être dans le même domaine que celui où vous désirez vous connecter (exemple "
       "WORKGROUP par défaut chez Microsoft) ;"},
      {Label4,
       {300, 1200, 5595, 555},
       "- posséder une adresse IP de connection valable sur le réseau. (Voir votre "
       "administateur pour obtenir une adresse IP)."},
      {Label5, {90, 1740, 4545, 285}, "Exécution du logiciel QUILBERT"},
      {Label6, {90, 2040, 5385, 315}, "QUILBERT dispose de deux modes de fonctionnement :"},
      {Label8,
       {300, 2370, 5595, 495},
       "- le mode manuel par défaut : le logiciel s'affiche et on peut alors paramétrer les "
       "connections (adresse, login, mot de passe) ;"},
      {Label7,
       {300, 2850, 5595, 555},
       "- le mode automatique (avec un paramètre de ligne de commande /a) : le logiciel "
       "établit les connections en mode silencieux."},
      {Label9,
       {300, 3360, 5595, 495},
       "Ce mode est activable par le menu Démarrage de l'application."},
  };
  for (const Design& d : page) {
    d.label.move(d.rect);
    d.label.setFont(kText);
    d.label.setBackColor(forms::kFormGrey);
    d.label.setCaption(d.text);
  }
  Label1.setFont(kHeading);
  Label5.setFont(kHeading);
  Label9.setForeColor(kRust);
}

void HelpForm::Form_Load() {
  bool onTop = true;
  SetTopMost(*this, onTop);
  setCaption(g_.texts.msg(app::kMsgHelpTitle));
  Label1.setCaption(g_.texts.msg(app::kMsgHelpNetwork));
  Label2.setCaption(g_.texts.msg(app::kMsgHelpBefore));
  // The catalogue holds the list items bare; the page adds their dash and mark.
  Label3.setCaption("- " + g_.texts.msg(app::kMsgHelpSameGroup) + " ;");
  Label4.setCaption("- " + g_.texts.msg(app::kMsgHelpAddress) + ".");
  Label5.setCaption(g_.texts.msg(app::kMsgHelpRunning));
  Label6.setCaption(g_.texts.msg(app::kMsgHelpTwoWays));
  Label8.setCaption("- " + g_.texts.msg(app::kMsgHelpManual) + " ;");
  Label7.setCaption("- " + g_.texts.msg(app::kMsgHelpAutomatic) + ".");
  Label9.setCaption(g_.texts.msg(app::kMsgHelpStartup));
}

void HelpWindow::show() {
  if (!isLoaded()) form_ = std::make_unique<HelpForm>(g_);
  form_->show();
}

void HelpWindow::hideIfOpen() {
  if (isLoaded()) form_->hide();
}

void HelpWindow::unloadIfLoaded() {
  if (isLoaded()) form_->unload();
}

}  // namespace quilbert::ui
