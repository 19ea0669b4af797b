#include "ui/common/dialog.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "app/catalogue.h"
#include "platform/forms/toolkit.h"
#include "ui/common/topmost.h"

namespace quilbert::ui {

using forms::Font;
using forms::PictureBox;
using forms::PushButton;

namespace {

const Font kVerdana{"Verdana", 8.25, false, false};

int rounded(double v) {
  return static_cast<int>(std::lround(v));
}

// The text with line breaks added so that no line is wider than `width`:
// lines break between words, and a word too long for a line (a path) after
// one of its backslashes, or anywhere as a last resort.
std::string wrapped(const forms::Toolkit& tk, const Font& font, std::string_view text, int width) {
  auto fits = [&](std::string_view s) { return tk.measureText(font, s).width <= width; };
  std::string out;
  auto endLine = [&](std::string_view line) {
    if (!out.empty()) out += "\r\n";
    out += line;
  };
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\n', start);
    std::string_view paragraph = text.substr(start, end == text.npos ? text.npos : end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    if (fits(paragraph)) {
      endLine(paragraph);
    } else {
      std::string line;
      std::size_t at = 0;
      while (at <= paragraph.size()) {
        std::size_t space = paragraph.find(' ', at);
        if (space == paragraph.npos) space = paragraph.size();
        std::string_view word = paragraph.substr(at, space - at);
        at = space + 1;
        if (line.empty() ? fits(word) : fits(line + " " + std::string(word))) {
          line += (line.empty() ? "" : " ") + std::string(word);
          continue;
        }
        if (!line.empty()) endLine(line);
        while (!fits(word)) {
          // The longest start that fits, ending after a backslash if one does.
          std::size_t cut = 0;
          std::size_t afterSlash = 0;
          for (std::size_t i = 1; i < word.size(); ++i) {
            if ((static_cast<unsigned char>(word[i]) & 0xC0U) == 0x80U)
              continue;  // inside a character
            if (!fits(word.substr(0, i))) break;
            cut = i;
            if (word[i - 1] == '\\') afterSlash = i;
          }
          if (afterSlash > 0) cut = afterSlash;
          if (cut == 0) break;  // not even one character fits: leave it whole
          endLine(word.substr(0, cut));
          word.remove_prefix(cut);
        }
        line = std::string(word);
      }
      endLine(line);
    }
    if (end == text.npos) break;
    start = end + 1;
  }
  return out;
}

}  // namespace

DialogForm::DialogForm(Program& g)
    : Form(g.toolkit, "Dialog"),
      iconeaff(add<PictureBox>("iconeaff")),
      txtmessage(add<forms::Label>("txtmessage")),
      OuiButton(add<PushButton>("OuiButton")),
      OKButton(add<PushButton>("OKButton")),
      NonButton(add<PushButton>("NonButton")),
      CancelButton(add<PushButton>("CancelButton")),
      warningPicture(add<PictureBox>("Picture1", 0)),
      informationPicture(add<PictureBox>("Picture1", 1)),
      g_(g) {
  setCaption("Boîte de dialogue");
  setClientSize({2730, 1395});
  setBackColor(forms::kFormGrey);
  setBorderStyle(forms::BorderStyle::FixedDialog);
  setShowInTaskbar(false);
  iconeaff.move({120, 120, 720, 720});
  txtmessage.move({930, 360, 1695, 225});
  txtmessage.setFont(kVerdana);
  txtmessage.setAutoSize(true);
  txtmessage.move({930, 360, 1695, 225});  // the designed size, until a caption is set
  OuiButton.move({90, 930, 1215, 375});
  OuiButton.setCaption("Oui");
  OKButton.move({840, 930, 1215, 375});
  OKButton.setCaption("Ok");
  NonButton.move({1440, 930, 1215, 375});
  NonButton.setCaption("Non");
  CancelButton.move({2670, 930, 1215, 375});
  CancelButton.setCaption("Annuler");
  for (PushButton* b : {&OuiButton, &OKButton, &NonButton, &CancelButton}) b->setFont(kVerdana);
  warningPicture.setVisible(false);
  warningPicture.setPicture(
      picture(g.toolkit, g.places.AppDir + "ico" + app::separator() + "dialog_warning"));
  informationPicture.setVisible(false);
  informationPicture.setPicture(
      picture(g.toolkit, g.places.AppDir + "ico" + app::separator() + "dialog_info"));

  OKButton.onClick = [this] { answer(kAnswerOk); };
  OuiButton.onClick = [this] { answer(kAnswerYes); };
  NonButton.onClick = [this] { answer(kAnswerNo); };
  CancelButton.onClick = [this] { answer(kAnswerCancel); };
  for (PushButton* b : {&OuiButton, &NonButton, &CancelButton}) {
    b->onKeyDown = [this](int key, int) { lettersKey(key); };
  }
  for (PictureBox* p : {&iconeaff, &warningPicture, &informationPicture}) {
    p->onKeyUp = [this](int key, int) { lettersKey(key); };
  }
  // The close box answers as the cancel button of the kind does, so that no
  // earlier answer is left in DialogResult and the pointer comes back.
  onQueryUnload = [this](int& cancel, forms::UnloadReason reason) {
    if (reason != forms::UnloadReason::ControlMenu) return;
    cancel = 1;
    answer(kind == kDialogYesNo         ? kAnswerNo
           : kind == kDialogYesNoCancel ? kAnswerCancel
                                        : kAnswerOk);
  };
}

void DialogForm::lettersKey(int keyCode) {
  if (!OuiButton.enabled()) return;
  if (keyCode == 78) answer(kAnswerNo);
  if (keyCode == 79) answer(kAnswerYes);
}

void DialogForm::answer(int result) {
  if (!loaded()) return;
  g_.state.DialogResult = static_cast<std::int16_t>(result);
  hide();
  if (g_.state.MainWindow != nullptr) g_.state.MainWindow->refresh();
  unload();
  toolkit().setMousePointer(g_.state.SavedMousePointer);
}

void ShowDialog(Program& g, const std::string& text, int kind, int icon, const std::string& title) {
  ShowDialog(g, text, kind, icon, title, nullptr);
}

namespace {

// Sizes the dialog to its text and title, as far as the work area allows,
// the buttons centred below the text.
void fitToText(forms::Toolkit& tk, DialogForm& d, const std::string& text,
               const std::string& title) {
  auto& label = d.txtmessage;
  auto& ok = d.OKButton;
  const int w0 = d.width();
  const int h0 = d.height();
  const double okCentreY = ok.top() + ok.height() / 2.0;
  const int gap = rounded((d.NonButton.left() - d.OuiButton.left()) / 2.0);
  const double labelCentreX = label.left() + label.width() / 2.0;
  const double labelCentreY = label.top() + label.height() / 2.0;
  const int lw0 = label.width();

  // The dialog may take the screen's work area and no more: a longer text
  // is wrapped inside it.
  const forms::Size area = tk.workArea();
  label.setCaption(wrapped(tk, label.font(), text, area.width - (w0 - lw0)));
  const int lw1 = label.width();
  const int lh1 = label.height();

  auto centreButtons = [&] {
    ok.setLeft(rounded(d.width() / 2.0 - ok.width() / 2.0));
    d.OuiButton.setLeft(ok.left() - gap);
    d.NonButton.setLeft(d.OuiButton.left() + 2 * gap);
  };
  auto buttonsTop = [&](int top) {
    for (PushButton* b : {&ok, &d.OuiButton, &d.NonButton, &d.CancelButton}) b->setTop(top);
  };
  if (lw1 > lw0) {
    const int grow = lw1 - lw0;
    d.setWidth(w0 + grow);
    label.setLeft(rounded(labelCentreX + grow / 2.0 - lw1 / 2.0));
    d.setHeight(h0);
    label.setTop(rounded(labelCentreY - label.height() / 2.0));
    buttonsTop(rounded(okCentreY - ok.height() / 2.0));
    centreButtons();
  }
  if (lh1 > d.iconeaff.height()) {
    // Taller than the work area: the text's end is cut, the buttons stay.
    const int excess = std::min(rounded(lh1 - d.iconeaff.height()), area.height - h0);
    d.setHeight(h0 + excess);
    label.setTop(rounded(labelCentreY + excess / 2.0 - label.height() / 2.0));
    if (excess < lh1 - d.iconeaff.height()) label.setTop(d.iconeaff.top());
    buttonsTop(rounded(okCentreY + excess - ok.height() / 2.0));
    centreButtons();
  }
  // Wide enough for its title, which a narrower title bar cuts ("Conne… eau"),
  // as far as the work area allows.
  const int titled = std::min(tk.titleBarWidth(title + "  "), area.width);
  if (titled > d.width()) {
    d.setWidth(titled);
    centreButtons();
  }
}

// Yes, No and Cancel side by side, narrower, the dialog widened to hold them.
void spreadThreeButtons(DialogForm& d) {
  auto& oui = d.OuiButton;
  auto& non = d.NonButton;
  auto& cancel = d.CancelButton;
  const int w = rounded(oui.width() / 7.0 * 6.0);
  for (PushButton* b : {&oui, &non, &cancel}) b->setWidth(w);
  if (3 * w + 480 > d.width()) d.setWidth(3 * w + 720);
  non.setLeft(rounded(d.width() / 2.0 - non.width() / 2.0));
  oui.setLeft(non.left() - oui.width() - 120);
  cancel.setLeft(non.left() + non.width() + 120);
  const int margin = d.width() - cancel.left() - cancel.width();
  if (oui.left() > margin) d.setWidth(cancel.left() + cancel.width() + oui.left());
}

// The buttons of a kind of dialog, their default and cancel ones, and their words.
void setButtons(const Program& g, DialogForm& d, int kind) {
  auto& ok = d.OKButton;
  auto showButton = [](PushButton& b, bool shown) {
    b.setVisible(shown);
    b.setEnabled(shown);
  };
  showButton(ok, kind == kDialogOk);
  showButton(d.OuiButton, kind == kDialogYesNo || kind == kDialogYesNoCancel);
  showButton(d.NonButton, kind == kDialogYesNo || kind == kDialogYesNoCancel);
  showButton(d.CancelButton, kind == kDialogYesNoCancel);
  if (kind == kDialogOk) {
    ok.setDefault(true);
    ok.setCancel(true);
  } else if (kind == kDialogYesNo) {
    d.OuiButton.setDefault(true);
    d.NonButton.setCancel(true);
  } else if (kind == kDialogYesNoCancel) {
    d.OuiButton.setDefault(true);
    d.CancelButton.setCancel(true);
    spreadThreeButtons(d);
  }
  ok.setCaption(g.texts.msg(app::kMsgOk));
  d.OuiButton.setCaption(g.texts.msg(app::kMsgYes));
  d.NonButton.setCaption(g.texts.msg(app::kMsgNo));
  d.CancelButton.setCaption(g.texts.msg(app::kMsgCancel));
}

}  // namespace

void ShowDialog(Program& g, const std::string& text, int kind, int icon, const std::string& title,
                const std::function<void(DialogForm&)>& beforeShow) {
  auto& tk = g.toolkit;
  g.state.SavedMousePointer = tk.mousePointer();
  tk.setMousePointer(forms::MousePointer::Arrow);
  g.svc.logStatus(text);

  DialogForm d(g);
  d.kind = kind;
  d.setCaption(title);
  d.iconeaff.setPicture(icon == kIconInformation ? d.informationPicture.picture()
                                                 : d.warningPicture.picture());
  fitToText(tk, d, text, title);
  setButtons(g, d, kind);
  // The pictures take the focus (their keys answer): a screen reader
  // landing there hears the title and the message.
  for (PictureBox* p : {&d.iconeaff, &d.warningPicture, &d.informationPicture}) {
    p->setAccessibleName(title);
    p->setAccessibleDescription(text);
  }
  d.setCaption(d.caption() + "  ");

  if (beforeShow) beforeShow(d);
  bool onTop = true;
  d.load();
  SetTopMost(d, onTop);
  // Keyboard focus on the default button, as a dialog box opens.
  for (PushButton* b : {&d.OKButton, &d.OuiButton}) {
    if (b->isDefault()) b->setFocus();
  }
  d.showModal();
}

}  // namespace quilbert::ui
