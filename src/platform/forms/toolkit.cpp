#include "platform/forms/toolkit.h"

#include <cmath>

namespace quilbert::forms {

int Toolkit::toPixels(int twips) const {
  return static_cast<int>(std::lround(twips / twipsPerPixel()));
}

int Toolkit::toTwips(double pixels) const {
  // The last pixel counts whole: a text measured in pixels keeps its room.
  return static_cast<int>(std::ceil(pixels * twipsPerPixel() - 1e-9));
}

}  // namespace quilbert::forms
