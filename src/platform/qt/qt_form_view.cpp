#include "platform/qt/qt_form_view.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_toolkit.h"

namespace quilbert::qtview {

using forms::Control;
using forms::ControlKind;
using forms::Prop;

namespace {

using Link = std::shared_ptr<ViewLink>;

// ---- the window and its client area

class FormWindow : public QWidget {
 public:
  explicit FormWindow(Link link) : link_(std::move(link)) {}

 protected:
  // The model decides: QueryUnload may refuse, and an unload hides the window.
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    if (QtFormView* v = link_->view) v->closeRequested();
  }
  void changeEvent(QEvent* e) override {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange || isMinimized()) return;
    if (!static_cast<QWindowStateChangeEvent*>(e)->oldState().testFlag(Qt::WindowMinimized)) return;
    // Brought back from the task list, after the event has run its course.
    QTimer::singleShot(0, this, [link = link_] {
      if (QtFormView* v = link->view) v->restoredFromTaskList();
    });
  }
  void showEvent(QShowEvent* e) override {
    QWidget::showEvent(e);
    // The window manager adds its frame after mapping; read it once it has.
    QTimer::singleShot(100, this, [this] {
      QtFormView* v = link_->view;
      if (v == nullptr || !isVisible() || windowFlags().testFlag(Qt::FramelessWindowHint)) return;
      const QRect outer = frameGeometry();
      const QRect inner = geometry();
      v->toolkit().noteFrameMargins(outer.width() - inner.width(), outer.height() - inner.height());
    });
  }

 private:
  Link link_;
};

// Reports the window's exposure, after the drawing it brings.
class ExposeFilter : public QObject {
 public:
  ExposeFilter(Link link, QObject* parent) : QObject(parent), link_(std::move(link)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Expose) {
      auto* window = static_cast<QWindow*>(watched);
      QMetaObject::invokeMethod(
          this,
          [link = link_, window] {
            if (QtFormView* v = link->view; v != nullptr && window->isExposed()) {
              v->clientPainted(false);
              v->exposed();
            }
          },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  Link link_;
};

class ClientArea : public QWidget {
 public:
  ClientArea(Link link, QWidget* parent) : QWidget(parent), link_(std::move(link)) {
    setMouseTracking(true);
    setAutoFillBackground(true);
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QWidget::paintEvent(e);
    // Only a full repaint counts as the form being drawn; a hovered child
    // repainting a corner does not.
    if (QtFormView* v = link_->view) v->clientPainted(e->rect().contains(rect()));
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    QWidget::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
      if (QtFormView* v = link_->view) v->form().click();
    }
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (QtFormView* v = link_->view) {
      int button = 0;
      if (e->buttons() & Qt::LeftButton) button |= forms::kLeftButton;
      if (e->buttons() & Qt::RightButton) button |= forms::kRightButton;
      if (e->buttons() & Qt::MiddleButton) button |= 4;
      v->clientMouseMove(button, shiftMask(e->modifiers().toInt()), e->position().x(),
                         e->position().y());
    }
  }

 private:
  Link link_;
};

// ---- control widgets. Each holds a callback the view sets; the callbacks
// check the link so that nothing reaches an unloaded form.

class LabelWidget : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> onClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick) {
      onClick();
    }
  }
};

class CheckBoxWidget : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;
  std::function<void()> onUserClick;

 protected:
  // A click toggles 0 and 1, and greyed becomes checked, as on Windows; the
  // model decides and the view shows its value back.
  void nextCheckState() override {
    if (onUserClick) onUserClick();
  }
};

// A frame: rounded border (radius 5) with the caption set into its top edge.
class FrameWidget : public QWidget {
 public:
  using QWidget::QWidget;
  QString caption;

