#include "platform/forms/paint_queue.h"

#include "platform/forms/form.h"

namespace quilbert::forms {

void PaintQueue::deliver(Form& form) {
  if (!queued_) return;
  queued_ = false;
  form.paint();
}

}  // namespace quilbert::forms
