#include "ui/main/user_box.h"

#include "app/text.h"

namespace quilbert::ui {

void UserBox::credentials_Change() {
  if (state_.TrackEdits != EditTracking::On) return;
  w_.markChanged();
}

void UserBox::show(const app::DriveEntry& first) {
  w_.nomuser.setText(first.Login);
  w_.password.setText(first.Password);
}

void UserBox::clear() {
  w_.nomuser.setText("");
  w_.password.setText("");
}

std::string UserBox::login() const {
  return app::trimSpaces(w_.nomuser.text());
}

std::string UserBox::password() const {
  return app::trimSpaces(w_.password.text());
}

}  // namespace quilbert::ui
