// The drive list: rows 2 to 26 made from row 1, what each row shows of its
// entry and of its letter's connection, the local drives' rows, and what an
// edit of a row does.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/forms/toolkit.h"
#include "ui/main/main_controls.h"

namespace quilbert::ui {

class DriveRows {
 public:
  DriveRows(MainControls& w, Program& g) : w_(w), g_(g) {}

  // Rows 2 to 26 as copies of row 1, each one row lower.
  void BuildDriveRows();
  // The browse buttons: the administrator's only.
  void applyRunMode();
  // Each row from the drive table.
  void ShowDriveTable();
  void detectionlecteur();
  // Each row's letter: connected to its path or not, and why not in its tip.
  void showConnectionStates();
  // The letters shown again at each change of the network, from now on.
  void followNetwork();

  void Cheminreseau_Change(int i);
  void lettreactive_Click(int i);
  void Parcourir_Click(int i);
  // The folder browser and its callback (share level only).
  bool BrowseForShare(std::string& chosen, const std::string& hint);
  static void BrowseCallback(forms::FolderBrowserHandle& browser,
                             const std::optional<std::string>& selection, const std::string& hint);

  // Each row's last code from a pass of this window (0: none or connected).
  std::array<std::int32_t, 27>& lastCodes() { return lastCodes_; }

  // Row i's controls to their handlers; its Test button to `onTest`.
  void wireRow(int i);
  std::function<void(int)> onTest;

 private:
  // The colour, words and sign (1: connected, -1: missing, 0: none) of row i.
  void showRowState(int i, forms::Color colour, const std::string& words, int sign);

  MainControls& w_;
  Program& g_;
  std::array<std::int32_t, 27> lastCodes_{};
  platform::NetworkEvents::Subscription networkHeard_;
};

}  // namespace quilbert::ui
