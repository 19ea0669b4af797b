// The Qt view of one loaded form: a top-level window (menu bar above a
// fixed-size client area) and one widget per control. The controls' widgets
// and the menu bar are made when the window is first shown (the menu bar also
// when measured): a form loaded and never shown costs only its window.
// Widgets reach the model through a shared link that the view clears when it
// goes away, so a user event arriving after an unload touches nothing.
//
// Its parts: the controls and their events here (qt_form_view.cpp), the
// window (qt_form_window.cpp), the menu bar (qt_form_menus.cpp), each
// property of a control (qt_control_properties.cpp), each control kind's
// widget (qt_control_widgets.h) and the keys (qt_keys.h).
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/forms/form.h"
#include "platform/forms/paint_queue.h"

class QMenu;
class QMenuBar;
class QAction;
class QTimer;
class QWidget;
class QObject;
class QString;

namespace quilbert::qtview {

class QtToolkit;
class QtFormView;
class ListModel;
class KeyFilter;

// What widgets hold instead of a raw view pointer.
struct ViewLink {
  QtFormView* view = nullptr;
};
using Link = std::shared_ptr<ViewLink>;

class QtFormView : public forms::FormView {
 public:
  QtFormView(QtToolkit& toolkit, forms::Form& form);
  ~QtFormView() override;
  QtFormView(const QtFormView&) = delete;
  QtFormView& operator=(const QtFormView&) = delete;

  void controlAdded(forms::Control& c) override;
  void controlChanged(forms::Control& c, forms::Prop p) override;
  void formChanged(forms::Prop p) override;
  void menuChanged(forms::MenuItem& item) override;

  [[nodiscard]] QWidget* window() const { return window_; }
  [[nodiscard]] QWidget* client() const { return client_; }
  [[nodiscard]] QWidget* widgetOf(const forms::Control& c) const;
  [[nodiscard]] forms::Form& form() const { return form_; }
  [[nodiscard]] QtToolkit& toolkit() const { return toolkit_; }
  // Height in pixels the menu bar takes above the client area (0 without one).
  [[nodiscard]] int menuBarHeight();

  // Every colour again: the desktop's contrast changed.
  void applyColors();

  void showWindow();
  // Hides the window, or minimizes it when it lacks the notification icon
  // that would bring it back.
  void hideWindow();
  // The window left the minimized state it was put in for want of an icon.
  void restoredFromTaskList();
  // The window has been drawn on the screen (mapped by the window manager).
  void exposed();
  void setTopMost(bool onTop);
  // Window flags from the form's border style, title bar, task-list setting
  // and keep-on-top request; re-shows a visible window in place.
  void applyWindowFlags();

  // Gives every list the items added since it was last drawn.
  void applyListChanges();

  // ---- from the widgets
  void keyEvent(forms::Control* c, int keyCode, int shift, bool down);
  void focusGained(forms::Control* c);
  void userEdited(forms::TextBox& box, const QString& text);
  void clientPainted(bool whole);
  void clientMouseMove(int button, int shift, double x, double y);
  void closeRequested();

 private:
  // The window and its client area.
  void buildWindow();
  // The controls' widgets, made at the first show; until then a control has
  // none, and its widget is made from the model's state then.
  void buildControls();
  // Qt's focus chain in the model's Tab order.
  void applyTabChain();
  void applyProperty(forms::Control& c, forms::Prop p, QWidget* w);
  void applyAllProperties(forms::Control& c, QWidget* w);
  // Builds the menu bar when it is first needed, and again when its actions
  // no longer match the form's items.
  void rebuildMenuBarIfStale();
  void rebuildMenuBar();
  void fillMenu(QMenu* menu, forms::MenuItem& item);
  void syncAction(forms::MenuItem& item);
  void applyClientGeometry();
  void placeWindow();

  QtToolkit& toolkit_;
  forms::Form& form_;
  Link link_;
  QWidget* window_ = nullptr;
  QWidget* client_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  KeyFilter* keyFilter_ = nullptr;
  QObject* exposeFilter_ = nullptr;
  bool topMost_ = false;
  bool userEditing_ = false;
  bool minimizedForTray_ = false;
  bool iconifyWhenExposed_ = false;
  bool placed_ = false;
  bool built_ = false;
  bool building_ = false;  // buildControls() is adding every control
  bool menusBuilt_ = false;
  // When the form's Paint event runs after a drawing.
  forms::PaintQueue paint_;
  std::map<const forms::Control*, QWidget*> widgets_;
  std::map<const forms::Control*, QTimer*> timers_;
  std::map<const forms::MenuItem*, QAction*> actions_;
  std::vector<ListModel*> lists_;  // owned by their widgets
};

}  // namespace quilbert::qtview
