// Date dialog by clicks: limits 31 Jan 2000 / 30 Jun 2021, year moves,
// moved and cleared months, the intra-month button and cancels.

#include <gtest/gtest.h>

#include "common/Globals.h"
#include "dialogs/DateSelectionForm.h"
#include "dialogs/DialogTestSupport.h"
#include "platform/DateTime.h"

namespace {

using namespace dialogtest;
using dialogs::TDialogButton;
using platform::EncodeDate;

const double kMin = EncodeDate(2000, 1, 31);
const double kMax = EncodeDate(2021, 6, 30);

bool MonthAllowed(const TDateSelectionForm& form, int month) {
  const TDialogButton* button = form.MonthButtons[static_cast<std::size_t>(month - 1)];
  return TextColor(button->Title()) != dialogs::kDisabledColor;
}

TDialogButton* YearButton(const TDateSelectionForm& form, int year) {
  for (TDialogButton* button : form.YearButtons)
    if (button->Caption() == QString::number(year)) return button;
  return nullptr;
}

// A first country whose EQINDEX intra-month point is the given date.
void SetFirstCountry(double intraMonthDate) {
  TCountry country;
  TAssetSeries asset;
  asset.ID = "EQINDEX";
  asset.FirstDailyPoint = {intraMonthDate, 100.0};
  country.IndexAssets = {asset};
  vcMyExternCountryList = {country};
}

class DateSelectionFormTest : public ::testing::Test {
 protected:
  void TearDown() override { vcMyExternCountryList.clear(); }
  TMainWindow Main;
  TDateSelectionForm Form{&Main.Window};
};

TEST_F(DateSelectionFormTest, LimitsAndMovesByClicks) {
  WhenShown([&] {
    EXPECT_EQ(Form.YearButtons[0]->Caption(), "2014");
    EXPECT_EQ(Form.YearButtons[7]->Caption(), "2021");  // the date's own year is the eighth
    EXPECT_FALSE(Form.SelectedDateValue->isVisible());
    EXPECT_TRUE(dialogs::ButtonLooksDisabled(Form.SelectDateButton));
    EXPECT_FALSE(Form.IntraMonthButton->isVisible());  // no country list
    // The select button stands centred when "Intra-Month" is hidden.
    EXPECT_EQ(Form.SelectDateButton->x(), (341 - 158) / 2);

    Click(Form.MonthButtons[8]);  // September
    Click(YearButton(Form, 2021));
    EXPECT_EQ(Form.Choice.SelectedMonth, 6);  // moved into the limit
    EXPECT_TRUE(MonthAllowed(Form, 6));
    EXPECT_FALSE(MonthAllowed(Form, 7));
    EXPECT_EQ(Form.SelectedDateValue->text(), "30 June 2021");
    EXPECT_FALSE(Form.SelectedDateValue->isHidden());
    Click(Form.MonthButtons[6]);  // July: not allowed, ignored
    EXPECT_EQ(Form.Choice.SelectedMonth, 6);
    Click(YearButton(Form, 2022));  // after the maximum: ignored
    EXPECT_EQ(Form.Choice.SelectedYear, 2021);

    Click(Form.DownButton);
    EXPECT_EQ(Form.YearButtons[0]->Caption(), "1998");
    EXPECT_EQ(Form.Choice.SelectedYear, 0);
    EXPECT_EQ(Form.Choice.SelectedMonth, 0);
    EXPECT_TRUE(dialogs::ButtonLooksDisabled(Form.SelectDateButton));
    EXPECT_TRUE(TextColor(YearButton(Form, 1999)->Title()) == dialogs::kDisabledColor);
    Click(Form.MonthButtons[0]);  // January, then the minimum year moves it to February
    Click(YearButton(Form, 2000));
    EXPECT_FALSE(MonthAllowed(Form, 1));
    EXPECT_TRUE(MonthAllowed(Form, 2));
    EXPECT_EQ(Form.Choice.SelectedMonth, 2);
    EXPECT_EQ(Form.SelectedDateValue->text(), "29 February 2000");
    Click(Form.SelectDateButton);
  });
  ASSERT_TRUE(ShowDateSelectionForm(&Form, kMax, kMin, kMax, true));
  EXPECT_DOUBLE_EQ(Form.ChosenDate, EncodeDate(2000, 2, 29));
  EXPECT_FALSE(Form.IntraMonth);
}

TEST_F(DateSelectionFormTest, YearAllowingNoMonthClearsTheMonth) {
  WhenShown([&] {
    Click(Form.MonthButtons[11]);   // December
    Click(YearButton(Form, 2000));  // minimum 31 Dec 2000: no month left
    EXPECT_EQ(Form.Choice.SelectedMonth, 0);
    for (int m = 1; m <= 12; ++m) EXPECT_FALSE(MonthAllowed(Form, m)) << m;
    EXPECT_FALSE(Form.SelectedDateValue->isVisible());
    EXPECT_TRUE(dialogs::ButtonLooksDisabled(Form.SelectDateButton));
    Click(Form.SelectDateButton);  // disabled: nothing
    EXPECT_EQ(Form.ModalResult, 0);
    Escape(&Form);
  });
  EXPECT_FALSE(ShowDateSelectionForm(&Form, EncodeDate(2001, 5, 31), EncodeDate(2000, 12, 31), kMax, true));
}

TEST_F(DateSelectionFormTest, IntraMonthButtonRule) {
  struct Row {
    bool isStart;
    double intraMonthDate;  // 0: no country list
    bool shown;
  };
  // The boundary cases of the rule are tested without a window (DialogDateChoiceTest).
  const Row rows[] = {{false, kMax, true}, {true, EncodeDate(2021, 7, 31), false}, {false, 0.0, false}};
  for (const Row& row : rows) {
    if (row.intraMonthDate > 0.0)
      SetFirstCountry(row.intraMonthDate);
    else
      vcMyExternCountryList.clear();
    bool shown = false;
    WhenShown([&] {
      shown = Form.IntraMonthButton->isVisible();
      if (shown) {
        EXPECT_EQ(Form.SelectDateButton->x(), Form.YearButtons[11]->x());  // side by side
      }
      Escape(&Form);
    });
    EXPECT_FALSE(ShowDateSelectionForm(&Form, kMax, kMin, kMax, row.isStart));
    EXPECT_EQ(shown, row.shown) << row.isStart << " " << row.intraMonthDate;
  }
}

TEST_F(DateSelectionFormTest, IntraMonthChoiceSetAndCleared) {
  SetFirstCountry(EncodeDate(2021, 7, 31));
  // "Intra-Month" needs no choice and returns the maximum date.
  WhenShown([&] { Click(Form.IntraMonthButton); });
  ASSERT_TRUE(ShowDateSelectionForm(&Form, EncodeDate(2020, 12, 31), kMin, kMax, false));
  EXPECT_TRUE(Form.IntraMonth);
  EXPECT_DOUBLE_EQ(Form.ChosenDate, kMax);
  // A cancel leaves the choice; so does the start-date dialog.
  WhenShown([&] { ClickFormAt(&Form, QPoint(3, 3)); });
  EXPECT_FALSE(ShowDateSelectionForm(&Form, kMax, kMin, kMax, false));
  WhenShown([&] {
    Click(YearButton(Form, 2020));
    Click(Form.MonthButtons[2]);
    Click(Form.SelectDateButton);
  });
  ASSERT_TRUE(ShowDateSelectionForm(&Form, kMax, kMin, kMax, true));
  EXPECT_TRUE(Form.IntraMonth);
  EXPECT_DOUBLE_EQ(Form.ChosenDate, EncodeDate(2020, 3, 31));
  // "Select Date" in the end-date dialog clears it.
  WhenShown([&] {
    Click(YearButton(Form, 2020));
    Click(Form.MonthButtons[2]);
    Click(Form.SelectDateButton);
  });
  ASSERT_TRUE(ShowDateSelectionForm(&Form, kMax, kMin, kMax, false));
  EXPECT_FALSE(Form.IntraMonth);
  // The close image cancels.
  WhenShown([&] { Click(Form.CloseButton()); });
  EXPECT_FALSE(ShowDateSelectionForm(&Form, kMax, kMin, kMax, false));
  EXPECT_EQ(Form.ModalResult, 2);
}

// Escape as the system delivers it (to the focus of the active window)
// cancels each showing at once, also after the window took the focus back.
TEST_F(DateSelectionFormTest, EveryShowingTakesTheFocusSoEscapeCancels) {
  for (const bool isStart : {true, false, true}) {
    SCOPED_TRACE(isStart);
    Main.Window.setFocusPolicy(Qt::StrongFocus);
    Main.Window.setFocus();  // a click on the window between two showings
    QWidget* focused = nullptr;
    WhenShown([&] {
      focused = Main.Window.focusWidget();  // where the window hands its keys
      QTest::keyClick(Main.Window.windowHandle(), Qt::Key_Escape);
      if (Form.ModalResult == 0) Form.SetModalResult(3);  // the key went elsewhere
    });
    EXPECT_FALSE(ShowDateSelectionForm(&Form, kMax, kMin, kMax, isStart));
    EXPECT_EQ(Form.ModalResult, 2);
    EXPECT_EQ(focused, &Form);
  }
}

}  // namespace