 protected:
  void paintEvent(QPaintEvent* /*e*/) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm(font());
    const int top = fm.height() / 2;
    p.setPen(QColor(208, 208, 191));
    p.drawRoundedRect(QRectF(0.5, top + 0.5, width() - 1.0, height() - top - 1.0), 5, 5);
    if (caption.isEmpty()) return;
    const QString text = fm.elidedText(caption, Qt::ElideRight, std::max(0, width() - 16));
    const QRect textRect(6, 0, fm.horizontalAdvance(text) + 4, fm.height());
    p.fillRect(textRect, palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(textRect, Qt::AlignCenter, text);
  }
};

// Picture box (opaque, holds children) and image (transparent): the picture
// at its natural size in the top-left corner.
class PictureWidget : public QWidget {
 public:
  PictureWidget(bool opaque, QWidget* parent) : QWidget(parent) { setAutoFillBackground(opaque); }
  QPixmap picture;
  std::function<void()> onClick;

 protected:
  void paintEvent(QPaintEvent* /*e*/) override {
    if (picture.isNull()) return;
    QPainter p(this);
    p.drawPixmap(0, 0, picture);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    QWidget::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick) {
      onClick();
    }
  }
};

class LineWidget : public QWidget {
 public:
  explicit LineWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  QPoint from;
  QPoint to;
  int penWidth = 1;
  QColor color;

 protected:
  void paintEvent(QPaintEvent* /*e*/) override {
    QPainter p(this);
    p.setPen(QPen(color, penWidth, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(from, to);
  }
};

// Keys and focus of every control widget, as the form model wants them.
class KeyFilter : public QObject {
 public:
  KeyFilter(Link link, QObject* parent) : QObject(parent), link_(std::move(link)) {}
  std::map<const QObject*, Control*> controls;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
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

 private:
  Link link_;
};

void setColors(QWidget* w, const Control& c, QPalette::ColorRole back, bool fill) {
  QPalette pal = w->palette();
  // Text colours for the active and inactive states only: a disabled control
  // keeps the style's greyed text, so it looks disabled.
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    pal.setColor(group, QPalette::WindowText, toQColor(c.foreColor()));
    pal.setColor(group, QPalette::Text, toQColor(c.foreColor()));
    pal.setColor(group, QPalette::ButtonText, toQColor(c.foreColor()));
  }
  pal.setColor(back, toQColor(c.backColor()));
  pal.setColor(QPalette::Window, toQColor(c.backColor()));
  w->setPalette(pal);
  w->setAutoFillBackground(fill);
}

// The text colour of a disabled control.
constexpr forms::Color kGrayText{128, 128, 128};

QString hexColor(forms::Color c) {
  return toQColor(c).name(QColor::HexRgb);
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

QString actionName(const forms::MenuItem& item) {
  return toQString(item.index() > 0 ? item.name() + "(" + std::to_string(item.index()) + ")"
                                    : item.name());
}

int countItems(const std::vector<std::unique_ptr<forms::MenuItem>>& items) {
  int n = 0;
  for (const auto& m : items) n += 1 + countItems(m->items());
  return n;
}

}  // namespace

// ---- lists

namespace {

class ListWidget : public QListView {
 public:
  using QListView::QListView;
  // Lays the rows out now rather than at the next event-loop turn.
  void layOutNow() { executeDelayedItemsLayout(); }

