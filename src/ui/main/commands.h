// The command buttons: connect, disconnect, test, save, erase all, cancel
// and quit.
#pragma once

#include <functional>

#include "ui/main/drive_rows.h"
#include "ui/main/resident.h"
#include "ui/main/user_box.h"

namespace quilbert::ui {

class Commands {
 public:
  // `reload`: the window's load routine, after Save and Cancel.
  Commands(MainControls& w, Program& g, DriveRows& rows, UserBox& user, ResidentBehaviour& resident,
           std::function<void()> reload)
      : w_(w), g_(g), rows_(rows), user_(user), resident_(resident), reload_(std::move(reload)) {}

  void connection_Click();
  void disconnect_Click();
  void Test_Click(int i);
  void modif_Click();
  void effacer_Click();
  void annulmodif_Click();
  void fnquitter();
  void Form_QueryUnload(int& cancel, forms::UnloadReason reason);

 private:
  MainControls& w_;
  Program& g_;
  DriveRows& rows_;
  UserBox& user_;
  ResidentBehaviour& resident_;
  std::function<void()> reload_;
};

}  // namespace quilbert::ui
