#include "ui/report/report_window.h"

#include <exception>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/text.h"
#include "net/credential_source.h"
#include "net/primitives.h"
#include "platform/forms/toolkit.h"
#include "platform/secret.h"
#include "ui/common/topmost.h"
#include "ui/report/net_resources.h"

namespace quilbert::ui {

using forms::Font;
using forms::MousePointer;

namespace {

const Font kWindowFont{"Verdana", 8.25, true, false};
const Font kHeadingFont{"Verdana", 8.25, false, false};
constexpr forms::Color kDarkRed{128, 0, 0};
constexpr int kNetworkDrive = 3;

// Runs one step of the build; a step that fails is skipped, silently.
template <class Step>
void skipOnFailure(Step&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

}  // namespace

ReportForm::ReportForm(Program& g)
    : Form(g.toolkit, "Form1"),
      Label1(add<forms::Label>("Label1")),
      Label2(add<forms::Label>("Label2")),
      Label3(add<forms::Label>("Label3")),
      Label4(add<forms::Label>("Label4")),
      text2(add<forms::ListBox>("text2")),
      text1(add<forms::ListBox>("text1")),
      Command1(add<forms::PushButton>("Command1")),
      Timer1(add<forms::Timer>("Timer1")),
      g_(g) {
  setCaption("Rapport réseau");
  setClientSize({8835, 5190});
  setBorderStyle(forms::BorderStyle::FixedDialog);
  setBackColor(forms::kFormGrey);
  setShowInTaskbar(false);

  Label1.move({120, 120, 1875, 285});
  Label2.move({2040, 120, 2385, 315});
  Label3.move({120, 420, 4395, 285});
  Label4.move({4740, 420, 2595, 285});
  for (forms::Label* l : {&Label1, &Label3, &Label4}) l->setFont(kHeadingFont);
  Label2.setFont(kWindowFont);
  Label2.setForeColor(kDarkRed);
  text2.move({90, 750, 4515, 4350});
  text1.move({4740, 750, 3975, 3960});
  Command1.move({4740, 4770, 3975, 345});
  Command1.setCaption("Fermer");
  for (forms::Control* c : std::initializer_list<forms::Control*>{&text2, &text1, &Command1}) {
    c->setFont(kWindowFont);
  }
  Timer1.setInterval(200);
  Timer1.setTimerEnabled(false);

  onLoad = [this] { Form_Load(); };
  Timer1.onTick = [this] { Timer1_Timer(); };
  Command1.onClick = [this] { unload(); };
}

void ReportForm::Form_Load() {
  bool onTop = true;
  SetTopMost(*this, onTop);
  firstpass = true;
  setCaption(g_.texts.msg(app::kMsgReportTitle));
  Label1.setCaption(g_.texts.msg(app::kMsgUser) + " :");
  Label3.setCaption(g_.texts.msg(app::kMsgNetworkResources) + " :");
  Label4.setCaption(g_.texts.msg(app::kMsgConnectedDrives) + " :");
  Command1.setCaption(g_.texts.msg(app::kMsgClose));
  // The lists are named by the headings above them.
  text2.setAccessibleName(g_.texts.msg(app::kMsgNetworkResources));
  text1.setAccessibleName(g_.texts.msg(app::kMsgConnectedDrives));
  Timer1.setTimerEnabled(true);
}

void ReportForm::Timer1_Timer() {
  Timer1.setTimerEnabled(false);
  refresh();
  forms::Toolkit& tk = toolkit();
  tk.setMousePointer(MousePointer::Hourglass);
  tk.setMousePointer(MousePointer::Default);
  if (!firstpass) return;
  tk.setMousePointer(MousePointer::Hourglass);
  firstpass = false;
  skipOnFailure([this] { showUserName(); });
  listNetworkDrives();
  if (loaded()) EnumNetResources(g_.svc.network, g_.texts, *this, text2);
  tk.setMousePointer(MousePointer::Default);
}

void ReportForm::showUserName() {
  std::string name;
  try {
    name = net::UserName(g_.svc.network, "");
  } catch (const std::exception&) {
    name.clear();  // an unknown user is shown as such
  }
  name = app::lowerCase(name.substr(0, name.find('\0')));
  if (app::isBlank(name)) name = g_.texts.msg(app::kMsgUnknownUser);
  Label2.setCaption(name);
}

// Where the credentials of the program's own letter come from, as " (...)";
// "" for a letter the program does not hold.
std::string ReportForm::credentialsOf(char letter) {
  const app::DriveEntry& e = g_.config.DriveTable[static_cast<std::size_t>(letter - 'A' + 1)];
  if (!app::isActiveEntry(e)) return {};
  net::LetterCredentials from = net::letterCredentials(g_.svc, e.Path, e.Login, e.Password);
  platform::wipe(from.password);
  return " (" + net::credentialSourceText(g_.texts, from.source) + ")";
}

void ReportForm::listNetworkDrives() {
  std::string previous;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    // A letter whose lookup fails adds nothing; the previous-line check
    // keeps a drive that answers for two letters from being listed twice.
    skipOnFailure([&] {
      const auto drive = g_.svc.drives.getDrive(letter);
      if (!drive || drive->type != kNetworkDrive) return;
      std::string line =
          g_.texts.msg(app::kMsgDrive) + " " + drive->letter + ": - " + drive->shareName;
      if (line == previous) return;
      text1.addItem(line + credentialsOf(letter));
      previous = std::move(line);
    });
  }
}

void ReportWindow::show() {
  if (isOpen()) return;  // modal: it is already in front
  form_ = std::make_unique<ReportForm>(g_);
  form_->showModal();
  form_.reset();
}

void ReportWindow::closeIfOpen() {
  if (isOpen()) form_->unload();
}

}  // namespace quilbert::ui