 protected:
  void paintEvent(QPaintEvent* e) override;
};

}  // namespace

// The list reads the model's items where they are and takes new ones in one
// row insertion when it is next drawn, or when the toolkit repaints or pumps
// events. A row insertion makes the list lay out all its rows again, so a
// long list takes them at most every ten times what that costs: a network
// walk that repaints after each server stays quick, and shows its progress.
class ListModel : public QAbstractListModel {
 public:
  ListModel(Link link, const forms::ListBox& list, ListWidget* view)
      : QAbstractListModel(view), link_(std::move(link)), list_(list), view_(view) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { apply(); });
    sinceApply_.start();
  }

  [[nodiscard]] int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : count_;
  }
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override {
    if (link_->view == nullptr || role != Qt::DisplayRole || index.row() < 0 ||
        index.row() >= count_) {
      return {};
    }
    const auto& items = list_.items();
    const auto row = static_cast<std::size_t>(index.row());
    return row < items.size() ? toQString(items[row]) : QVariant();
  }

  // The items changed: note it. A clear takes the rows away at once, so that
  // no row stands for an item that is gone.
  void noteChanged() {
    if (static_cast<int>(list_.items().size()) < count_) {
      beginResetModel();
      count_ = 0;
      endResetModel();
      lastCostMs_ = 0;  // an empty list lays out at once again
    }
    if (pending_ || static_cast<int>(list_.items().size()) == count_) return;
    pending_ = true;
    // Back in the event loop with no paint asked for, the rows still arrive.
    timer_.start(static_cast<int>(waitMs()));
  }

  // New rows, if there are some and the last layout was long enough ago.
  void applyIfDue() {
    if (pending_ && waitMs() == 0) apply();
  }

  void apply() {
    // The form may be gone while this model waits for its deletion.
    if (!pending_ || link_->view == nullptr) return;
    pending_ = false;
    timer_.stop();
    const int n = static_cast<int>(list_.items().size());
    if (n <= count_) return;
    QElapsedTimer cost;
    cost.start();
    beginInsertRows(QModelIndex(), count_, n - 1);
    count_ = n;
    endInsertRows();
    view_->layOutNow();
    lastCostMs_ = cost.elapsed();
    sinceApply_.restart();
  }

 private:
  // Below 2 ms a layout is not worth waiting for.
  [[nodiscard]] qint64 waitMs() const {
    if (lastCostMs_ < 2) return 0;
    return std::max<qint64>(0, 10 * lastCostMs_ - sinceApply_.elapsed());
  }

  Link link_;
  const forms::ListBox& list_;
  ListWidget* view_;
  int count_ = 0;
  bool pending_ = false;
  QTimer timer_;
  QElapsedTimer sinceApply_;
  qint64 lastCostMs_ = 0;
};

namespace {

void ListWidget::paintEvent(QPaintEvent* e) {
  // Drawn before the toolkit handed over the new rows: take them now.
  if (auto* m = dynamic_cast<ListModel*>(model())) m->applyIfDue();
  QListView::paintEvent(e);
}

}  // namespace

// ---- keys

int virtualKey(int qtKey) {
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
    return qtKey;  // Qt and Windows agree on letters (upper case) and digits
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return forms::kKeyReturn;
    case Qt::Key_Escape:
      return forms::kKeyEscape;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 9;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
      return 18;
    case Qt::Key_Pause:
      return 19;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_End:
      return 35;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Delete:
      return 46;
    default:
      return 0;
  }
}

int shiftMask(unsigned modifiers) {
  int mask = 0;
  if ((modifiers & Qt::ShiftModifier) != 0U) mask |= 1;
  if ((modifiers & Qt::ControlModifier) != 0U) mask |= 2;
  if ((modifiers & Qt::AltModifier) != 0U) mask |= 4;
  return mask;
}

// ---- the view

