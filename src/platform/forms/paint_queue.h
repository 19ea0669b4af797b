// When a backend runs a form's Paint event: once the drawing is done (a Paint
// handler may change what is drawn), once per round of drawing, for the first
// drawing after a show, and later only for a drawing of the whole client
// area (a control repainting a corner is not the form being drawn).
#pragma once

namespace quilbert::forms {

class Form;

class PaintQueue {
 public:
  // The form is being shown: its next drawing, whole or not, counts.
  void shown() { drawPending_ = true; }
  // The client area was drawn; true when the backend must now queue
  // deliver() to run after the drawing.
  bool drawn(bool whole) {
    if ((!whole && !drawPending_) || queued_) return false;
    drawPending_ = false;
    queued_ = true;
    return true;
  }
  // The queued call: runs the Paint event.
  void deliver(Form& form);

 private:
  bool drawPending_ = false;
  bool queued_ = false;
};

}  // namespace quilbert::forms
