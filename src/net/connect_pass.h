// The connect pass shared by the Connect command and the automatic run, and
// the disconnect pass.
#pragma once

#include <array>
#include <string>

#include "app/globals.h"
#include "platform/secret.h"

namespace quilbert::net {

// One letter as a pass sees it; strings already trimmed.
struct PassItem {
  bool active = false;
  std::string localName;  // "X:"
  std::string label;      // how messages name the letter ("X:" or the row's label)
  std::string path;
  std::string login;
  std::string password;

  PassItem() = default;
  PassItem(const PassItem&) = default;
  PassItem& operator=(const PassItem&) = default;
  PassItem(PassItem&&) = default;
  PassItem& operator=(PassItem&&) = default;
  ~PassItem() { platform::wipe(password); }
};

enum class PassKind { Interactive, Automatic };

struct PassResult {
  std::int16_t tried = 0;
  std::int16_t succeeded = 0;
};

// Cancels every letter A to Z, the results ignored.
void cancelAllLetters(app::Globals& g);

// Connects the active items in order, reporting as the kind requires: 85 in a
// dialog, 67 and 1231 in a two-second status, other failures in a dialog
// (interactive) or not at all (automatic). Ends with the summary status
// (SplashStatusOnly 1 interactive, 0 automatic).
PassResult connectItems(app::Globals& g, const std::array<PassItem, 27>& items, PassKind kind);

// The automatic run: cancel all letters, take the drive lines apart, connect
// the active entries with their own credentials, show the summary.
PassResult AutomaticRun(app::Globals& g);

// The summary text of a connect pass.
std::string summaryText(const app::Globals& g, const PassResult& r);

}  // namespace quilbert::net