QtFormView::QtFormView(QtToolkit& toolkit, forms::Form& form)
    : toolkit_(toolkit), form_(form), link_(std::make_shared<ViewLink>()) {
  link_->view = this;
  window_ = new FormWindow(link_);
  window_->setObjectName(toQString(form.name()));
  auto* layout = new QVBoxLayout(window_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  menuBar_ = new QMenuBar(window_);
  layout->setMenuBar(menuBar_);
  client_ = new ClientArea(link_, window_);
  layout->addWidget(client_);
  keyFilter_ = new KeyFilter(link_, window_);
  toolkit_.viewOpened(*this);

  for (Prop p :
       {Prop::Caption, Prop::Geometry, Prop::BackColor, Prop::Style, Prop::Icon, Prop::Menu}) {
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

int QtFormView::menuBarHeight() const {
  if (!form_.hasVisibleMenu()) return 0;
  const int width = client_->width() > 0 ? client_->width() : client_->minimumWidth();
  const int h = menuBar_->heightForWidth(width);
  return h > 0 ? h : menuBar_->sizeHint().height();
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
  // A container's widget must exist before its children's.
  if (c.parent() != nullptr && widgetOf(*c.parent()) == nullptr) controlAdded(*c.parent());
  QWidget* w = createWidget(c);
  // The form model decides which controls Tab visits, as in every view.
  w->setFocusPolicy(c.takesFocus() ? Qt::StrongFocus : Qt::NoFocus);
  w->setObjectName(
      toQString(c.index() > 0 ? c.name() + "(" + std::to_string(c.index()) + ")" : c.name()));
  widgets_[&c] = w;
  static_cast<KeyFilter*>(keyFilter_)->controls[w] = &c;
  w->installEventFilter(keyFilter_);
  updateAll(c, w);
}

QWidget* QtFormView::createWidget(Control& c) {
  QWidget* parent = c.parent() != nullptr ? widgetOf(*c.parent()) : nullptr;
  if (parent == nullptr) parent = client_;
  const Link link = link_;
  switch (c.kind()) {
    case ControlKind::Label: {
      auto* w = new LabelWidget(parent);
      w->setTextFormat(Qt::PlainText);
      w->setWordWrap(false);
      auto* label = static_cast<forms::Label*>(&c);
      w->onClick = [link, label] {
        if (link->view != nullptr && label->effectivelyEnabled() && label->onClick)
          label->onClick();
      };
      return w;
    }
    case ControlKind::FlatButton: {
      auto* w = new QToolButton(parent);
      auto* button = static_cast<forms::FlatButton*>(&c);
      QObject::connect(w, &QToolButton::clicked, w, [link, button] {
        if (link->view != nullptr) button->click();
      });
      return w;
    }
    case ControlKind::PushButton: {
      auto* w = new QPushButton(parent);
      w->setAutoDefault(false);
      auto* button = static_cast<forms::PushButton*>(&c);
      QObject::connect(w, &QPushButton::clicked, w, [link, button] {
        if (link->view != nullptr) button->click();
      });
      return w;
    }
    case ControlKind::TextBox: {
      auto* w = new QLineEdit(parent);
      auto* box = static_cast<forms::TextBox*>(&c);
      QObject::connect(w, &QLineEdit::textEdited, w, [link, box](const QString& text) {
        if (link->view != nullptr) link->view->userEdited(*box, text);
      });
      return w;
    }
    case ControlKind::CheckBox: {
      auto* w = new CheckBoxWidget(parent);
      w->setTristate(true);
      auto* box = static_cast<forms::CheckBox*>(&c);
      w->onUserClick = [link, box] {
        if (link->view != nullptr) box->userClick();
      };
      return w;
    }
    case ControlKind::Frame:
      return new FrameWidget(parent);
    case ControlKind::List: {
      auto* w = new ListWidget(parent);
      w->setUniformItemSizes(true);
      w->setEditTriggers(QAbstractItemView::NoEditTriggers);
      auto* model = new ListModel(link, *static_cast<forms::ListBox*>(&c), w);
      w->setModel(model);
      lists_.push_back(model);
      return w;
    }
    case ControlKind::PictureBox: {
      auto* w = new PictureWidget(true, parent);
      auto* box = static_cast<forms::PictureBox*>(&c);
      w->onClick = [link, box] {
        if (link->view != nullptr) box->click();
      };
      return w;
    }
    case ControlKind::Image: {
      auto* w = new PictureWidget(false, parent);
      auto* image = static_cast<forms::Image*>(&c);
      w->onClick = [link, image] {
        if (link->view != nullptr) image->click();
      };
      return w;
    }
    case ControlKind::Line:
      return new LineWidget(parent);
    case ControlKind::Timer:
    case ControlKind::ImageList:
      break;
  }
  return new QWidget(parent);
}

void QtFormView::updateAll(Control& c, QWidget* w) {
  for (Prop p :
       {Prop::Font, Prop::ForeColor, Prop::Style, Prop::Caption, Prop::Text, Prop::Value,
        Prop::Picture, Prop::Items, Prop::ToolTip, Prop::Enabled, Prop::Geometry, Prop::Visible}) {
    update(c, p, w);
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
  if (QWidget* w = widgetOf(c)) update(c, p, w);
}

void QtFormView::update(Control& c, Prop p, QWidget* w) {
  const ControlKind kind = c.kind();
  switch (p) {
    case Prop::Geometry: {
      if (kind == ControlKind::Line) {
        const auto& line = static_cast<const forms::Line&>(c);
        auto* lw = static_cast<LineWidget*>(w);
        const int pad = std::max(1, line.borderWidth());
        const QPoint a(toolkit_.toPixels(line.x1()), toolkit_.toPixels(line.y1()));
        const QPoint b(toolkit_.toPixels(line.x2()), toolkit_.toPixels(line.y2()));
        const QRect box = QRect(a, b).normalized().adjusted(-pad, -pad, pad, pad);
        lw->from = a - box.topLeft();
        lw->to = b - box.topLeft();
        lw->penWidth = line.borderWidth();
        lw->setGeometry(box);
        lw->update();
        return;
      }
      if (kind == ControlKind::Label) {  // an autosize label is sized after its caption is set
        static_cast<QLabel*>(w)->setWordWrap(!static_cast<const forms::Label&>(c).autoSize());
      }
      w->setGeometry(toolkit_.toPixels(c.left()), toolkit_.toPixels(c.top()),
                     std::max(0, toolkit_.toPixels(c.width())),
                     std::max(0, toolkit_.toPixels(c.height())));
      return;
    }
    case Prop::Visible:
      w->setVisible(c.visible());
      return;
    case Prop::Enabled:
      w->setEnabled(c.enabled());
      return;
    case Prop::ToolTip:
      w->setToolTip(toQString(c.toolTip()));
      return;
    case Prop::Font: {
      QFont font = toQFont(c.font());
      w->setFont(font);
      return;
    }
    case Prop::ForeColor:
    case Prop::BackColor: {
      switch (kind) {
        case ControlKind::TextBox:
          update(c, Prop::Style, w);
          return;
        case ControlKind::Line: {
          static_cast<LineWidget*>(w)->color = toQColor(c.foreColor());
          w->update();
          return;
        }
        case ControlKind::List:
          setColors(w, c, QPalette::Base, false);
          return;
        case ControlKind::FlatButton:
        case ControlKind::PushButton:
          setColors(w, c, QPalette::Button, true);
          return;
        case ControlKind::Image:
          setColors(w, c, QPalette::Window, false);
          return;
        default:
          setColors(w, c, QPalette::Window, true);
          return;
      }
    }
    case Prop::Caption:
    case Prop::Text: {
      switch (kind) {
        case ControlKind::Label: {
          const auto& label = static_cast<const forms::Label&>(c);
          auto* l = static_cast<QLabel*>(w);
          // A label of fixed size wraps its words inside its width; one that
          // takes its caption's size keeps the caption's own lines.
          l->setWordWrap(!label.autoSize());
          l->setText(toDisplayText(label.caption()));
          return;
        }
        case ControlKind::FlatButton:
          static_cast<QToolButton*>(w)->setText(
              toQString(static_cast<const forms::FlatButton&>(c).caption()));
          update(c, Prop::Picture, w);  // icon beside text or alone
          return;
        case ControlKind::PushButton:
          static_cast<QPushButton*>(w)->setText(
              toQString(static_cast<const forms::PushButton&>(c).caption()));
          return;
        case ControlKind::CheckBox:
          static_cast<QCheckBox*>(w)->setText(
              toQString(static_cast<const forms::CheckBox&>(c).caption()));
          return;
        case ControlKind::Frame: {
          static_cast<FrameWidget*>(w)->caption =
              toQString(static_cast<const forms::Frame&>(c).caption());
          w->update();
          return;
        }
        case ControlKind::TextBox: {
          if (userEditing_) return;  // the box shows it already, cursor and all
          auto* edit = static_cast<QLineEdit*>(w);
          const QString text = toQString(static_cast<const forms::TextBox&>(c).text());
          if (edit->text() != text) edit->setText(text);
          // A text the program sets shows its start (a path its server and
          // share), as a Windows edit box does.
          edit->setCursorPosition(0);
          return;
        }
        default:
          return;
      }
    }
    case Prop::Value: {
      if (kind != ControlKind::CheckBox) return;
      const int v = static_cast<const forms::CheckBox&>(c).value();
      const QSignalBlocker block(w);
      static_cast<QCheckBox*>(w)->setCheckState(v == 1   ? Qt::Checked
                                                : v == 2 ? Qt::PartiallyChecked
                                                         : Qt::Unchecked);
      return;
    }
    case Prop::Picture: {
      if (kind == ControlKind::FlatButton) {
        const auto& b = static_cast<const forms::FlatButton&>(c);
        auto* tb = static_cast<QToolButton*>(w);
        QPixmap pix;
        if (!b.picture().empty()) pix = toolkit_.pixmap(b.picture().file);
        if (!pix.isNull() && !pix.hasAlphaChannel()) {
          pix.setMask(pix.createMaskFromColor(toQColor(b.maskColor())));
        }
        tb->setIcon(pix.isNull() ? QIcon() : QIcon(pix));
        if (!pix.isNull()) tb->setIconSize(pix.size());
        tb->setToolButtonStyle(pix.isNull()          ? Qt::ToolButtonTextOnly
                               : b.caption().empty() ? Qt::ToolButtonIconOnly
                                                     : Qt::ToolButtonTextBesideIcon);
        tb->update();
        return;
      }
      const forms::Picture* pic = nullptr;
      if (kind == ControlKind::PictureBox)
        pic = &static_cast<const forms::PictureBox&>(c).picture();
      if (kind == ControlKind::Image) pic = &static_cast<const forms::Image&>(c).picture();
      if (pic == nullptr) return;
      auto* pw = static_cast<PictureWidget*>(w);
      pw->picture = pic->empty() ? QPixmap() : toolkit_.pixmap(pic->file);
      pw->update();
      return;
    }
    case Prop::Items: {
      if (kind != ControlKind::List) return;
      auto* model = static_cast<ListModel*>(static_cast<QListView*>(w)->model());
      model->noteChanged();
      w->update();
      return;
    }
    case Prop::Style: {
      if (kind == ControlKind::Label) {
        static_cast<QLabel*>(w)->setAlignment(
            toQtAlignment(static_cast<const forms::Label&>(c).alignment()));
      } else if (kind == ControlKind::PushButton) {
        static_cast<QPushButton*>(w)->setDefault(
            static_cast<const forms::PushButton&>(c).isDefault());
      } else if (kind == ControlKind::TextBox) {
        const auto& box = static_cast<const forms::TextBox&>(c);
        auto* edit = static_cast<QLineEdit*>(w);
        // Any password character shows as a filled circle: the designed one
        // is a letter of a symbol font that is not installed here.
        edit->setEchoMode(box.passwordChar() != 0 ? QLineEdit::Password : QLineEdit::Normal);
        // A disabled box draws its text greyed, whatever its colour.
        edit->setStyleSheet(
            QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid "
                           "%3; padding: 0px 1px; lineedit-password-character: "
                           "9679; } QLineEdit:disabled { color: %4; }")
                .arg(hexColor(box.backColor()), hexColor(box.foreColor()),
                     hexColor(box.borderColor()), hexColor(kGrayText)));
      }
      return;
    }
    case Prop::Timer:
    case Prop::Menu:
    case Prop::Icon:
      return;
  }
}

// ---- the form

void QtFormView::formChanged(Prop p) {
  switch (p) {
    case Prop::Caption:
      window_->setWindowTitle(toQString(form_.caption()));
      return;
    case Prop::Geometry:
      applyClientGeometry();
      return;
    case Prop::BackColor: {
      QPalette pal = client_->palette();
      pal.setColor(QPalette::Window, toQColor(form_.backColor()));
      client_->setPalette(pal);
      window_->setPalette(pal);
      return;
    }
    case Prop::Style:
      applyWindowFlags();
      return;
    case Prop::Icon: {
      const auto& icon = form_.icon();
      window_->setWindowIcon(icon.empty() ? QIcon() : QIcon(toQString(icon.file)));
      return;
    }
    case Prop::Menu:
      rebuildMenuBar();
      return;
    default:
      return;
  }
}

void QtFormView::applyClientGeometry() {
  const forms::Size s = form_.clientSize();
  client_->setFixedSize(std::max(1, toolkit_.toPixels(s.width)),
                        std::max(1, toolkit_.toPixels(s.height)));
  if (!form_.centered() && placed_) placeWindow();
}

void QtFormView::applyWindowFlags() {
  const bool wasVisible = window_->isVisible();
  const QPoint pos = window_->pos();
  Qt::WindowFlags flags = Qt::Window;
  const bool frameless = form_.borderStyle() == forms::BorderStyle::None || !form_.titleBar();
  // A window without the notification icon that stands for it keeps its
  // task-list entry: that is the way back to it.
  const bool offTaskList = !form_.showInTaskbar() ||
                           (toolkit_.hiddenFromTaskList() && !toolkit_.lacksItsTrayIcon(form_));
  if (offTaskList || form_.borderStyle() == forms::BorderStyle::None ||
      form_.borderStyle() == forms::BorderStyle::FixedToolWindow) {
    flags = Qt::Tool;
  }
  if (frameless) {
    flags |= Qt::FramelessWindowHint;
  } else {
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint;
    if (form_.borderStyle() == forms::BorderStyle::Sizable) flags |= Qt::WindowMinimizeButtonHint;
  }
  if (topMost_) flags |= Qt::WindowStaysOnTopHint;
  if (flags == window_->windowFlags()) return;
  window_->setWindowFlags(flags);  // hides a visible window
  if (wasVisible) {
    window_->move(pos);
    window_->show();
  }
}

void QtFormView::setTopMost(bool onTop) {
  topMost_ = onTop;
  applyWindowFlags();
}

void QtFormView::placeWindow() {
  window_->adjustSize();
  if (form_.centered()) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const forms::Size extra = toolkit_.frameExtra(form_);
    const int outerW = window_->width() + toolkit_.toPixels(extra.width);
    const int outerH = window_->height() + toolkit_.toPixels(extra.height) - menuBarHeight();
    const QRect area = screen->availableGeometry();
    window_->move(area.center().x() - outerW / 2, area.center().y() - outerH / 2);
  } else {
    window_->move(toolkit_.toPixels(form_.left()), toolkit_.toPixels(form_.top()));
  }
}

void QtFormView::showWindow() {
  if (countItems(form_.menus()) != static_cast<int>(actions_.size())) rebuildMenuBar();
  if (!placed_ || !form_.centered()) placeWindow();
  placed_ = true;
  paint_.shown();
  // A window manager may minimize a window that offers no minimize box; it
  // has no task-list entry to come back from, so showing it restores it.
  if (window_->isMinimized())
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
  window_->show();
  // A client entirely covered by opaque children gets no paint event of its
  // own: the window's first exposure is then what says it has been drawn.
  if (exposeFilter_ == nullptr) exposeFilter_ = new ExposeFilter(link_, window_);
  // The native window may have been made anew (new flags): watch the current one.
  if (QWindow* handle = window_->windowHandle()) handle->installEventFilter(exposeFilter_);
  if (window_->windowHandle() != nullptr && window_->windowHandle()->isExposed()) {
    clientPainted(true);
  }
  // Platforms without a window manager (offscreen) cannot stack windows.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    window_->raise();
    window_->activateWindow();
  }
}

void QtFormView::hideWindow() {
  if (toolkit_.lacksItsTrayIcon(form_)) {
    // No icon to come back by: the task list keeps the way back. A window
    // never shown is shown first: window managers map it as it asked at
    // its first map, and Qt does not ask for iconic then.
    if (!window_->isVisible()) {
      iconifyWhenExposed_ = true;
      showWindow();
      return;
    }
    minimizedForTray_ = true;
    window_->showMinimized();
    return;
  }
  window_->hide();
}

void QtFormView::exposed() {
  if (!iconifyWhenExposed_) return;
  iconifyWhenExposed_ = false;
  hideWindow();
}

void QtFormView::restoredFromTaskList() {
  if (!minimizedForTray_) return;
  minimizedForTray_ = false;
  // What the icon's double click would have said: show the window.
  toolkit_.trayActivated(form_, QSystemTrayIcon::DoubleClick);
}

// ---- menus

void QtFormView::rebuildMenuBar() {
  for (QMenu* old : menuBar_->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) old->deleteLater();
  menuBar_->clear();
  actions_.clear();
  for (const auto& top : form_.menus()) {
    if (top->items().empty()) {
      QAction* a = menuBar_->addAction(QString());
      actions_[top.get()] = a;
      forms::MenuItem* item = top.get();
      QObject::connect(a, &QAction::triggered, a, [link = link_, item] {
        if (link->view != nullptr) item->click();
      });
    } else {
      QMenu* m = menuBar_->addMenu(QString());
      m->setObjectName(actionName(*top));
      actions_[top.get()] = m->menuAction();
      fillMenu(m, *top);
    }
    syncAction(*top);
  }
  menuBar_->setVisible(form_.hasVisibleMenu());
}

void QtFormView::fillMenu(QMenu* menu, forms::MenuItem& parent) {
  for (const auto& child : parent.items()) {
    forms::MenuItem* item = child.get();
    QAction* a = nullptr;
    if (item->isSeparator()) {
      a = menu->addSeparator();
    } else if (!item->items().empty()) {
      QMenu* sub = menu->addMenu(QString());
      a = sub->menuAction();
      fillMenu(sub, *item);
    } else {
      a = menu->addAction(QString());
      QObject::connect(a, &QAction::triggered, a, [link = link_, item] {
        if (link->view == nullptr) return;
        item->click();
        // The click may have left the check mark as it was; show the model's.
        if (QtFormView* v = link->view) v->syncAction(*item);
      });
    }
    // Named as the model names it, for tests and accessibility tools.
    a->setObjectName(actionName(*item));
    actions_[item] = a;
    syncAction(*item);
  }
}

void QtFormView::syncAction(forms::MenuItem& item) {
  auto it = actions_.find(&item);
  if (it == actions_.end()) return;
  QAction* a = it->second;
  if (!item.isSeparator()) a->setText(toQString(item.caption()));
  // Only a checked item is checkable, so unchecked ones show no empty box.
  a->setCheckable(item.checked());
  a->setChecked(item.checked());
  a->setEnabled(item.enabled());
  a->setVisible(item.visible());
}

void QtFormView::menuChanged(forms::MenuItem& item) {
  if (actions_.count(&item) == 0) {
    rebuildMenuBar();  // an item added after the form was loaded
    return;
  }
  if (item.isSeparator() != actions_[&item]->isSeparator()) {
    rebuildMenuBar();
    return;
  }
  syncAction(item);
  if (item.parent() == nullptr) menuBar_->setVisible(form_.hasVisibleMenu());
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
