#include "platform/qt/qt_keys.h"

#include <QKeyEvent>
#include <QWidget>
#include <algorithm>
#include <iterator>
#include <utility>

namespace quilbert::qtview {

namespace {

// The other keys a form may look at: Qt's code and the Windows one.
constexpr std::pair<int, int> kVirtualKeys[] = {
    {Qt::Key_Return, forms::kKeyReturn},
    {Qt::Key_Enter, forms::kKeyReturn},
    {Qt::Key_Escape, forms::kKeyEscape},
    {Qt::Key_Backspace, 8},
    {Qt::Key_Tab, 9},
    {Qt::Key_Backtab, 9},
    {Qt::Key_Shift, 16},
    {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},
    {Qt::Key_Pause, 19},
    {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},
    {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},
    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},
};

}  // namespace

int virtualKey(int qtKey) {
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
    return qtKey;  // Qt and Windows agree on letters (upper case) and digits
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
  const auto* known = std::find_if(std::begin(kVirtualKeys), std::end(kVirtualKeys),
                                   [qtKey](const auto& k) { return k.first == qtKey; });
  return known != std::end(kVirtualKeys) ? known->second : 0;
}

int shiftMask(unsigned modifiers) {
  int mask = 0;
  if ((modifiers & Qt::ShiftModifier) != 0U) mask |= 1;
  if ((modifiers & Qt::ControlModifier) != 0U) mask |= 2;
  if ((modifiers & Qt::AltModifier) != 0U) mask |= 4;
  return mask;
}

KeyFilter::KeyFilter(Link link, QObject* parent) : QObject(parent), link_(std::move(link)) {}

bool KeyFilter::eventFilter(QObject* watched, QEvent* e) {
  const auto type = e->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::FocusIn) {
    return false;
  }
  QtFormView* v = link_->view;
  auto it = controls.find(watched);
  if (v == nullptr || it == controls.end()) return false;
  if (type == QEvent::FocusIn) {
    v->focusGained(it->second);
    return false;
  }
  // A key the focused control leaves is offered to its containers next; on
  // Windows it goes nowhere, and a container taking it would take the focus.
  auto* w = static_cast<QWidget*>(watched);
  const QWidget* focus = w->window()->focusWidget();
  if (focus != nullptr && focus != w && w->isAncestorOf(focus)) {
    e->accept();  // or it goes on up to the next container
    return true;
  }
  auto* key = static_cast<QKeyEvent*>(e);
  const int vk = virtualKey(key->key());
  if (vk == 0 || (type == QEvent::KeyRelease && key->isAutoRepeat())) return false;
  const Link keep = link_;  // the filter may go away with the form
  v->keyEvent(it->second, vk, shiftMask(key->modifiers().toInt()), type == QEvent::KeyPress);
  // Enter and Escape belong to the default and cancel buttons; and once the
  // form is gone the widget must not act on the key either.
  return keep->view == nullptr || vk == forms::kKeyReturn || vk == forms::kKeyEscape;
}

}  // namespace quilbert::qtview
