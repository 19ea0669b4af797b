#include "ui/common/about_box.h"

#include "platform/forms/toolkit.h"
#include "ui/common/topmost.h"

namespace quilbert::ui {

namespace {

constexpr int kPanelHeight = 2340;
constexpr int kTickMs = 25;

}  // namespace

AboutForm::AboutForm(Program& g)
    : Form(g.toolkit, "apropos"),
      Picture1(add<forms::PictureBox>("Picture1")),
      Picture2(add<forms::PictureBox>("Picture2")),
      Picture4(add<forms::PictureBox>("Picture4", 0, &Picture2)),
      Picture3(add<forms::PictureBox>("Picture3")),
      Timer1(add<forms::Timer>("Timer1")),
      g_(g) {
  setCaption("");
  setBorderStyle(forms::BorderStyle::FixedSingle);
  setTitleBar(false);
  setClientSize({3330, 3330});
  setBackColor(forms::kWindowBackground);
  setShowInTaskbar(false);

  const std::string art = g.places.AppDir + "ico" + app::separator();
  Picture1.move({0, 0, 3330, 795});
  Picture1.setPicture(picture(g.toolkit, art + "about_banner"));
  Picture2.move({0, 780, 3330, kPanelHeight});
  Picture2.setPicture(picture(g.toolkit, art + "about_panel"));
  // Just below the visible part of the panel.
  Picture4.move({240, kPanelHeight, 2895, 3705});
  Picture3.move({0, 3120, 3330, 195});
  Picture3.setPicture(picture(g.toolkit, art + "about_strip"));
  Timer1.setInterval(kTickMs);
  Timer1.setTimerEnabled(false);

  onLoad = [this] { Form_Load(); };
  Timer1.onTick = [this] { Timer1_Timer(); };
  // A click anywhere closes it: on a picture or on the window between them.
  for (forms::PictureBox* p : {&Picture1, &Picture2, &Picture4, &Picture3}) {
    p->onClick = [this] { unload(); };
  }
  onClick = [this] { unload(); };
}

void AboutForm::Form_Load() {
  bool onTop = true;
  SetTopMost(*this, onTop);
  // Opening the box settles a language that was never chosen, for the whole program.
  if (g_.config.LanguageFile.empty()) g_.config.LanguageFile = "langage_fr.txt";
  const char* file =
      g_.config.LanguageFile == "langage_fr.txt" ? "apropos_fr.bmp" : "apropos_gb.bmp";
  const auto picture = toolkit().loadPicture(g_.places.LangDir + file);
  if (!picture) {
    // Nothing to scroll: the panel stays as the artwork draws it.
    Picture4.setVisible(false);
    return;
  }
  Picture4.setPicture(*picture);
  if (picture->width > 0 && picture->height > 0) {
    Picture4.setWidth(picture->width * forms::kTwipsPerPixel);
    Picture4.setHeight(picture->height * forms::kTwipsPerPixel);
  }
  startLeft_ = Picture4.left();
  scrollLimit_ = -(Picture4.height() - Picture2.height());
  Timer1.setTimerEnabled(true);
}

void AboutForm::Timer1_Timer() {
  const int top = Picture4.top();
  if (top < scrollLimit_) {
    // The end of the picture is in view: it stays there.
    Timer1.setTimerEnabled(false);
    return;
  }
  Picture4.move({startLeft_, top - 1, Picture4.width(), Picture4.height()});
}

void AboutBox::show() {
  AboutForm form(g_);
  form.showModal();
}

}  // namespace quilbert::ui
