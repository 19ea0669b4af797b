// Shows a control's properties in its widget: one function per property, and
// in it what each control kind makes of that property.
#include <QApplication>
#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <iterator>

#include "platform/qt/qt_control_widgets.h"
#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_form_view.h"
#include "platform/qt/qt_toolkit.h"

namespace quilbert::qtview {

using forms::Control;
using forms::ControlKind;
using forms::Prop;

namespace {

// A control, its widget, and what showing a property there takes.
struct Shown {
  const QtToolkit& toolkit;
  const Control& c;
  QWidget* w;
  bool userEditing;  // the text box already shows what the user typed
};

template <typename Model>
const Model& as(const Shown& s) {
  return static_cast<const Model&>(s.c);
}

template <typename Widget>
Widget* widget(const Shown& s) {
  return static_cast<Widget*>(s.w);
}

// The design's colour, or in high contrast the desktop palette's colour
// for the same part.
QColor shown(const QtToolkit& t, forms::Color designed, QPalette::ColorRole role) {
  return t.highContrast() ? QApplication::palette().color(role) : toQColor(designed);
}

QPalette::ColorRole textRole(QPalette::ColorRole back) {
  return back == QPalette::Button ? QPalette::ButtonText
         : back == QPalette::Base ? QPalette::Text
                                  : QPalette::WindowText;
}

void setColors(const Shown& s, QPalette::ColorRole back, bool fill) {
  QPalette pal = s.w->palette();
  const QColor fore = shown(s.toolkit, s.c.foreColor(), textRole(back));
  const QColor ground = shown(s.toolkit, s.c.backColor(), back);
  // Text colours for the active and inactive states only: a disabled control
  // keeps the style's greyed text, so it looks disabled.
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    pal.setColor(group, QPalette::WindowText, fore);
    pal.setColor(group, QPalette::Text, fore);
    pal.setColor(group, QPalette::ButtonText, fore);
  }
  pal.setColor(back, ground);
  pal.setColor(QPalette::Window, ground);
  s.w->setPalette(pal);
  s.w->setAutoFillBackground(fill);
}

// The text colour of a disabled control.
constexpr forms::Color kGrayText{128, 128, 128};

QString hexColor(const QtToolkit& t, forms::Color c, QPalette::ColorRole role) {
  return shown(t, c, role).name(QColor::HexRgb);
}

Qt::Alignment toQtAlignment(forms::Alignment a) {
  switch (a) {
    case forms::Alignment::Right:
      return Qt::AlignRight | Qt::AlignTop;
    case forms::Alignment::Center:
      return Qt::AlignHCenter | Qt::AlignTop;
    case forms::Alignment::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignTop;
}

// ---- geometry

void applyLineGeometry(const Shown& s) {
  const auto& line = as<forms::Line>(s);
  auto* lw = widget<LineWidget>(s);
  const int pad = std::max(1, line.borderWidth());
  const QPoint a(s.toolkit.toPixels(line.x1()), s.toolkit.toPixels(line.y1()));
  const QPoint b(s.toolkit.toPixels(line.x2()), s.toolkit.toPixels(line.y2()));
  const QRect box = QRect(a, b).normalized().adjusted(-pad, -pad, pad, pad);
  lw->from = a - box.topLeft();
  lw->to = b - box.topLeft();
  lw->penWidth = line.borderWidth();
  lw->setGeometry(box);
  lw->update();
}

void applyGeometry(const Shown& s) {
  if (s.c.kind() == ControlKind::Line) {
    applyLineGeometry(s);
    return;
  }
  if (s.c.kind() == ControlKind::Label) {  // an autosize label is sized after its caption is set
    widget<QLabel>(s)->setWordWrap(!as<forms::Label>(s).autoSize());
  }
  const QtToolkit& t = s.toolkit;
  s.w->setGeometry(t.toPixels(s.c.left()), t.toPixels(s.c.top()),
                   std::max(0, t.toPixels(s.c.width())), std::max(0, t.toPixels(s.c.height())));
}

// ---- looks

void applyTextBoxStyle(const Shown& s) {
  const auto& box = as<forms::TextBox>(s);
  auto* edit = widget<QLineEdit>(s);
  // Any password character shows as a filled circle: the designed one
  // is a letter of a symbol font that is not installed here.
  edit->setEchoMode(box.passwordChar() != 0 ? QLineEdit::Password : QLineEdit::Normal);
  // A disabled box draws its text greyed, whatever its colour.
  edit->setStyleSheet(QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid "
                                     "%3; padding: 0px 1px; lineedit-password-character: "
                                     "9679; } QLineEdit:disabled { color: %4; }")
                          .arg(hexColor(s.toolkit, box.backColor(), QPalette::Base),
                               hexColor(s.toolkit, box.foreColor(), QPalette::Text),
                               hexColor(s.toolkit, box.borderColor(), QPalette::Text),
                               hexColor(s.toolkit, kGrayText, QPalette::PlaceholderText)));
}

void applyStyle(const Shown& s) {
  switch (s.c.kind()) {
    case ControlKind::Label:
      widget<QLabel>(s)->setAlignment(toQtAlignment(as<forms::Label>(s).alignment()));
      return;
    case ControlKind::PushButton:
      widget<QPushButton>(s)->setDefault(as<forms::PushButton>(s).isDefault());
      return;
    case ControlKind::TextBox:
      applyTextBoxStyle(s);
      return;
    default:
      return;
  }
}

void applyColors(const Shown& s) {
  switch (s.c.kind()) {
    case ControlKind::TextBox:
      applyTextBoxStyle(s);  // its colours are in its style sheet
      return;
    case ControlKind::Line:
      widget<LineWidget>(s)->color = shown(s.toolkit, s.c.foreColor(), QPalette::WindowText);
      s.w->update();
      return;
    case ControlKind::List:
      setColors(s, QPalette::Base, false);
      return;
    case ControlKind::FlatButton:
    case ControlKind::PushButton:
      setColors(s, QPalette::Button, true);
      return;
    case ControlKind::Image:
      setColors(s, QPalette::Window, false);
      return;
    default:
      setColors(s, QPalette::Window, true);
      return;
  }
}

// ---- contents

void applyButtonPicture(const Shown& s) {
  const auto& b = as<forms::FlatButton>(s);
  auto* tb = widget<QToolButton>(s);
  QPixmap pix;
  if (!b.picture().empty()) pix = s.toolkit.pixmap(b.picture().file);
  if (!pix.isNull() && !pix.hasAlphaChannel()) {
    pix.setMask(pix.createMaskFromColor(toQColor(b.maskColor())));
  }
  tb->setIcon(pix.isNull() ? QIcon() : QIcon(pix));
  if (!pix.isNull()) tb->setIconSize(pix.size());
  tb->setToolButtonStyle(pix.isNull()          ? Qt::ToolButtonTextOnly
                         : b.caption().empty() ? Qt::ToolButtonIconOnly
                                               : Qt::ToolButtonTextBesideIcon);
  tb->update();
}

void showPicture(const Shown& s, const forms::Picture& picture) {
  auto* pw = widget<PictureWidget>(s);
  pw->picture = picture.empty() ? QPixmap() : s.toolkit.pixmap(picture.file);
  pw->update();
}

void applyPicture(const Shown& s) {
  switch (s.c.kind()) {
    case ControlKind::FlatButton:
      applyButtonPicture(s);
      return;
    case ControlKind::PictureBox:
      showPicture(s, as<forms::PictureBox>(s).picture());
      return;
    case ControlKind::Image:
      showPicture(s, as<forms::Image>(s).picture());
      return;
    default:
      return;
  }
}

void applyLabelCaption(const Shown& s) {
  const auto& label = as<forms::Label>(s);
  auto* l = widget<QLabel>(s);
  // A label of fixed size wraps its words inside its width; one that
  // takes its caption's size keeps the caption's own lines.
  l->setWordWrap(!label.autoSize());
  l->setText(toDisplayText(label.caption()));
}

void applyTextBoxText(const Shown& s) {
  if (s.userEditing) return;  // the box shows it already, cursor and all
  auto* edit = widget<QLineEdit>(s);
  const QString text = toQString(as<forms::TextBox>(s).text());
  if (edit->text() != text) edit->setText(text);
  // A text the program sets shows its start (a path its server and
  // share), as a Windows edit box does.
  edit->setCursorPosition(0);
}

// Caption and text: whichever of the two the control has.
void applyCaption(const Shown& s) {
  switch (s.c.kind()) {
    case ControlKind::Label:
      applyLabelCaption(s);
      return;
    case ControlKind::FlatButton:
      widget<QToolButton>(s)->setText(toQString(as<forms::FlatButton>(s).caption()));
      applyButtonPicture(s);  // icon beside text or alone
      return;
    case ControlKind::PushButton:
      widget<QPushButton>(s)->setText(toQString(as<forms::PushButton>(s).caption()));
      return;
    case ControlKind::CheckBox:
      widget<QCheckBox>(s)->setText(toQString(as<forms::CheckBox>(s).caption()));
      return;
    case ControlKind::Frame:
      widget<FrameWidget>(s)->caption = toQString(as<forms::Frame>(s).caption());
      s.w->update();
      return;
    case ControlKind::TextBox:
      applyTextBoxText(s);
      return;
    default:
      return;
  }
}

void applyValue(const Shown& s) {
  if (s.c.kind() != ControlKind::CheckBox) return;
  const int v = as<forms::CheckBox>(s).value();
  const QSignalBlocker block(s.w);
  widget<QCheckBox>(s)->setCheckState(v == 1   ? Qt::Checked
                                      : v == 2 ? Qt::PartiallyChecked
                                               : Qt::Unchecked);
}

void applyItems(const Shown& s) {
  if (s.c.kind() != ControlKind::List) return;
  listModelOf(s.w)->noteChanged();
  s.w->update();
}

struct Applier {
  Prop prop;
  void (*apply)(const Shown& s);
};

// Timer, Menu and Icon are nothing a control's widget shows.
constexpr Applier kAppliers[] = {
    {Prop::Geometry, applyGeometry},
    {Prop::Visible, [](const Shown& s) { s.w->setVisible(s.c.visible()); }},
    {Prop::Enabled, [](const Shown& s) { s.w->setEnabled(s.c.enabled()); }},
    {Prop::ToolTip, [](const Shown& s) { s.w->setToolTip(toQString(s.c.toolTip())); }},
    {Prop::Accessible,
     [](const Shown& s) {
       s.w->setAccessibleName(toQString(s.c.accessibleName()));
       s.w->setAccessibleDescription(toQString(s.c.accessibleDescription()));
     }},
    {Prop::Font, [](const Shown& s) { s.w->setFont(toQFont(s.c.font())); }},
    {Prop::Style, applyStyle},
    {Prop::ForeColor, applyColors},
    {Prop::BackColor, applyColors},
    {Prop::Caption, applyCaption},
    {Prop::Text, applyCaption},
    {Prop::Picture, applyPicture},
    {Prop::Value, applyValue},
    {Prop::Items, applyItems},
};

}  // namespace

void QtFormView::applyProperty(Control& c, Prop p, QWidget* w) {
  const auto* found = std::find_if(std::begin(kAppliers), std::end(kAppliers),
                                   [p](const Applier& a) { return a.prop == p; });
  if (found != std::end(kAppliers)) found->apply({toolkit_, c, w, userEditing_});
}

void QtFormView::applyColors() {
  formChanged(Prop::BackColor);
  for (const auto& c : form_.controls()) {
    if (QWidget* w = widgetOf(*c)) applyProperty(*c, Prop::ForeColor, w);
  }
}

void QtFormView::applyAllProperties(Control& c, QWidget* w) {
  for (Prop p : {Prop::Font, Prop::ForeColor, Prop::Style, Prop::Caption, Prop::Text, Prop::Value,
                 Prop::Picture, Prop::Items, Prop::ToolTip, Prop::Accessible, Prop::Enabled,
                 Prop::Geometry, Prop::Visible}) {
    applyProperty(c, p, w);
  }
}

}  // namespace quilbert::qtview
