#pragma once
// The question box (two buttons, results 6 and 7) and the one-button message
// box (result 1). Their panel slides from the top edge to the centre in 0.5 s.

#include <string>
#include <utility>
#include <vector>

#include "dialogs/ModalForm.h"

class QVariantAnimation;

namespace dialogs {
class TDialogButton;
class TWrappedText;
}

// Common part of both boxes: the text, the slide-in and the button looks.
class TSlidingBox : public dialogs::TModalForm {
  Q_OBJECT
 public:
  TSlidingBox(QWidget* parent, const QString& name, int panelHeight);

  // Puts the text on the box; one that needs more than its two lines grows
  // the panel (the buttons move down) instead of being cut.
  void SetText(const std::string& text);
  // Ends a running slide at once, the panel at its stop value.
  void FinishAnimations();
  // Slide duration in milliseconds (500 by default); 0 places the panel at once.
  void SetAnimationDuration(int milliseconds) { DurationMs_ = milliseconds; }
  bool Animating() const;

  dialogs::TWrappedText* Value = nullptr;

 protected:
  void PlacePanel() override;
  void OnFormShow() override;
  void OnFormClose() override;
  dialogs::TDialogButton* AddButton(const QString& name, const QString& caption, int x, int y, int result);

 private:
  QVariantAnimation* Animation_;
  int DurationMs_ = 500;
  int PanelHeight_;                                                 // as built, for a text of two lines
  std::vector<std::pair<dialogs::TDialogButton*, int>> ButtonRows_;  // each button with its y as built
};

class TQuestionForm : public TSlidingBox {
  Q_OBJECT
 public:
  explicit TQuestionForm(QWidget* parent);
  dialogs::TDialogButton* YesButton = nullptr;  // first button (right), result 6
  dialogs::TDialogButton* NoButton = nullptr;   // second button (left), result 7
};

class TMessageForm : public TSlidingBox {
  Q_OBJECT
 public:
  explicit TMessageForm(QWidget* parent);
  dialogs::TDialogButton* ExitButton = nullptr;  // "Return", result 1
};

// Puts the question and the two captions on the box (the captions stay until
// the next call), shows it and returns true for the first button (result 6).
bool ShowQuestionForm(TQuestionForm* form, const std::string& question, const std::string& yes, const std::string& no);
// Shows the text with the single "Return" button.
void ShowMessageForm(TMessageForm* form, const std::string& text);
