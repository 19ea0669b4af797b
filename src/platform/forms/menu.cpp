#include "platform/forms/menu.h"

#include "platform/forms/form.h"

namespace quilbert::forms {

MenuItem::MenuItem(Form& form, std::string name, int index, std::string caption, MenuItem* parent)
    : form_(form),
      name_(std::move(name)),
      index_(index),
      caption_(std::move(caption)),
      parent_(parent) {}

void MenuItem::setCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  changed();
}

void MenuItem::setChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  changed();
}

void MenuItem::setEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  changed();
}

void MenuItem::setVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  changed();
}

MenuItem& MenuItem::add(std::string name, std::string caption, int index) {
  items_.push_back(
      std::make_unique<MenuItem>(form_, std::move(name), index, std::move(caption), this));
  return *items_.back();
}

MenuItem& MenuItem::addSeparator(std::string name) {
  return add(std::move(name), "-");
}

MenuItem* MenuItem::find(const std::string& name, int index) {
  if (name_ == name && index_ == index) return this;
  for (auto& item : items_) {
    if (MenuItem* found = item->find(name, index)) return found;
  }
  return nullptr;
}

void MenuItem::click() {
  for (const MenuItem* m = this; m != nullptr; m = m->parent_) {
    if (!m->enabled_ || !m->visible_) return;
  }
  if (isSeparator()) return;
  if (onClick) onClick();
}

void MenuItem::changed() {
  form_.notify(*this);
}

}  // namespace quilbert::forms
