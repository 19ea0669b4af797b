#include "platform/qt/qt_control_widgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <algorithm>

#include "platform/qt/qt_convert.h"

namespace quilbert::qtview {

using forms::Control;
using forms::ControlKind;

namespace {

bool leftClickInside(const QWidget* w, const QMouseEvent* e) {
  return e->button() == Qt::LeftButton && w->rect().contains(e->position().toPoint());
}

class LabelWidget : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> onClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override {
    QLabel::mouseReleaseEvent(e);
    if (leftClickInside(this, e) && onClick) onClick();
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

}  // namespace

class ListWidget : public QListView {
 public:
  using QListView::QListView;
  // Lays the rows out now rather than at the next event-loop turn.
  void layOutNow() { executeDelayedItemsLayout(); }

 protected:
  void paintEvent(QPaintEvent* e) override {
    // Drawn before the toolkit handed over the new rows: take them now.
    if (auto* m = dynamic_cast<ListModel*>(model())) m->applyIfDue();
    QListView::paintEvent(e);
  }
};

// ---- creating each kind's widget

namespace {

// A callback that does nothing once the form is unloaded.
template <typename Act>
std::function<void()> whileLoaded(const Link& link, Act act) {
  return [link, act] {
    if (link->view != nullptr) act();
  };
}

QWidget* newLabel(const Link& link, Control& c, QWidget* parent) {
  auto* w = new LabelWidget(parent);
  w->setTextFormat(Qt::PlainText);
  w->setWordWrap(false);
  auto* label = static_cast<forms::Label*>(&c);
  w->onClick = whileLoaded(link, [label] {
    if (label->effectivelyEnabled() && label->onClick) label->onClick();
  });
  return w;
}

template <typename Button, typename Model>
Button* newButton(const Link& link, Control& c, QWidget* parent) {
  auto* w = new Button(parent);
  auto* button = static_cast<Model*>(&c);
  QObject::connect(w, &Button::clicked, w, whileLoaded(link, [button] { button->click(); }));
  return w;
}

QWidget* newPushButton(const Link& link, Control& c, QWidget* parent) {
  auto* w = newButton<QPushButton, forms::PushButton>(link, c, parent);
  w->setAutoDefault(false);
  return w;
}

QWidget* newTextBox(const Link& link, Control& c, QWidget* parent) {
  auto* w = new QLineEdit(parent);
  auto* box = static_cast<forms::TextBox*>(&c);
  QObject::connect(w, &QLineEdit::textEdited, w, [link, box](const QString& text) {
    if (link->view != nullptr) link->view->userEdited(*box, text);
  });
  return w;
}

QWidget* newCheckBox(const Link& link, Control& c, QWidget* parent) {
  auto* w = new CheckBoxWidget(parent);
  w->setTristate(true);
  auto* box = static_cast<forms::CheckBox*>(&c);
  w->onUserClick = whileLoaded(link, [box] { box->userClick(); });
  return w;
}

QWidget* newList(const Link& link, Control& c, QWidget* parent) {
  auto* w = new ListWidget(parent);
  w->setUniformItemSizes(true);
  w->setEditTriggers(QAbstractItemView::NoEditTriggers);
  w->setModel(new ListModel(link, *static_cast<forms::ListBox*>(&c), w));
  return w;
}

// Picture box and image.
template <typename Model>
QWidget* newPicture(const Link& link, Control& c, QWidget* parent, bool opaque) {
  auto* w = new PictureWidget(opaque, parent);
  auto* picture = static_cast<Model*>(&c);
  w->onClick = whileLoaded(link, [picture] { picture->click(); });
  return w;
}

}  // namespace

QWidget* createControlWidget(const Link& link, Control& c, QWidget* parent) {
  switch (c.kind()) {
    case ControlKind::Label:
      return newLabel(link, c, parent);
    case ControlKind::FlatButton:
      return newButton<QToolButton, forms::FlatButton>(link, c, parent);
    case ControlKind::PushButton:
      return newPushButton(link, c, parent);
    case ControlKind::TextBox:
      return newTextBox(link, c, parent);
    case ControlKind::CheckBox:
      return newCheckBox(link, c, parent);
    case ControlKind::Frame:
      return new FrameWidget(parent);
    case ControlKind::List:
      return newList(link, c, parent);
    case ControlKind::PictureBox:
      return newPicture<forms::PictureBox>(link, c, parent, true);
    case ControlKind::Image:
      return newPicture<forms::Image>(link, c, parent, false);
    case ControlKind::Line:
      return new LineWidget(parent);
    case ControlKind::Timer:
    case ControlKind::ImageList:
      break;
  }
  return new QWidget(parent);
}

// ---- drawing

void FrameWidget::paintEvent(QPaintEvent* /*e*/) {
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

PictureWidget::PictureWidget(bool opaque, QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(opaque);
}

void PictureWidget::paintEvent(QPaintEvent* /*e*/) {
  QPainter p(this);
  if (!picture.isNull()) p.drawPixmap(0, 0, picture);
  // A picture that takes the keyboard shows it, as every other control does.
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.backgroundColor = palette().color(QPalette::Window);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
  }
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* e) {
  QWidget::mouseReleaseEvent(e);
  if (leftClickInside(this, e) && onClick) onClick();
}

LineWidget::LineWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineWidget::paintEvent(QPaintEvent* /*e*/) {
  QPainter p(this);
  p.setPen(QPen(color, penWidth, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(from, to);
}

// ---- lists

ListModel::ListModel(Link link, const forms::ListBox& list, ListWidget* view)
    : QAbstractListModel(view), link_(std::move(link)), list_(list), view_(view) {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { apply(); });
  sinceApply_.start();
}

ListModel* listModelOf(QWidget* listWidget) {
  return static_cast<ListModel*>(static_cast<QListView*>(listWidget)->model());
}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count_;
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (link_->view == nullptr || role != Qt::DisplayRole || index.row() < 0 ||
      index.row() >= count_) {
    return {};
  }
  const auto& items = list_.items();
  const auto row = static_cast<std::size_t>(index.row());
  return row < items.size() ? toQString(items[row]) : QVariant();
}

void ListModel::noteChanged() {
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

void ListModel::applyIfDue() {
  if (pending_ && waitMs() == 0) apply();
}

void ListModel::apply() {
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

// Below 2 ms a layout is not worth waiting for.
qint64 ListModel::waitMs() const {
  if (lastCostMs_ < 2) return 0;
  return std::max<qint64>(0, 10 * lastCostMs_ - sinceApply_.elapsed());
}

}  // namespace quilbert::qtview
