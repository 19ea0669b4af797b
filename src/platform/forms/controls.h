// The control kinds of the form model. Setting a property from code fires the
// same event a user action would (Change, Click), synchronously.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/control.h"

namespace quilbert::forms {

class Label : public Control {
 public:
  Label(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  [[nodiscard]] const std::string& caption() const { return caption_; }
  // With autosize on, the label takes the size the backend measures for it.
  void setCaption(std::string v);
  [[nodiscard]] bool autoSize() const { return autoSize_; }
  void setAutoSize(bool v);
  [[nodiscard]] Alignment alignment() const { return alignment_; }
  void setAlignment(Alignment a);
  // Re-measures an autosize label (after a font change, say).
  void fitToCaption();
  std::function<void()> onClick;
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  std::string caption_;
  bool autoSize_ = false;
  Alignment alignment_ = Alignment::Left;
};

// Flat button with a caption ("&" marks the access key) and a picture.
class FlatButton : public Control {
 public:
  FlatButton(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  [[nodiscard]] const std::string& caption() const { return caption_; }
  void setCaption(std::string v);
  [[nodiscard]] const Picture& picture() const { return picture_; }
  void setPicture(Picture p);
  [[nodiscard]] Color maskColor() const { return maskColor_; }
  void setMaskColor(Color c) { maskColor_ = c; }
  // Asks the view to repaint the button now.
  void refresh();
  [[nodiscard]] int refreshCount() const { return refreshCount_; }
  // A user click: runs onClick when the button is enabled.
  void click();
  std::function<void()> onClick;
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  std::string caption_;
  Picture picture_;
  Color maskColor_{192, 192, 255};
  int refreshCount_ = 0;
};

// Push button; the form's default button answers Enter, its cancel button Escape.
class PushButton : public Control {
 public:
  PushButton(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  [[nodiscard]] const std::string& caption() const { return caption_; }
  void setCaption(std::string v);
  [[nodiscard]] bool isDefault() const { return default_; }
  void setDefault(bool v);
  [[nodiscard]] bool isCancel() const { return cancel_; }
  void setCancel(bool v);
  void click();
  std::function<void()> onClick;
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  std::string caption_;
  bool default_ = false;
  bool cancel_ = false;
};

class TextBox : public Control {
 public:
  TextBox(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  [[nodiscard]] const std::string& text() const { return text_; }
  // Fires onChange when the text differs from what it was.
  void setText(std::string v);
  // 0 shows the text; any other character is shown in place of each one.
  [[nodiscard]] char32_t passwordChar() const { return passwordChar_; }
  void setPasswordChar(char32_t c);
  [[nodiscard]] Color borderColor() const { return borderColor_; }
  void setBorderColor(Color c);
  std::function<void()> onChange;
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  std::string text_;
  char32_t passwordChar_ = 0;
  Color borderColor_{127, 157, 185};
};

// Check box with three values: 0 unchecked, 1 checked, 2 greyed (code only).
class CheckBox : public Control {
 public:
  CheckBox(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  [[nodiscard]] int value() const { return value_; }
  // Fires onClick when the value differs from what it was.
  void setValue(int v);
  // A user click, when enabled: 1 becomes 0, 0 and 2 become 1 (as Windows does).
  void userClick();
  [[nodiscard]] const std::string& caption() const { return caption_; }
  void setCaption(std::string v);
  std::function<void()> onClick;
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  int value_ = 0;
  std::string caption_;
};

// Frame with a caption; holds child controls.
class Frame : public Control {
 public:
  Frame(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  [[nodiscard]] const std::string& caption() const { return caption_; }
  void setCaption(std::string v);
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  std::string caption_;
};

class ListBox : public Control {
 public:
  ListBox(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  [[nodiscard]] const std::vector<std::string>& items() const { return items_; }
  void addItem(std::string item);
  void clear();
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  std::vector<std::string> items_;
};

// Picture box: a picture, child controls, click and key notifications.
class PictureBox : public Control {
 public:
  PictureBox(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  [[nodiscard]] const Picture& picture() const { return picture_; }
  void setPicture(Picture p);
  void click();
  std::function<void()> onClick;
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  Picture picture_;
};

class Image : public Control {
 public:
  Image(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  [[nodiscard]] const Picture& picture() const { return picture_; }
  void setPicture(Picture p);
  void click();
  std::function<void()> onClick;
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  Picture picture_;
};

// A straight line from (x1, y1) to (x2, y2), drawn borderWidth pixels wide.
class Line : public Control {
 public:
  Line(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  void setEnds(int x1, int y1, int x2, int y2);
  [[nodiscard]] int x1() const { return x1_; }
  [[nodiscard]] int y1() const { return y1_; }
  [[nodiscard]] int x2() const { return x2_; }
  [[nodiscard]] int y2() const { return y2_; }
  [[nodiscard]] int borderWidth() const { return borderWidth_; }
  void setBorderWidth(int px) { borderWidth_ = px; }
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  int x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
  int borderWidth_ = 1;
};

// Timer: ticks every interval milliseconds while enabled, only inside a
// message loop (a modal form's, the main loop, or the headless clock).
class Timer : public Control {
 public:
  Timer(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  [[nodiscard]] int interval() const { return interval_; }
  void setInterval(int ms);
  [[nodiscard]] bool timerEnabled() const { return timerEnabled_; }
  void setTimerEnabled(bool v);
  // Called by the backend when the interval has elapsed.
  void tick();
  std::function<void()> onTick;
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  int interval_ = 0;
  bool timerEnabled_ = false;
};

// Numbered pictures, 1-based.
class ImageList : public Control {
 public:
  ImageList(Form& form, std::string name, int index = 0, Control* parent = nullptr);
  void add(Picture p) { images_.push_back(std::move(p)); }
  // Image n (1-based); an empty picture when n is out of range.
  [[nodiscard]] Picture image(int n) const;
  [[nodiscard]] int count() const { return static_cast<int>(images_.size()); }
  [[nodiscard]] std::unique_ptr<Control> cloneAs(int newIndex) const override;

 private:
  std::vector<Picture> images_;
};

}  // namespace quilbert::forms
