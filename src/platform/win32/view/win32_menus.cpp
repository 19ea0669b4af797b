// Menus: the menu bar of a form, built anew from the model when items
// change, and the pop-up menus of the toolkit.
#include <functional>
#include <vector>

#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/view/win32_toolkit.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

using platform::win32::widen;

namespace {

// Appends the visible items below `parent` to `menu`, with their sub-menus;
// idOf gives each item that can be clicked its command id.
void appendItems(HMENU menu, forms::MenuItem& parent,
                 const std::function<UINT(forms::MenuItem&)>& idOf,
                 const forms::MenuItem* defaultItem) {
  for (const auto& child : parent.items()) {
    forms::MenuItem* item = child.get();
    if (!item->visible()) continue;
    if (item->isSeparator()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const std::wstring caption = widen(item->caption());
    const UINT flags =
        (item->enabled() ? MF_ENABLED : MF_GRAYED) | (item->checked() ? MF_CHECKED : 0);
    if (!item->items().empty()) {
      HMENU sub = CreatePopupMenu();
      appendItems(sub, *item, idOf, defaultItem);
      AppendMenuW(menu, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
      continue;
    }
    const UINT id = idOf(*item);
    AppendMenuW(menu, MF_STRING | flags, id, caption.c_str());
    if (item == defaultItem) SetMenuDefaultItem(menu, id, FALSE);
  }
}

}  // namespace

UINT Win32FormView::commandOf(forms::MenuItem& item) {
  // One id per item for the form's life: a bar built anew thousands of times
  // (every show, hide and setting change) keeps within a click's 16 bits.
  auto [it, added] = commandIds_.try_emplace(&item, 0);
  if (added) {
    it->second = kFirstCommand + static_cast<UINT>(commands_.size());
    commands_[it->second] = &item;
  }
  return it->second;
}

void Win32FormView::rebuildMenuBar() {
  menuPending_ = false;
  HMENU old = GetMenu(window_);
  HMENU bar = nullptr;
  if (form_.hasVisibleMenu()) {
    bar = CreateMenu();
    const auto idOf = [this](forms::MenuItem& item) { return commandOf(item); };
    for (const auto& top : form_.menus()) {
      if (!top->visible()) continue;
      const std::wstring caption = widen(top->caption());
      UINT flags = top->enabled() ? MF_ENABLED : MF_GRAYED;
      if (top->items().empty()) {
        AppendMenuW(bar, MF_STRING | flags, commandOf(*top), caption.c_str());
      } else {
        HMENU sub = CreatePopupMenu();
        appendItems(sub, *top, idOf, nullptr);
        AppendMenuW(bar, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
      }
    }
  }
  SetMenu(window_, bar);
  if (old != nullptr) DestroyMenu(old);
  applyClientSize();
}

void Win32FormView::menuChanged(forms::MenuItem& /*item*/) {
  // Menus are small: building the bar anew keeps every caption, check mark
  // and separator as the model has it. A load changes many items at once, so
  // the bar is built once they are done, before any input can reach it.
  if (GetMenu(window_) == nullptr || !form_.hasVisibleMenu()) {
    rebuildMenuBar();
    return;
  }
  if (menuPending_) return;
  menuPending_ = true;
  PostMessageW(window_, kMenuMessage, 0, 0);
}

void Win32FormView::applyMenuChanges() {
  if (!menuPending_) return;
  menuPending_ = false;
  rebuildMenuBar();
  DrawMenuBar(window_);
}

void Win32Toolkit::popupMenu(forms::Form& owner, forms::MenuItem& menu,
                             forms::MenuItem* defaultItem) {
  HWND window = windowOf(owner);
  if (window == nullptr) return;
  std::vector<forms::MenuItem*> items;
  HMENU popup = CreatePopupMenu();
  appendItems(
      popup, menu,
      [&items](forms::MenuItem& item) {
        items.push_back(&item);
        return static_cast<UINT>(items.size());
      },
      defaultItem);
  POINT at{};
  GetCursorPos(&at);
  // The menu of a notification icon closes when the user clicks elsewhere
  // only if its window is in the foreground.
  SetForegroundWindow(window);
  const auto chosen = static_cast<UINT>(TrackPopupMenuEx(
      popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, window, nullptr));
  PostMessageW(window, WM_NULL, 0, 0);
  DestroyMenu(popup);
  if (chosen >= 1 && chosen <= items.size()) items[chosen - 1]->click();
}

}  // namespace quilbert::win32view
