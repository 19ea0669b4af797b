// The user box: the login and the password every letter connects with.
#pragma once

#include <string>

#include "app/config.h"
#include "ui/main/main_controls.h"

namespace quilbert::ui {

class UserBox {
 public:
  UserBox(MainControls& w, Program& g) : w_(w), g_(g) {}

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
  Program& g_;
};

}  // namespace quilbert::ui
