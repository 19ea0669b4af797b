#include "platform/forms/controls.h"

#include <algorithm>
#include <cstdlib>

#include "platform/forms/form.h"
#include "platform/forms/toolkit.h"

namespace quilbert::forms {

namespace {
template <class T>
std::unique_ptr<T> cloneBase(const T& src, int newIndex) {
  auto copy = std::make_unique<T>(src.form(), src.name(), newIndex, src.parent());
  return copy;
}
}  // namespace

// ---- Label
Label::Label(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::Label, std::move(name), index, parent) {}

void Label::setCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  changed(Prop::Caption);
  if (autoSize_) fitToCaption();
}

void Label::setAutoSize(bool v) {
  autoSize_ = v;
  if (autoSize_) fitToCaption();
}

void Label::setAlignment(Alignment a) {
  alignment_ = a;
  changed(Prop::Style);
}

void Label::fitToCaption() {
  const Size s = form().toolkit().measureText(font(), caption_);
  move({left(), top(), s.width, s.height});
}

std::unique_ptr<Control> Label::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->caption_ = caption_;
  c->autoSize_ = autoSize_;
  c->alignment_ = alignment_;
  return c;
}

// ---- FlatButton
FlatButton::FlatButton(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::FlatButton, std::move(name), index, parent) {}

void FlatButton::setCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  changed(Prop::Caption);
}

void FlatButton::setPicture(Picture p) {
  if (p == picture_) return;
  picture_ = std::move(p);
  changed(Prop::Picture);
}

void FlatButton::refresh() {
  ++refreshCount_;
  changed(Prop::Picture);
}

void FlatButton::click() {
  if (effectivelyEnabled() && onClick) onClick();
}

std::unique_ptr<Control> FlatButton::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->caption_ = caption_;
  c->picture_ = picture_;
  c->maskColor_ = maskColor_;
  return c;
}

// ---- PushButton
PushButton::PushButton(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::PushButton, std::move(name), index, parent) {}

void PushButton::setCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  changed(Prop::Caption);
}

void PushButton::setDefault(bool v) {
  default_ = v;
  changed(Prop::Style);
}

void PushButton::setCancel(bool v) {
  cancel_ = v;
  changed(Prop::Style);
}

void PushButton::click() {
  if (effectivelyEnabled() && effectivelyVisible() && onClick) onClick();
}

std::unique_ptr<Control> PushButton::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->caption_ = caption_;
  return c;
}

// ---- TextBox
TextBox::TextBox(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::TextBox, std::move(name), index, parent) {
  setBackColor(kWindowBackground);
}

void TextBox::setText(std::string v) {
  // The same text set again changes nothing but reaches the view, which
  // shows its start as an edit box given its text does.
  if (v == text_) {
    changed(Prop::Text);
    return;
  }
  text_ = std::move(v);
  changed(Prop::Text);
  if (onChange) onChange();
}

void TextBox::setPasswordChar(char32_t c) {
  passwordChar_ = c;
  changed(Prop::Style);
}

void TextBox::setBorderColor(Color c) {
  borderColor_ = c;
  changed(Prop::Style);
}

std::unique_ptr<Control> TextBox::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->text_ = text_;
  c->passwordChar_ = passwordChar_;
  c->borderColor_ = borderColor_;
  return c;
}

// ---- CheckBox
CheckBox::CheckBox(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::CheckBox, std::move(name), index, parent) {}

void CheckBox::setValue(int v) {
  if (v == value_) return;
  value_ = v;
  changed(Prop::Value);
  if (onClick) onClick();
}

void CheckBox::userClick() {
  if (!effectivelyEnabled()) return;
  setValue(value_ == 1 ? 0 : 1);
}

void CheckBox::setCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  changed(Prop::Caption);
}

std::unique_ptr<Control> CheckBox::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->value_ = value_;
  c->caption_ = caption_;
  return c;
}

// ---- Frame
Frame::Frame(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::Frame, std::move(name), index, parent) {}

void Frame::setCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  changed(Prop::Caption);
}

std::unique_ptr<Control> Frame::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->caption_ = caption_;
  return c;
}

// ---- ListBox
ListBox::ListBox(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::List, std::move(name), index, parent) {
  setBackColor(kWindowBackground);
}

void ListBox::addItem(std::string item) {
  items_.push_back(std::move(item));
  changed(Prop::Items);
}

void ListBox::clear() {
  items_.clear();
  changed(Prop::Items);
}

std::unique_ptr<Control> ListBox::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->items_ = items_;
  return c;
}

// ---- PictureBox
PictureBox::PictureBox(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::PictureBox, std::move(name), index, parent) {}

void PictureBox::setPicture(Picture p) {
  if (p == picture_) return;
  picture_ = std::move(p);
  changed(Prop::Picture);
}

void PictureBox::click() {
  if (effectivelyEnabled() && onClick) onClick();
}

std::unique_ptr<Control> PictureBox::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->picture_ = picture_;
  return c;
}

// ---- Image
Image::Image(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::Image, std::move(name), index, parent) {}

void Image::setPicture(Picture p) {
  if (p == picture_) return;
  picture_ = std::move(p);
  changed(Prop::Picture);
}

void Image::click() {
  if (effectivelyEnabled() && onClick) onClick();
}

std::unique_ptr<Control> Image::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->picture_ = picture_;
  return c;
}

// ---- Line
Line::Line(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::Line, std::move(name), index, parent) {}

void Line::setEnds(int x1, int y1, int x2, int y2) {
  x1_ = x1;
  y1_ = y1;
  x2_ = x2;
  y2_ = y2;
  move({std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1)});
  changed(Prop::Geometry);
}

std::unique_ptr<Control> Line::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->x1_ = x1_;
  c->y1_ = y1_;
  c->x2_ = x2_;
  c->y2_ = y2_;
  c->borderWidth_ = borderWidth_;
  return c;
}

// ---- Timer
Timer::Timer(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::Timer, std::move(name), index, parent) {}

void Timer::setInterval(int ms) {
  if (ms == interval_) return;
  interval_ = ms;
  changed(Prop::Timer);
}

void Timer::setTimerEnabled(bool v) {
  if (v == timerEnabled_) return;
  timerEnabled_ = v;
  changed(Prop::Timer);
}

void Timer::tick() {
  if (timerEnabled_ && interval_ > 0 && onTick) onTick();
}

std::unique_ptr<Control> Timer::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->interval_ = interval_;
  c->timerEnabled_ = timerEnabled_;
  return c;
}

// ---- ImageList
ImageList::ImageList(Form& form, std::string name, int index, Control* parent)
    : Control(form, ControlKind::ImageList, std::move(name), index, parent) {}

Picture ImageList::image(int n) const {
  if (n < 1 || n > count()) return {};
  return images_[static_cast<std::size_t>(n - 1)];
}

std::unique_ptr<Control> ImageList::cloneAs(int newIndex) const {
  auto c = cloneBase(*this, newIndex);
  copyBaseTo(*c);
  c->images_ = images_;
  return c;
}

}  // namespace quilbert::forms
