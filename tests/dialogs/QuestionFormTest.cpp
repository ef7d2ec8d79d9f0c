// Question and message boxes: answers, captions, cancels, the slide-in and
// the hover look.

#include <gtest/gtest.h>

#include "dialogs/DialogTestSupport.h"
#include "dialogs/QuestionForm.h"

namespace {

using namespace dialogtest;
using dialogs::TDialogButton;

enum class TAction { Yes, No, Escape, PressOutside };

TEST(QuestionFormTest, AnswersAndCancels) {
  TMainWindow main;
  TQuestionForm form(&main.Window);
  struct Row {
    TAction action;
    int result;
  };
  // Escape comes mid-slide: the next showing must still start at the top.
  const Row rows[] = {{TAction::Escape, 2}, {TAction::Yes, 6}, {TAction::No, 7}, {TAction::PressOutside, 2}};
  for (const Row& row : rows) {
    bool answered = false;
    WhenShown([&] {
      // Every showing starts at the top edge and slides to the centre.
      EXPECT_EQ(form.MainSupport()->y(), 0);
      EXPECT_TRUE(form.Animating());
      if (row.action == TAction::Escape) {
        Escape(form.YesButton);
        return;
      }
      form.FinishAnimations();
      EXPECT_EQ(form.MainSupport()->geometry().topLeft(), QPoint((1920 - 561) / 2, (1080 - 137) / 2));
      EXPECT_EQ(form.geometry(), main.Window.rect());
      // The first button stands to the right of the second.
      EXPECT_GT(form.YesButton->x(), form.NoButton->x());
      EXPECT_EQ(form.YesButton->Caption(), "Save");
      EXPECT_EQ(form.NoButton->Caption(), "Cancel");
      ClickFormAt(&form, form.MainSupport()->geometry().topLeft() + QPoint(3, 3));  // on the panel: nothing
      EXPECT_EQ(form.ModalResult, 0);
      answered = true;
      if (row.action == TAction::PressOutside) ClickFormAt(&form, QPoint(5, 5));
      if (row.action != TAction::PressOutside) Click(row.action == TAction::Yes ? form.YesButton : form.NoButton);
    });
    const bool answer = ShowQuestionForm(&form, "Do you want to save your new settings ?", "Save", "Cancel");
    EXPECT_EQ(answered, row.action != TAction::Escape);
    EXPECT_EQ(form.ModalResult, row.result);
    EXPECT_EQ(answer, row.result == 6);
    EXPECT_FALSE(form.isVisible());
  }
}

TEST(QuestionFormTest, HoverThickensTheFrameAndPanelFollowsResize) {
  TMainWindow main;
  TQuestionForm form(&main.Window);
  form.SetAnimationDuration(0);
  WhenShown([&] {
    EXPECT_FALSE(form.Animating());
    Hover(form.YesButton, true);
    EXPECT_DOUBLE_EQ(form.YesButton->StrokeWidth(), 2.0);
    EXPECT_EQ(TextColor(form.YesButton->Title()), dialogs::kTextColor);
    Hover(form.YesButton, false);
    EXPECT_DOUBLE_EQ(form.YesButton->StrokeWidth(), 1.0);
    dialogs::SetButtonEnabled(form.NoButton, false);
    Hover(form.NoButton, true);
    EXPECT_DOUBLE_EQ(form.NoButton->StrokeWidth(), 1.0);  // a disabled button keeps its look
    Click(form.NoButton);                                 // and ignores clicks
    EXPECT_EQ(form.ModalResult, 0);
    dialogs::SetButtonEnabled(form.NoButton, true);
    main.Window.resize(1728, 972);
    EXPECT_EQ(form.size(), QSize(1728, 972));
    EXPECT_EQ(form.MainSupport()->geometry().topLeft(), QPoint((1728 - 561) / 2, (972 - 137) / 2));
    Click(form.NoButton);
  });
  EXPECT_FALSE(ShowQuestionForm(&form, "Do you really want to quit application ?", "Quit", "Cancel"));
  EXPECT_EQ(form.ModalResult, 7);
}

TEST(QuestionFormTest, MessageBoxReturns) {
  TMainWindow main;
  TMessageForm form(&main.Window);
  WhenShown([&] {
    EXPECT_EQ(form.Value->text(), "Transfer done");
    EXPECT_EQ(form.ExitButton->Caption(), "Return");
    form.FinishAnimations();
    Click(form.ExitButton);
  });
  ShowMessageForm(&form, "Transfer done");
  EXPECT_EQ(form.ModalResult, 1);
}

// A text of one or two lines keeps the box as built; a longer one (a warning
// naming a path) grows the panel so that every line lies inside the text's
// place and above the button, the panel centred in the window.
TEST(QuestionFormTest, LongTextsGrowTheBoxInsteadOfBeingCut) {
  TMainWindow main;
  main.Window.resize(1728, 972);
  TMessageForm form(&main.Window);
  form.SetAnimationDuration(0);
  const std::string path(60, 'p');
  std::string words;
  for (int i = 0; i < 200; ++i) words += "word" + std::to_string(i) + " ";
  const std::string rows[] = {"Transfer done",
                              "The sign-in and proxy values are at their defaults: /home/" + path +
                                  "/registry.conf is damaged (11520000 bytes, a settings file holds at most 1 MB): "
                                  "its values are not used, and the next save writes it anew",
                              words, "Transfer done"};
  for (const std::string& text : rows) {
    WhenShown([&] {
      const QRect panel = form.MainSupport()->geometry();
      const QRect place = form.Value->geometry();
      const QStringList lines = form.Value->Lines(place.width());
      EXPECT_EQ(lines.join(QString()), form.Value->text());
      for (const QString& line : lines)
        EXPECT_LE(form.Value->fontMetrics().horizontalAdvance(line.trimmed()), place.width()) << line.toStdString();
      EXPECT_LE(lines.size() * form.Value->fontMetrics().lineSpacing(), place.height()) << text.size();
      EXPECT_LE(place.bottom(), form.ExitButton->y()) << text.size();
      EXPECT_EQ(panel.height() - form.ExitButton->geometry().bottom(), 118 - (59 + 50) + 1) << text.size();
      EXPECT_EQ(panel.height() == 118, text.size() < 40) << text.size();
      EXPECT_EQ(panel.center().y(), QRect(QPoint(0, 0), QSize(1728, 972)).center().y()) << text.size();
      Click(form.ExitButton);
    });
    ShowMessageForm(&form, text);
    EXPECT_EQ(form.ModalResult, 1);
  }
}

}  // namespace
