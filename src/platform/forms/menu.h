// Menu items: a tree of captions with check marks, enabled state, separators
// and a click event. The top level of a form's menu bar is a list of items.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quilbert::forms {

class Form;

class MenuItem {
 public:
  MenuItem(Form& form, std::string name, int index, std::string caption, MenuItem* parent);
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  [[nodiscard]] const std::string& name() const { return name_; }
  // Index within a menu control array; -1 when the item is not in one.
  [[nodiscard]] int index() const { return index_; }
  [[nodiscard]] MenuItem* parent() const { return parent_; }
  [[nodiscard]] Form& form() const { return form_; }

  [[nodiscard]] const std::string& caption() const { return caption_; }
  void setCaption(std::string v);
  // A caption of "-" makes a separator line.
  [[nodiscard]] bool isSeparator() const { return caption_ == "-"; }
  [[nodiscard]] bool checked() const { return checked_; }
  void setChecked(bool v);
  [[nodiscard]] bool enabled() const { return enabled_; }
  void setEnabled(bool v);
  [[nodiscard]] bool visible() const { return visible_; }
  void setVisible(bool v);

  MenuItem& add(std::string name, std::string caption, int index = -1);
  MenuItem& addSeparator(std::string name);
  [[nodiscard]] const std::vector<std::unique_ptr<MenuItem>>& items() const { return items_; }
  // The item named so (and with that index), searched in this subtree.
  [[nodiscard]] MenuItem* find(const std::string& name, int index = -1);

  // A user click: runs onClick when the item and its parents are enabled.
  void click();
  std::function<void()> onClick;

 private:
  void changed();

  Form& form_;
  std::string name_;
  int index_;
  std::string caption_;
  MenuItem* parent_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  std::vector<std::unique_ptr<MenuItem>> items_;
};

}  // namespace quilbert::forms
