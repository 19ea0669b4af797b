// The notification-area icons of a backend, kept the same way by every one:
// an icon is recorded once, and shown as soon as the shell takes it. At
// log-on the task bar may not exist yet, and a task bar that starts again
// has lost every icon, so the backend tries again when the shell says it
// has started and on a bounded timer. The backend only shows and removes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/types.h"

namespace quilbert::forms {

class Form;

class TrayIcons {
 public:
  struct Icon {
    Form* owner = nullptr;
    int id = 0;
    std::string tip;
    Picture picture;
    bool shown = false;
  };
  // Between two tries of the timer, and how many tries it makes (five minutes).
  static constexpr int kRetryMs = 2000;
  static constexpr int kRetryLimit = 150;

  // show asks the shell to show an icon and says whether it did; hide removes it.
  TrayIcons(std::function<bool(Icon&)> show, std::function<void(Icon&)> hide);

  // Records the icon and tries to show it: whether it is shown now. Adding
  // again changes nothing and answers false.
  bool add(Form& owner, int id, const std::string& tip, const Picture& picture);
  // Removes the icon; false when there was none.
  bool remove(const Form& owner, int id);
  void removeAll(const Form& owner);
  // The icon's record (its tip may be changed there); null when there is none.
  Icon* find(const Form& owner, int id);
  // Tries again the icons not shown; with shellRestarted, every icon (the
  // new task bar has none). True while some are still missing.
  bool retry(bool shellRestarted = false);
  // One tick of the backend's retry timer: true while it should keep ticking.
  bool tick();
  [[nodiscard]] bool missing() const;
  [[nodiscard]] const std::vector<Icon>& icons() const { return icons_; }

  // An icon's mouse message (0x203 double click...) on its way to the owner:
  // a double click brings a minimized owner back first, since the program
  // takes a minimized window for a shown one and would ignore the icon.
  static void restoreOwner(Form& owner, int message);

 private:
  std::function<bool(Icon&)> show_;
  std::function<void(Icon&)> hide_;
  std::vector<Icon> icons_;
  int tries_ = 0;
};

}  // namespace quilbert::forms
