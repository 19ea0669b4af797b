// The report's walk over every resource the network providers report,
// breadth first, listed into the report window as it goes.
#pragma once

#include "app/catalogue.h"
#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "platform/network.h"

namespace quilbert::ui {

// One collected resource, as the network described it; a string the network
// gave as null stays nullopt and goes back to it as null.
using NetResourceEntry = platform::NetResource;

// Walks the network level by level and appends to `text2`, for each resource
// in discovery order, its heading line (when its display type has one) and
// its detail line (remote name, one blank, comment). Repaints `window` and
// lets the toolkit deliver events after each visit that added lines; stops
// early if `window` is unloaded meanwhile. Containers that cannot be opened
// are skipped; nothing is ever reported and nothing escapes.
void EnumNetResources(platform::Network& net, const app::Catalogue& texts, forms::Form& window,
                      forms::ListBox& text2);

}  // namespace quilbert::ui
