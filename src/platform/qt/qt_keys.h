// Keyboard input of a form's controls: Qt keys as the form model's key codes,
// and the filter that hands keys and focus changes to the view.
#pragma once

#include <QObject>
#include <map>

#include "platform/qt/qt_form_view.h"

namespace quilbert::qtview {

// The Windows virtual-key code of a Qt key (0 when it has none) and the
// classic shift mask (1 shift, 2 ctrl, 4 alt) of Qt modifiers.
int virtualKey(int qtKey);
int shiftMask(unsigned modifiers);

// Keys and focus of every control widget, as the form model wants them.
class KeyFilter : public QObject {
 public:
  KeyFilter(Link link, QObject* parent);
  std::map<const QObject*, forms::Control*> controls;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  Link link_;
};

}  // namespace quilbert::qtview
