// The administrator's menu for the domain's drive maps: the import shows its
// dry run and writes only on Yes; the export writes the rows as last saved.
#include "app/catalogue.h"
#include "app/drive_maps.h"
#include "net/stored_passwords.h"
#include "ui/common/dialog.h"
#include "ui/main/settings.h"

namespace quilbert::ui {

namespace {
constexpr const char* kCrLf = "\r\n";
}

void Settings::menu_import_Click() {
  const std::string title = g_.texts.msg(app::kMsgMapsTitle);
  // The import reloads the rows from the file: unsaved edits would be lost.
  if (w_.EntryModified) {
    ShowDialog(g_, g_.texts.msg(app::kMsgMapsUnsaved), kDialogOk, kIconWarning, title);
    return;
  }
  const auto file =
      g_.toolkit.chooseFile(w_.form, g_.texts.msg(app::kMsgMapsChooseImport), false, "Drives.xml");
  if (!file) return;
  app::DriveMapsImport plan =
      app::planImportFile(g_.texts, g_.config, *file, app::importInputs(g_.svc, false));
  if (!plan.error.empty()) {
    ShowDialog(g_, g_.texts.msg(app::kMsgMapsRefused, {*file}) + kCrLf + plan.error, kDialogOk,
               kIconWarning, title);
    return;
  }
  std::string text;
  for (const auto& line : plan.lines) text += (text.empty() ? "" : kCrLf) + line;
  if (plan.changes == 0) {
    ShowDialog(g_, text, kDialogOk, kIconInformation, title);
    return;
  }
  ShowDialog(g_, text + kCrLf + kCrLf + g_.texts.msg(app::kMsgMapsConfirm), kDialogYesNo,
             kIconInformation, title);
  if (g_.state.DialogResult != kAnswerYes) return;
  const app::WriteOutcome saved =
      app::saveImport(g_.config, plan, net::importedPasswordKeeper(g_.svc));
  if (!saved.ok()) {
    ShowDialog(g_, g_.texts.msg(saved.message) + kCrLf + "(" + saved.detail + ")", kDialogOk,
               kIconWarning, g_.texts.msg(app::kMsgSaveErrorTitle));
    return;
  }
  g_.state.TrackEdits = EditTracking::Loading;
  reload_();
}

void Settings::menu_export_Click() {
  const std::string title = g_.texts.msg(app::kMsgMapsTitle);
  if (w_.EntryModified) {
    ShowDialog(g_, g_.texts.msg(app::kMsgMapsUnsaved), kDialogOk, kIconWarning, title);
    return;
  }
  const auto file =
      g_.toolkit.chooseFile(w_.form, g_.texts.msg(app::kMsgMapsChooseExport), true, "Drives.xml");
  if (!file) return;
  std::vector<std::string> notes;
  int count = 0;
  const std::string error =
      app::exportDriveMapsFile(g_.texts, g_.config, g_.svc.process, *file, notes, count);
  std::string text = error;
  if (error.empty()) {
    for (const auto& note : notes) text += note + kCrLf;
    text += g_.texts.msg(app::kMsgMapsExported, {std::to_string(count), *file});
  }
  ShowDialog(g_, text, kDialogOk, error.empty() ? kIconInformation : kIconWarning, title);
}

}  // namespace quilbert::ui
