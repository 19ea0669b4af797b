// The user box: the login and the password every letter connects with.
#pragma once

#include <string>

#include "app/config.h"
#include "ui/main/main_controls.h"

namespace quilbert::ui {

class UserBox {
 public:
  UserBox(MainControls& w, const WindowState& state) : w_(w), state_(state) {}

  // An edit of either box, once the window is loaded.
  void credentials_Change();
  // The first entry's login and password, as the file gives them.
  void show(const app::DriveEntry& first);
  void clear();
  // What the person typed, trimmed.
  [[nodiscard]] std::string login() const;
  [[nodiscard]] std::string password() const;

 private:
  MainControls& w_;
  const WindowState& state_;
};

}  // namespace quilbert::ui
