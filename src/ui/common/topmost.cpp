#include "ui/common/topmost.h"

#include "platform/forms/toolkit.h"

namespace quilbert::ui {

void SetTopMost(forms::Form& window, bool& onTop) {
  onTop = window.toolkit().setTopMost(window, onTop);
}

}  // namespace quilbert::ui
