#include "platform/forms/form.h"

#include <algorithm>

#include "platform/forms/toolkit.h"

namespace quilbert::forms {

Form::Form(Toolkit& toolkit, std::string name) : toolkit_(toolkit), name_(std::move(name)) {}

Form::~Form() {
  detachView();
}

void Form::setCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  formChanged(Prop::Caption);
}

void Form::setClientSize(Size s) {
  if (s == client_) return;
  client_ = s;
  formChanged(Prop::Geometry);
}

int Form::width() const {
  return client_.width + toolkit_.frameExtra(*this).width;
}
int Form::height() const {
  return client_.height + toolkit_.frameExtra(*this).height;
}

void Form::setWidth(int outer) {
  setClientSize({outer - toolkit_.frameExtra(*this).width, client_.height});
}

void Form::setHeight(int outer) {
  setClientSize({client_.width, outer - toolkit_.frameExtra(*this).height});
}

void Form::setPosition(int left, int top) {
  left_ = left;
  top_ = top;
  centered_ = false;
  formChanged(Prop::Geometry);
}

void Form::setBackColor(Color c) {
  backColor_ = c;
  formChanged(Prop::BackColor);
}

void Form::setBorderStyle(BorderStyle b) {
  borderStyle_ = b;
  formChanged(Prop::Style);
}

void Form::setTitleBar(bool v) {
  titleBar_ = v;
  formChanged(Prop::Style);
}

void Form::setIcon(Picture p) {
  icon_ = std::move(p);
  formChanged(Prop::Icon);
}

bool Form::hasVisibleMenu() const {
  return std::any_of(menus_.begin(), menus_.end(), [](const auto& m) { return m->visible(); });
}

void Form::load() {
  if (view_) return;
  view_ = toolkit_.createView(*this);
  for (auto& c : controls_) view_->controlAdded(*c);
  if (onLoad) onLoad();
}

void Form::show() {
  load();
  if (!view_) return;  // unloaded by its own Load
  const bool was = visible_;
  visible_ = true;
  if (!was || modal_) toolkit_.show(*this);
}

void Form::hide() {
  visible_ = false;
  // Even when hidden already: a backend may put away a window the form never
  // showed (minimized, where no notification icon can stand for it).
  if (view_) toolkit_.hide(*this);
}

void Form::showModal() {
  load();
  if (!view_) return;
  visible_ = true;
  modal_ = true;
  // Kept also when the loop leaves by an exception (a test's ended process).
  struct Open {
    std::vector<Form*>& modals;
    explicit Open(std::vector<Form*>& m, Form* f) : modals(m) { modals.push_back(f); }
    ~Open() { modals.pop_back(); }  // nested loops end innermost first
    Open(const Open&) = delete;
    Open& operator=(const Open&) = delete;
  } open(toolkit_.modals_, this);
  toolkit_.runModal(*this);
  modal_ = false;
}

bool Form::unload(UnloadReason reason) {
  if (!view_) return true;
  int cancel = 0;
  if (onQueryUnload) onQueryUnload(cancel, reason);
  if (cancel != 0) return false;
  if (onUnload) onUnload();
  hide();
  detachView();
  return true;
}

void Form::detachView() {
  if (!view_) return;
  for (auto& c : controls_) {
    if (auto* t = dynamic_cast<Timer*>(c.get()); t != nullptr && t->timerEnabled()) {
      // A timer of an unloaded form stops; it is off again if the form loads anew.
      t->setTimerEnabled(false);
    }
  }
  visible_ = false;
  view_.reset();
}

void Form::refresh() {
  if (view_) toolkit_.repaint(*this);
}

void Form::adopt(std::unique_ptr<Control> c) {
  Control& ref = *c;
  controls_.push_back(std::move(c));
  if (view_) view_->controlAdded(ref);
}

Control* Form::find(const std::string& name, int index) const {
  for (const auto& c : controls_) {
    if (c->index() == index && c->name() == name) return c.get();
  }
  return nullptr;
}

Control& Form::loadElementImpl(const std::string& name, int newIndex) {
  if (find(name, newIndex) != nullptr) {
    throw std::logic_error("control array element already loaded: " + name);
  }
  Control* first = nullptr;
  for (const auto& c : controls_) {
    if (c->name() == name && c->index() >= 1 && (first == nullptr || c->index() < first->index())) {
      first = c.get();
    }
  }
  if (first == nullptr) throw std::out_of_range("no control array " + name);
  auto copy = first->cloneAs(newIndex);
  Control& ref = *copy;
  adopt(std::move(copy));
  return ref;
}

std::vector<Control*> Form::childrenOf(const Control* parent) const {
  std::vector<Control*> out;
  for (const auto& c : controls_) {
    if (c->parent() == parent) out.push_back(c.get());
  }
  return out;
}

MenuItem& Form::addMenu(std::string name, std::string caption, int index) {
  menus_.push_back(
      std::make_unique<MenuItem>(*this, std::move(name), index, std::move(caption), nullptr));
  formChanged(Prop::Menu);
  return *menus_.back();
}

MenuItem* Form::findMenu(const std::string& name, int index) const {
  for (const auto& m : menus_) {
    if (MenuItem* found = m->find(name, index)) return found;
  }
  return nullptr;
}

MenuItem& Form::menu(const std::string& name, int index) const {
  MenuItem* m = findMenu(name, index);
  if (m == nullptr) throw std::out_of_range("no menu item " + name);
  return *m;
}

void Form::focus(Control* c) {
  focused_ = c;
  if (c != nullptr && view_) toolkit_.setFocus(*c);
}

PushButton* Form::roleButton(bool cancel) const {
  for (const auto& c : controls_) {
    auto* b = dynamic_cast<PushButton*>(c.get());
    if (b == nullptr || !b->effectivelyEnabled() || !b->effectivelyVisible()) continue;
    if (cancel ? b->isCancel() : b->isDefault()) return b;
  }
  return nullptr;
}

std::vector<Control*> Form::focusChain() const {
  std::vector<Control*> chain;
  for (const auto& c : controls_) {
    if (c->takesFocus()) chain.push_back(c.get());
  }
  std::stable_sort(chain.begin(), chain.end(), [](const Control* a, const Control* b) {
    return a->tabIndex() < b->tabIndex();
  });
  return chain;
}

std::vector<Control*> Form::tabOrder() const {
  std::vector<Control*> order = focusChain();
  std::erase_if(
      order, [](const Control* c) { return !c->effectivelyVisible() || !c->effectivelyEnabled(); });
  return order;
}

void Form::keyDown(int keyCode, int shift) {
  if (keyCode == kKeyReturn || keyCode == kKeyEscape) {
    if (PushButton* b = roleButton(keyCode == kKeyEscape)) {
      b->click();
      return;
    }
  }
  if (focused_ != nullptr && focused_->onKeyDown) focused_->onKeyDown(keyCode, shift);
}

void Form::keyUp(int keyCode, int shift) {
  if (focused_ != nullptr && focused_->onKeyUp) focused_->onKeyUp(keyCode, shift);
}

void Form::paint() {
  ++paintCount_;
  if (onPaint) onPaint();
}

void Form::mouseMove(int button, int shift, float x, float y) {
  if (onMouseMove) onMouseMove(button, shift, x, y);
}

void Form::click() {
  if (onClick) onClick();
}

void Form::notify(Control& c, Prop p) {
  if (view_) view_->controlChanged(c, p);
}

void Form::notify(MenuItem& m) {
  if (view_) view_->menuChanged(m);
}

void Form::formChanged(Prop p) {
  if (view_) view_->formChanged(p);
}

}  // namespace quilbert::forms
