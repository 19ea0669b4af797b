// Base of every control of the form model: geometry, visibility, enabled
// state, colours, font, tool tip and key notifications. Setters notify the
// form's view so a backend can redraw exactly what changed.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/forms/types.h"

namespace quilbert::forms {

class Form;

enum class ControlKind {
  Label,
  FlatButton,
  PushButton,
  TextBox,
  CheckBox,
  Frame,
  List,
  PictureBox,
  Image,
  Line,
  Timer,
  ImageList,
};

class Control {
 public:
  Control(Form& form, ControlKind kind, std::string name, int index, Control* parent);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  [[nodiscard]] ControlKind kind() const { return kind_; }
  // Whether the kind takes the keyboard focus (and so has a place in the tab order).
  [[nodiscard]] bool takesFocus() const;
  [[nodiscard]] const std::string& name() const { return name_; }
  // Element index in a control array; 0 for a control that is not in one.
  [[nodiscard]] int index() const { return index_; }
  [[nodiscard]] Form& form() const { return form_; }
  // Frame or picture box holding this control; positions are relative to it.
  [[nodiscard]] Control* parent() const { return parent_; }

  [[nodiscard]] const Rect& rect() const { return rect_; }
  [[nodiscard]] int left() const { return rect_.left; }
  [[nodiscard]] int top() const { return rect_.top; }
  [[nodiscard]] int width() const { return rect_.width; }
  [[nodiscard]] int height() const { return rect_.height; }
  void move(Rect r);
  void setLeft(int v);
  void setTop(int v);
  void setWidth(int v);
  void setHeight(int v);

  [[nodiscard]] bool visible() const { return visible_; }
  void setVisible(bool v);
  [[nodiscard]] bool enabled() const { return enabled_; }
  void setEnabled(bool v);
  // True when this control and every container above it are enabled/visible.
  [[nodiscard]] bool effectivelyEnabled() const;
  [[nodiscard]] bool effectivelyVisible() const;

  [[nodiscard]] const std::string& toolTip() const { return toolTip_; }
  void setToolTip(std::string v);
  // What a screen reader says: the control's name (empty: its caption, as the
  // system takes it) and its state in words (a row's connection, say).
  [[nodiscard]] const std::string& accessibleName() const { return accessibleName_; }
  void setAccessibleName(std::string v);
  [[nodiscard]] const std::string& accessibleDescription() const { return accessibleDescription_; }
  void setAccessibleDescription(std::string v);
  [[nodiscard]] const Font& font() const { return font_; }
  void setFont(Font f);
  [[nodiscard]] Color foreColor() const { return foreColor_; }
  void setForeColor(Color c);
  [[nodiscard]] Color backColor() const { return backColor_; }
  void setBackColor(Color c);

  // Place in the form's Tab order: lower first, equal ones in the order they
  // were added (all 0 unless the window sets them).
  [[nodiscard]] int tabIndex() const { return tabIndex_; }
  void setTabIndex(int v);

  // Asks the backend to move the keyboard focus here.
  void setFocus();
  [[nodiscard]] bool hasFocus() const;

  // Key notifications with the Windows virtual-key code and shift state.
  std::function<void(int keyCode, int shift)> onKeyDown;
  std::function<void(int keyCode, int shift)> onKeyUp;

  // A new control of the same kind and properties (events excluded), for
  // loading a new element of a control array.
  [[nodiscard]] virtual std::unique_ptr<Control> cloneAs(int newIndex) const = 0;

 protected:
  void changed(Prop p);
  void copyBaseTo(Control& other) const;

 private:
  Form& form_;
  ControlKind kind_;
  std::string name_;
  int index_;
  Control* parent_;
  Rect rect_;
  bool visible_ = true;
  bool enabled_ = true;
  std::string toolTip_;
  std::string accessibleName_;
  std::string accessibleDescription_;
  int tabIndex_ = 0;
  Font font_;
  Color foreColor_ = kWindowText;
  Color backColor_ = kFormGrey;
};

}  // namespace quilbert::forms
