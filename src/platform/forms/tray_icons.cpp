#include "platform/forms/tray_icons.h"

#include <algorithm>

#include "platform/forms/form.h"
#include "platform/forms/toolkit.h"

namespace quilbert::forms {

namespace {
constexpr int kLeftButtonDoubleClick = 0x203;
}  // namespace

TrayIcons::TrayIcons(std::function<bool(Icon&)> show, std::function<void(Icon&)> hide)
    : show_(std::move(show)), hide_(std::move(hide)) {}

bool TrayIcons::add(Form& owner, int id, const std::string& tip, const Picture& picture) {
  const bool known = std::any_of(icons_.begin(), icons_.end(),
                                 [&](const Icon& i) { return i.owner == &owner && i.id == id; });
  if (known) return false;
  icons_.push_back({&owner, id, tip, picture, false});
  icons_.back().shown = show_(icons_.back());
  // A new icon the shell refused gets the timer's whole time.
  if (!icons_.back().shown) tries_ = 0;
  return icons_.back().shown;
}

TrayIcons::Icon* TrayIcons::find(const Form& owner, int id) {
  auto it = std::find_if(icons_.begin(), icons_.end(),
                         [&](const Icon& i) { return i.owner == &owner && i.id == id; });
  return it == icons_.end() ? nullptr : &*it;
}

bool TrayIcons::remove(const Form& owner, int id) {
  auto it = std::find_if(icons_.begin(), icons_.end(),
                         [&](const Icon& i) { return i.owner == &owner && i.id == id; });
  if (it == icons_.end()) return false;
  if (it->shown) hide_(*it);
  icons_.erase(it);
  return true;
}

void TrayIcons::removeAll(const Form& owner) {
  for (auto it = icons_.begin(); it != icons_.end();) {
    if (it->owner == &owner) {
      if (it->shown) hide_(*it);
      it = icons_.erase(it);
    } else {
      ++it;
    }
  }
}

bool TrayIcons::retry(bool shellRestarted) {
  for (Icon& icon : icons_) {
    if (shellRestarted || !icon.shown) icon.shown = show_(icon);
  }
  return missing();
}

bool TrayIcons::tick() {
  if (!missing()) return false;
  ++tries_;
  return retry() && tries_ < kRetryLimit;
}

bool TrayIcons::missing() const {
  return std::any_of(icons_.begin(), icons_.end(), [](const Icon& i) { return !i.shown; });
}

void TrayIcons::restoreOwner(Form& owner, int message) {
  Toolkit& tk = owner.toolkit();
  if (message == kLeftButtonDoubleClick && owner.loaded() && tk.minimized(owner)) tk.show(owner);
}

}  // namespace quilbert::forms
