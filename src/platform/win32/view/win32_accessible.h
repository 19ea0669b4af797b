// What a screen reader (MSAA) is told of a control: the system's own object
// for its window, with the name and the description the form model gives it.
// The model's texts are read at each question, through the window: once the
// window is gone, the object answers that it is disconnected.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/forms/control.h"

namespace quilbert::win32view {

// The answer to WM_GETOBJECT for `control`'s window; nullopt leaves the
// question to the window's own procedure (a control with neither a name nor
// a description of its own, or another object than its client).
std::optional<LRESULT> accessibleObject(HWND window, const forms::Control& control, WPARAM wp,
                                        LPARAM lp);

}  // namespace quilbert::win32view
