// A window of the form model: caption, client size in twips, colours, border,
// icon, menu bar, controls (some in 1-based control arrays) and events.
// Program logic works only on forms; a Toolkit renders them.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms/control.h"
#include "platform/forms/controls.h"
#include "platform/forms/menu.h"
#include "platform/forms/types.h"

namespace quilbert::forms {

class Toolkit;

// What a backend attaches to a loaded form to render it.
class FormView {
 public:
  virtual ~FormView() = default;
  virtual void controlAdded(Control& c) = 0;
  virtual void controlChanged(Control& c, Prop p) = 0;
  virtual void formChanged(Prop p) = 0;
  virtual void menuChanged(MenuItem& item) = 0;
};

class Form {
 public:
  Form(Toolkit& toolkit, std::string name);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  [[nodiscard]] const std::string& name() const { return name_; }
  [[nodiscard]] Toolkit& toolkit() const { return toolkit_; }

  [[nodiscard]] const std::string& caption() const { return caption_; }
  void setCaption(std::string v);
  [[nodiscard]] Size clientSize() const { return client_; }
  void setClientSize(Size s);
  // Outer size: client area plus the frame the backend draws around it.
  [[nodiscard]] int width() const;
  [[nodiscard]] int height() const;
  void setWidth(int outer);
  void setHeight(int outer);
  [[nodiscard]] int left() const { return left_; }
  [[nodiscard]] int top() const { return top_; }
  void setPosition(int left, int top);
  [[nodiscard]] bool centered() const { return centered_; }
  void setCentered(bool v) { centered_ = v; }

  [[nodiscard]] Color backColor() const { return backColor_; }
  void setBackColor(Color c);
  [[nodiscard]] BorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(BorderStyle b);
  [[nodiscard]] bool titleBar() const { return titleBar_; }
  void setTitleBar(bool v);
  [[nodiscard]] const Picture& icon() const { return icon_; }
  void setIcon(Picture p);
  [[nodiscard]] bool showInTaskbar() const { return showInTaskbar_; }
  void setShowInTaskbar(bool v) { showInTaskbar_ = v; }
  [[nodiscard]] bool hasVisibleMenu() const;

  // Lifecycle. load() attaches a view and fires onLoad; show()/hide() change
  // visibility; showModal() returns once the form is hidden or unloaded, the
  // backend delivering events meanwhile; unload() fires QueryUnload (which may
  // cancel) then Unload and detaches the view. Returns whether it unloaded.
  void load();
  void show();
  void hide();
  void showModal();
  bool unload(UnloadReason reason = UnloadReason::Code);
  // The user's close box: an unload with the control-menu reason.
  bool userClose() { return unload(UnloadReason::ControlMenu); }
  void refresh();
  [[nodiscard]] bool loaded() const { return view_ != nullptr; }
  [[nodiscard]] bool visible() const { return visible_; }
  [[nodiscard]] bool modal() const { return modal_; }
  [[nodiscard]] int paintCount() const { return paintCount_; }

  // Controls. add() creates one; an index >= 1 makes it an element of the
  // control array of that name. loadElement() loads a new array element as a
  // copy of element 1, as the classic runtime's Load statement does.
  template <class T>
  T& add(std::string name, int index = 0, Control* parent = nullptr) {
    auto ptr = std::make_unique<T>(*this, std::move(name), index, parent);
    T& ref = *ptr;
    adopt(std::move(ptr));
    return ref;
  }
  template <class T>
  T& loadElement(const std::string& name, int newIndex) {
    return dynamic_cast<T&>(loadElementImpl(name, newIndex));
  }
  [[nodiscard]] Control* find(const std::string& name, int index = 0) const;
  template <class T>
  [[nodiscard]] T& get(const std::string& name, int index = 0) const {
    Control* c = find(name, index);
    if (c == nullptr)
      throw std::out_of_range("no control " + name + "(" + std::to_string(index) + ")");
    return dynamic_cast<T&>(*c);
  }
  [[nodiscard]] const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  [[nodiscard]] std::vector<Control*> childrenOf(const Control* parent) const;

  // Menu bar.
  MenuItem& addMenu(std::string name, std::string caption, int index = -1);
  [[nodiscard]] const std::vector<std::unique_ptr<MenuItem>>& menus() const { return menus_; }
  [[nodiscard]] MenuItem* findMenu(const std::string& name, int index = -1) const;
  [[nodiscard]] MenuItem& menu(const std::string& name, int index = -1) const;

  // Keyboard. keyDown() delivers a key to the focused control; Enter clicks
  // the default push button and Escape the cancel one.
  [[nodiscard]] Control* focused() const { return focused_; }
  void focus(Control* c);
  void keyDown(int keyCode, int shift = 0);
  // The enabled, visible push button that answers Enter (or Escape), if any.
  [[nodiscard]] PushButton* roleButton(bool cancel) const;
  // Every control that takes the focus, in Tab's order (tab index, then the
  // order they were added), whether it can be reached now or not.
  [[nodiscard]] std::vector<Control*> focusChain() const;
  // The controls Tab moves through: those of the chain visible and enabled
  // with their containers.
  [[nodiscard]] std::vector<Control*> tabOrder() const;
  void keyUp(int keyCode, int shift = 0);

  // Called by the backend when the form has been drawn.
  void paint();
  // Called by the backend with mouse moves over the form, in twips.
  void mouseMove(int button, int shift, float x, float y);
  // Called by the backend when the user clicks the form itself (not a control).
  void click();

  std::function<void()> onLoad;
  std::function<void(int& cancel, UnloadReason reason)> onQueryUnload;
  std::function<void()> onUnload;
  std::function<void()> onPaint;
  std::function<void(int button, int shift, float x, float y)> onMouseMove;
  std::function<void()> onClick;

  // For controls and menu items: pass a change on to the view.
  void notify(Control& c, Prop p);
  void notify(MenuItem& m);
  [[nodiscard]] FormView* view() const { return view_.get(); }

 private:
  void adopt(std::unique_ptr<Control> c);
  Control& loadElementImpl(const std::string& name, int newIndex);
  void formChanged(Prop p);
  void detachView();

  Toolkit& toolkit_;
  std::string name_;
  std::string caption_;
  Size client_{};
  int left_ = 0;
  int top_ = 0;
  bool centered_ = true;
  Color backColor_ = kFormGrey;
  BorderStyle borderStyle_ = BorderStyle::Sizable;
  bool titleBar_ = true;
  Picture icon_;
  bool showInTaskbar_ = true;
  bool visible_ = false;
  bool modal_ = false;
  int paintCount_ = 0;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<std::unique_ptr<MenuItem>> menus_;
  Control* focused_ = nullptr;
  std::unique_ptr<FormView> view_;
};

}  // namespace quilbert::forms
