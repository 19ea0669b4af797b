#include "platform/qt/qt_form_view.h"

#include <QTimer>
#include <QWidget>
#include <string>

#include "platform/qt/qt_control_widgets.h"
#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_keys.h"
#include "platform/qt/qt_toolkit.h"

namespace quilbert::qtview {

using forms::Control;
using forms::ControlKind;
using forms::Prop;

QtFormView::QtFormView(QtToolkit& toolkit, forms::Form& form)
    : toolkit_(toolkit), form_(form), link_(std::make_shared<ViewLink>()) {
  link_->view = this;
  buildWindow();
  keyFilter_ = new KeyFilter(link_, window_);
  toolkit_.viewOpened(*this);

  // The menu bar is made when the window is shown or measured.
  for (Prop p : {Prop::Caption, Prop::Geometry, Prop::BackColor, Prop::Style, Prop::Icon}) {
    formChanged(p);
  }
}

QtFormView::~QtFormView() {
  link_->view = nullptr;
  toolkit_.viewClosing(form_);
  for (auto& [control, timer] : timers_) timer->stop();
  window_->hide();
  // Later: this may run inside one of the window's own event handlers.
  window_->deleteLater();
}

QWidget* QtFormView::widgetOf(const Control& c) const {
  auto it = widgets_.find(&c);
  return it == widgets_.end() ? nullptr : it->second;
}

void QtFormView::controlAdded(Control& c) {
  if (widgets_.count(&c) != 0 || timers_.count(&c) != 0) return;
  if (c.kind() == ControlKind::Timer) {
    auto* timer = new QTimer(window_);
    timer->setTimerType(Qt::PreciseTimer);
    auto* t = static_cast<forms::Timer*>(&c);
    QObject::connect(timer, &QTimer::timeout, window_, [link = link_, t] {
      if (link->view != nullptr) t->tick();
    });
    timers_[&c] = timer;
    controlChanged(c, Prop::Timer);
    return;
  }
  if (c.kind() == ControlKind::ImageList) return;  // pictures for code, never shown
  // Widgets wait for the first show: a form loaded and never shown (the
  // main window behind its notification icon) costs none.
  if (!built_) return;
  // A container's widget must exist before its children's.
  if (c.parent() != nullptr && widgetOf(*c.parent()) == nullptr) controlAdded(*c.parent());
  QWidget* parent = c.parent() != nullptr ? widgetOf(*c.parent()) : nullptr;
  QWidget* w = createControlWidget(link_, c, parent != nullptr ? parent : client_);
  if (c.kind() == ControlKind::List) lists_.push_back(listModelOf(w));
  // The form model decides which controls Tab visits, as in every view.
  w->setFocusPolicy(c.takesFocus() ? Qt::StrongFocus : Qt::NoFocus);
  w->setObjectName(
      toQString(c.index() > 0 ? c.name() + "(" + std::to_string(c.index()) + ")" : c.name()));
  widgets_[&c] = w;
  keyFilter_->controls[w] = &c;
  w->installEventFilter(keyFilter_);
  applyAllProperties(c, w);
  if (!building_ && c.takesFocus()) applyTabChain();
}

void QtFormView::applyTabChain() {
  QWidget* previous = nullptr;
  for (Control* c : form_.focusChain()) {
    QWidget* w = widgetOf(*c);
    if (w == nullptr) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, w);
    previous = w;
  }
}

void QtFormView::buildControls() {
  if (built_) return;
  built_ = true;
  // In the model's order, which is the order children stack.
  building_ = true;
  for (const auto& c : form_.controls()) controlAdded(*c);
  building_ = false;
  applyTabChain();
  // What the code focused while there was no widget is focused when shown.
  if (QWidget* w = form_.focused() != nullptr ? widgetOf(*form_.focused()) : nullptr) {
    w->setFocus(Qt::OtherFocusReason);
  }
}

void QtFormView::controlChanged(Control& c, Prop p) {
  if (p == Prop::Timer) {
    auto it = timers_.find(&c);
    if (it == timers_.end()) return;
    const auto& t = static_cast<const forms::Timer&>(c);
    // Any change starts the interval afresh, as a classic timer does.
    if (t.timerEnabled() && t.interval() > 0) {
      it->second->start(t.interval());
    } else {
      it->second->stop();
    }
    return;
  }
  if (p == Prop::TabIndex) {
    if (built_) applyTabChain();
    return;
  }
  if (QWidget* w = widgetOf(c)) applyProperty(c, p, w);
}

void QtFormView::applyListChanges() {
  for (ListModel* model : lists_) model->applyIfDue();
}

// ---- events from the widgets

void QtFormView::keyEvent(Control* c, int keyCode, int shift, bool down) {
  if (form_.focused() != c) form_.focus(c);
  if (down) {
    form_.keyDown(keyCode, shift);
  } else {
    form_.keyUp(keyCode, shift);
  }
}

void QtFormView::userEdited(forms::TextBox& box, const QString& text) {
  userEditing_ = true;
  box.setText(toStdString(text));
  userEditing_ = false;
}

void QtFormView::focusGained(Control* c) {
  if (form_.focused() != c) form_.focus(c);
}

void QtFormView::clientPainted(bool whole) {
  if (!paint_.drawn(whole)) return;
  QMetaObject::invokeMethod(
      client_,
      [link = link_] {
        if (QtFormView* v = link->view) v->paint_.deliver(v->form_);
      },
      Qt::QueuedConnection);
}

void QtFormView::clientMouseMove(int button, int shift, double x, double y) {
  const double tpp = toolkit_.twipsPerPixel();
  form_.mouseMove(button, shift, static_cast<float>(x * tpp), static_cast<float>(y * tpp));
}

void QtFormView::closeRequested() {
  if (toolkit_.sessionEnding()) {
    form_.unload(forms::UnloadReason::WindowsSession);
  } else {
    form_.userClose();
  }
}

}  // namespace quilbert::qtview