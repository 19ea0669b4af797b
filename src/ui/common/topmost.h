#pragma once

#include "platform/forms/form.h"

namespace quilbert::ui {

// Puts a window above all others (or takes it back) without moving or
// resizing it; onTop becomes whether the request succeeded.
void SetTopMost(forms::Form& window, bool& onTop);

}  // namespace quilbert::ui
