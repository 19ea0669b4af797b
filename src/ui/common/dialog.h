// The program's own message dialog: an icon, a message, up to three buttons
// with catalogue captions and a title. The only way the program shows a
// message or asks a question.
#pragma once

#include <string>

#include "platform/forms/form.h"
#include "ui/common/program.h"

namespace quilbert::ui {

inline constexpr int kDialogOk = 1;           // kind: OK only
inline constexpr int kDialogYesNo = 2;        // kind: Oui and Non
inline constexpr int kDialogYesNoCancel = 3;  // kind: Oui, Non and Annuler
inline constexpr int kIconWarning = 0;
inline constexpr int kIconInformation = 1;

// DialogResult values.
inline constexpr int kAnswerOk = 0;
inline constexpr int kAnswerYes = 1;
inline constexpr int kAnswerNo = 2;
inline constexpr int kAnswerCancel = 3;

// The form `Dialog` in its designed layout.
class DialogForm : public forms::Form {
 public:
  explicit DialogForm(Program& g);

  forms::PictureBox& iconeaff;
  forms::Label& txtmessage;
  forms::PushButton& OuiButton;
  forms::PushButton& OKButton;
  forms::PushButton& NonButton;
  forms::PushButton& CancelButton;
  forms::PictureBox& warningPicture;      // Picture1(0)
  forms::PictureBox& informationPicture;  // Picture1(1)

  // The button a close box stands for, by kind.
  int kind = kDialogOk;

 private:
  void answer(int result);
  void lettersKey(int keyCode);
  Program& g_;
};

// Lays out and shows the dialog modally; the answer is in g.state.DialogResult.
void ShowDialog(Program& g, const std::string& text, int kind, int icon, const std::string& title);

// The same, with a hook that runs on the laid-out form just before it is
// shown (for screenshots and layout checks).
void ShowDialog(Program& g, const std::string& text, int kind, int icon, const std::string& title,
                const std::function<void(DialogForm&)>& beforeShow);

}  // namespace quilbert::ui
