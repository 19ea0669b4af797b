#include "ui/common/program.h"

#include <cstdlib>

namespace quilbert::ui {

void WindowState::networkWaitFromEnvironment() {
  const char* value = std::getenv("QUILBERT_NETWORK_WAIT");
  if (value == nullptr) return;
  char* end = nullptr;
  const long seconds = std::strtol(value, &end, 10);
  if (end == value || *end != '\0' || seconds < 0 || seconds > 120) return;
  NetworkWaitMs = static_cast<int>(seconds * 1000);
}

void SetNetErrorText(WindowState& state, const net::NetOutcome& outcome) {
  state.LastNetError = outcome.code;
  state.NetErrorText = outcome.words;
}

forms::Picture picture(forms::Toolkit& toolkit, const std::string& withoutExtension) {
  for (const char* ext : {".png", ".bmp", ".ico"}) {
    if (auto p = toolkit.loadPicture(withoutExtension + ext)) return *p;
  }
  return {};
}

}  // namespace quilbert::ui
