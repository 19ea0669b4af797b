// Marks the rows whose letter a local drive takes, and sets every row's test
// button.
#include <optional>

#include "app/catalogue.h"
#include "app/text.h"
#include "ui/main/drive_rows.h"

namespace quilbert::ui {

namespace {
constexpr int kNetworkDrive = 3;
}

void DriveRows::detectionlecteur() {
  auto& drives = g_.svc.drives;
  std::string typeText;
  std::optional<platform::DriveInfo> previous;
  for (int i = 1; i <= app::kDriveCount; ++i) {
    const char letter = static_cast<char>('A' + i - 1);
    const auto drive = drives.getDrive(letter);
    if (drive) {
      if (drive->type >= 0 && drive->type <= 5)
        typeText = g_.texts.msg(app::kMsgDriveTypeFirst + drive->type);
      // A letter that names a drive that is not a network drive is taken. The
      // type decides, not its text: without a language file all texts are "".
      if (drive->type != kNetworkDrive) {
        auto& box = w_.lettreactive(i);
        box.setValue(2);
        box.setEnabled(false);
        w_.Test(i).setEnabled(false);
        w_.Test(i).setCaption("");
        auto& path = w_.Cheminreseau(i);
        path.setText(std::string(1, letter) + ":" + " (" + g_.texts.msg(app::kMsgLocalDevice) +
                     " : " + typeText + ")");
        path.setFont({"Verdana", 8.25, false, false});
        path.setBackColor(forms::kLightYellow);
        path.setEnabled(false);
        w_.lettrereseau(i).setBackColor(forms::kLightYellow);
        w_.Parcourir(i).setEnabled(false);
        w_.Parcourir(i).setPicture(w_.ImageList3.image(3));
      }
      previous = drive;
    } else {
      // No drive for this letter: an old description of a drive that has
      // gone is cleared. Without a marker (no language file) every path would
      // match, so nothing is cleared then.
      if (!g_.texts.msg(app::kMsgLocalStorage).empty() &&
          app::mid(w_.Cheminreseau(i).text(), 5, 13) == g_.texts.msg(app::kMsgLocalStorage)) {
        w_.lettreactive(i).setValue(0);
        w_.Cheminreseau(i).setText("");
      }
    }
    auto& test = w_.Test(i);
    if (w_.Cheminreseau(i).text().empty()) {
      test.setCaption(g_.texts.msg(app::kMsgTest));
      test.setEnabled(false);
    } else if (w_.lettreactive(i).value() != 2) {
      test.setCaption(g_.texts.msg(app::kMsgTest));
      test.setEnabled(true);
    }
  }
}

}  // namespace quilbert::ui
