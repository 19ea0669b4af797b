#include "platform/forms/control.h"

#include "platform/forms/form.h"

namespace quilbert::forms {

Control::Control(Form& form, ControlKind kind, std::string name, int index, Control* parent)
    : form_(form), kind_(kind), name_(std::move(name)), index_(index), parent_(parent) {}

void Control::move(Rect r) {
  if (r == rect_) return;
  rect_ = r;
  changed(Prop::Geometry);
}
void Control::setLeft(int v) {
  move({v, rect_.top, rect_.width, rect_.height});
}
void Control::setTop(int v) {
  move({rect_.left, v, rect_.width, rect_.height});
}
void Control::setWidth(int v) {
  move({rect_.left, rect_.top, v, rect_.height});
}
void Control::setHeight(int v) {
  move({rect_.left, rect_.top, rect_.width, v});
}

void Control::setVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  changed(Prop::Visible);
}

void Control::setEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  changed(Prop::Enabled);
}

bool Control::effectivelyEnabled() const {
  for (const Control* c = this; c != nullptr; c = c->parent_) {
    if (!c->enabled_) return false;
  }
  return true;
}

bool Control::effectivelyVisible() const {
  for (const Control* c = this; c != nullptr; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void Control::setToolTip(std::string v) {
  if (v == toolTip_) return;
  toolTip_ = std::move(v);
  changed(Prop::ToolTip);
}

void Control::setAccessibleName(std::string v) {
  if (v == accessibleName_) return;
  accessibleName_ = std::move(v);
  changed(Prop::Accessible);
}

void Control::setAccessibleDescription(std::string v) {
  if (v == accessibleDescription_) return;
  accessibleDescription_ = std::move(v);
  changed(Prop::Accessible);
}

void Control::setTabIndex(int v) {
  if (v == tabIndex_) return;
  tabIndex_ = v;
  changed(Prop::TabIndex);
}

void Control::setFont(Font f) {
  if (f == font_) return;
  font_ = std::move(f);
  changed(Prop::Font);
}

void Control::setForeColor(Color c) {
  if (c == foreColor_) return;
  foreColor_ = c;
  changed(Prop::ForeColor);
}

void Control::setBackColor(Color c) {
  if (c == backColor_) return;
  backColor_ = c;
  changed(Prop::BackColor);
}

void Control::setFocus() {
  form_.focus(this);
}

bool Control::hasFocus() const {
  return form_.focused() == this;
}

void Control::changed(Prop p) {
  form_.notify(*this, p);
}

void Control::copyBaseTo(Control& other) const {
  other.rect_ = rect_;
  other.visible_ = visible_;
  other.enabled_ = enabled_;
  other.toolTip_ = toolTip_;
  other.accessibleName_ = accessibleName_;
  other.accessibleDescription_ = accessibleDescription_;
  other.tabIndex_ = tabIndex_;
  other.font_ = font_;
  other.foreColor_ = foreColor_;
  other.backColor_ = backColor_;
}

bool Control::takesFocus() const {
  switch (kind_) {
    case ControlKind::TextBox:
    case ControlKind::CheckBox:
    case ControlKind::PushButton:
    case ControlKind::FlatButton:
    case ControlKind::List:
    case ControlKind::PictureBox:
      return true;
    default:
      return false;
  }
}

}  // namespace quilbert::forms
