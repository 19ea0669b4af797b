// The widget of each control kind, wired to the model's events. Every
// callback checks the view link, so that nothing reaches an unloaded form.
#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "platform/qt/qt_form_view.h"

namespace quilbert::qtview {

// A new widget for `c` inside `parent`, its user events sent to the model.
QWidget* createControlWidget(const Link& link, forms::Control& c, QWidget* parent);

// A frame: rounded border (radius 5) with the caption set into its top edge.
class FrameWidget : public QWidget {
 public:
  using QWidget::QWidget;
  QString caption;

 protected:
  void paintEvent(QPaintEvent* e) override;
};

// Picture box (opaque, holds children) and image (transparent): the picture
// at its natural size in the top-left corner.
class PictureWidget : public QWidget {
 public:
  PictureWidget(bool opaque, QWidget* parent);
  QPixmap picture;
  std::function<void()> onClick;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  // The focus frame comes and goes with the keyboard.
  void focusInEvent(QFocusEvent* e) override {
    QWidget::focusInEvent(e);
    update();
  }
  void focusOutEvent(QFocusEvent* e) override {
    QWidget::focusOutEvent(e);
    update();
  }
};

class LineWidget : public QWidget {
 public:
  explicit LineWidget(QWidget* parent);
  QPoint from;
  QPoint to;
  int penWidth = 1;
  QColor color;

 protected:
  void paintEvent(QPaintEvent* e) override;
};

class ListWidget;

// The list reads the model's items where they are and takes new ones in one
// row insertion when it is next drawn, or when the toolkit repaints or pumps
// events. A row insertion makes the list lay out all its rows again, so a
// long list takes them at most every ten times what that costs: a network
// walk that repaints after each server stays quick, and shows its progress.
class ListModel : public QAbstractListModel {
 public:
  ListModel(Link link, const forms::ListBox& list, ListWidget* view);

  [[nodiscard]] int rowCount(const QModelIndex& parent) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  // The items changed: note it. A clear takes the rows away at once, so that
  // no row stands for an item that is gone.
  void noteChanged();
  // New rows, if there are some and the last layout was long enough ago.
  void applyIfDue();
  void apply();

 private:
  [[nodiscard]] qint64 waitMs() const;

  Link link_;
  const forms::ListBox& list_;
  ListWidget* view_;
  int count_ = 0;
  bool pending_ = false;
  QTimer timer_;
  QElapsedTimer sinceApply_;
  qint64 lastCostMs_ = 0;
};

// The model behind the widget of a list control.
ListModel* listModelOf(QWidget* listWidget);

}  // namespace quilbert::qtview
