// The form's menu bar: one action per menu item, named as the model names it,
// rebuilt when items come or change kind.
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <string>

#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_form_view.h"

namespace quilbert::qtview {

namespace {

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

void QtFormView::rebuildMenuBarIfStale() {
  if (!menusBuilt_ || countItems(form_.menus()) != static_cast<int>(actions_.size())) {
    rebuildMenuBar();
  }
}

void QtFormView::rebuildMenuBar() {
  menusBuilt_ = true;
  if (menuBar_ == nullptr) {
    menuBar_ = new QMenuBar(window_);
    window_->layout()->setMenuBar(menuBar_);
  }
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
  if (!menusBuilt_) return;  // made from the model when first needed
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

}  // namespace quilbert::qtview
