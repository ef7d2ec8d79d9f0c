// The press-and-hold pages by clicks: concentration levels, gold / FX risk /
// TIPS, equity Max/Min, trust bars, the currency choice, holds ended by the
// page hiding or the window deactivating, and the drawn layout.

#include <gtest/gtest.h>

#include <QDir>
#include <QMouseEvent>

#include "common/Globals.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/ValueEditorForms.h"
#include "session/ValueEditors.h"

namespace {

using namespace dialogtest;

template <typename T = QWidget>
T* Find(const QWidget& form, const char* name) {
  T* child = form.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

QString LabelText(const QWidget& form, const char* name) {
  const QLabel* label = Find<QLabel>(form, name);
  return label ? label->text() : QString();
}

// A click (ticks 0) or a hold: press, `ticks` timer ticks, release.
template <typename Form>
void Hold(Form& form, const char* arrow, int ticks) {
  QWidget* button = Find(form, arrow);
  HoldAt(button, button->rect().center(), [&] {
    for (int i = 0; i < ticks; ++i) form.OnFormTimer();
  });
}

// The timer runs from Refresh on; the tests fire its ticks themselves.
template <typename Form>
void Start(Form& form) {
  form.show();
  form.Refresh();
  EXPECT_TRUE(form.MainTimer.isActive());
  EXPECT_EQ(form.MainTimer.interval(), 50);
  form.MainTimer.stop();
}

class ValueEditorFormsTest : public ::testing::Test {
 protected:
  void TearDown() override { strDecimalSeparator = SavedSeparator; }
  std::string SavedSeparator = strDecimalSeparator;
  TMainWindow Main;
};

struct TConcentrationCase {
  int Kind;
  std::array<double, 3> Criteria;
  const char* Separator;
  const char* Arrow;
  int Ticks;
  const char* Shown;      // Value_<row> before the press
  const char* Held;       // ... after the ticks, before the release
  const char* Released;   // ... after the release
  std::size_t Criterion;  // the criterion the row stores
  double Stored;
};

TEST_F(ValueEditorFormsTest, ConcentrationLevelsByArrows) {
  const TConcentrationCase cases[] = {
      {1, {0.3, 0.5, 0.7}, ".", "ValueUpControl_1", 0, "50", "50", "51", 1, 0.51},
      {1, {0.3, 0.5, 0.7}, ",", "ValueUpControl_1", 0, "50", "50", "51", 1, 0.51},
      {0, {0.05, 0.5, 0.5}, ".", "ValueDownControl_1", 0, "5", "5", "5", 0, 0.05},
      {0, {1.0, 0.5, 0.5}, ".", "ValueUpControl_1", 0, "100", "100", "100", 0, 1.0},
      {0, {0.03, 0.5, 0.5}, ".", "ValueDownControl_1", 0, "5", "5", "5", 0, 0.05},  // below the limit
      {1, {0.3, 0.5, 0.5}, ".", "ValueUpControl_2", 30, "50", "100", "100", 2, 1.0},
      {0, {0.5, 0.2, 0.2}, ".", "ValueUpControl_1", 12, "50", "52", "53", 0, 0.53},
      {1, {0.3, 0.5, 0.5}, ".", "ValueDownControl_2", 11, "50", "49", "48", 2, 0.48},
  };
  for (const TConcentrationCase& c : cases) {
    SCOPED_TRACE(std::string(c.Arrow) + " kind " + std::to_string(c.Kind) + " ticks " + std::to_string(c.Ticks));
    strDecimalSeparator = c.Separator;
    session::TConcentrationPage page;
    page.CountryRankingCriteria = c.Criteria;
    page.ShowPage(c.Kind);
    TUSForm_2 form(&Main.Window, page);
    Start(form);
    const std::array<double, 3> before = page.CountryRankingCriteria;
    const char* value = c.Criterion == 2 ? "Value_2" : "Value_1";
    EXPECT_EQ(LabelText(form, value), c.Shown);

    QWidget* button = Find(form, c.Arrow);
    HoldAt(button, button->rect().center(), [&] {
      for (int i = 0; i < c.Ticks; ++i) form.OnFormTimer();
      EXPECT_EQ(LabelText(form, value), c.Held);
      EXPECT_EQ(page.CountryRankingCriteria, before);  // the timer stores nothing
    });
    EXPECT_EQ(LabelText(form, value), c.Released);
    for (std::size_t k = 0; k < 3; ++k)
      EXPECT_DOUBLE_EQ(page.CountryRankingCriteria[k], k == c.Criterion ? c.Stored : before[k]) << k;

    const bool bond = c.Kind == 1;
    for (const char* name :
         {"InformationTitle_3", "Title_2a", "Value_2", "Title_2b", "ValueDownControl_2", "ValueUpControl_2"})
      EXPECT_EQ(Find(form, name)->isVisible(), bond) << name;
    EXPECT_EQ(LabelText(form, "InformationTitle_1"),
              bond ? "10Y fixed-rate bond  and currency portfolio concentration on the best-remunerating countries"
                   : "Equity Portfolio concentration on the best-remunerating countries");
  }
}

struct TGoldCase {
  double Gold, Fx, Tips;
  const char* Control;  // an arrow (a hold of Ticks) or the check box
  int Ticks;
  const char* Shown1;
  double Gold2, Fx2, Tips2;
  const char* Value1;
  const char* Value2;
};

TEST_F(ValueEditorFormsTest, GoldFxAndTipsByClicks) {
  const TGoldCase cases[] = {
      {12.4, 30, 0, "ValueUpControl_1", 0, "12", 13, 30, 0, "13", "30"},
      {100, 30, 0, "ValueUpControl_1", 0, "100", 100, 30, 0, "100", "30"},
      {500, 30, 0, "ValueDownControl_1", 0, "100", 99, 30, 0, "99", "30"},
      {10, 0, 0, "ValueDownControl_2", 0, "10", 10, 0, 0, "10", "0"},
      {10, 50, 0, "ValueUpControl_2", 30, "10", 10, 100, 0, "10", "100"},
      {10, 50, 100, "CheckBoxFrame_1", 0, "10", 10, 50, 0, "10", "50"},
      {10, 50, 50, "CheckBoxFrame_1", 0, "10", 10, 50, 100, "10", "50"},
  };
  for (const TGoldCase& c : cases) {
    SCOPED_TRACE(std::string(c.Control) + " gold " + std::to_string(c.Gold) + " tips " + std::to_string(c.Tips));
    session::TGoldPage page;
    page.MaxGoldAllocation = c.Gold;
    page.MaxFxRiskAllocation = c.Fx;
    page.MaxTipsAllocation = c.Tips;
    page.ShowPage();
    TUSForm_3 form(&Main.Window, page);
    Start(form);
    EXPECT_EQ(LabelText(form, "Value_1"), c.Shown1);
    EXPECT_EQ(Find(form, "CheckBox_1")->isVisible(), c.Tips == 100);
    if (std::string(c.Control) == "CheckBoxFrame_1")
      Click(Find(form, c.Control));
    else
      Hold(form, c.Control, c.Ticks);
    EXPECT_DOUBLE_EQ(page.MaxGoldAllocation, c.Gold2);
    EXPECT_DOUBLE_EQ(page.MaxFxRiskAllocation, c.Fx2);
    EXPECT_DOUBLE_EQ(page.MaxTipsAllocation, c.Tips2);
    EXPECT_EQ(LabelText(form, "Value_1"), c.Value1);
    EXPECT_EQ(LabelText(form, "Value_2"), c.Value2);
    EXPECT_EQ(Find(form, "CheckBox_1")->isVisible(), c.Tips2 == 100);
  }
}

struct TEquityCase {
  double Max, Min;
  const char* Arrow;
  double Max2, Min2;
};

TEST_F(ValueEditorFormsTest, EquityMaxNeverBelowMin) {
  const TEquityCase cases[] = {
      {40, 40, "ValueDownControl_1", 40, 40}, {40, 40, "ValueUpControl_2", 40, 40},
      {60, 40, "ValueDownControl_1", 59, 40}, {60, 40, "ValueUpControl_2", 60, 41},
      {30, 70, "ValueUpControl_1", 31, 30},  // Min above Max is loaded as Max
  };
  for (const TEquityCase& c : cases) {
    SCOPED_TRACE(std::string(c.Arrow) + " " + std::to_string(c.Max) + "/" + std::to_string(c.Min));
    session::TPortfolioPage page;
    page.MaxEqVsFiAllocation = c.Max;
    page.MinEqVsFiAllocation = c.Min;
    page.ShowPage();
    TUSForm_4 form(&Main.Window, page, {});
    Start(form);
    Hold(form, c.Arrow, 0);
    EXPECT_DOUBLE_EQ(page.MaxEqVsFiAllocation, c.Max2);
    EXPECT_DOUBLE_EQ(page.MinEqVsFiAllocation, c.Min2);
    EXPECT_EQ(LabelText(form, "Value_2"), QString::number(c.Max2));
    EXPECT_EQ(LabelText(form, "Value_3"), QString::number(c.Min2));
  }
}

struct TTrustCase {
  double Level;
  const char* Shown;
  double PressX;
  const char* Pressed;
  int Ticks;  // before the move: a pressed bar drags from the sixth
  double MoveX;
  const char* Moved;
  double Stored;
};

TEST_F(ValueEditorFormsTest, TrustBarPressAndDrag) {
  const TTrustCase cases[] = {
      {57, "55%", 250, "+60%", 6, 280, "65%", 65},   {57, "55%", 250, "+60%", 5, 280, "+60%", 60},  // not dragging yet
      {57, "55%", 160, "+55%", 6, 300, "60%", 60},    // a press on the cursor does not move it
      {250, "100%", 300, "+100%", 6, 10, "95%", 95},  // out of range, shown clamped
      {-5, "0%", 400, "0%", 6, 100, "0%", 0},         // a press past the bar's end is not on the bar
  };
  for (std::size_t bar = 0; bar < 3; ++bar) {
    for (const TTrustCase& c : cases) {
      SCOPED_TRACE("bar " + std::to_string(bar) + " level " + std::to_string(c.Level));
      session::TPortfolioPage page;
      page.QVTrustLevel = page.BLTrustLevel = page.SLTrustLevel = 20;
      page.TrustLevel(static_cast<std::int32_t>(bar)) = c.Level;
      page.ShowPage();
      TUSForm_4 form(&Main.Window, page, {});
      Start(form);
      const std::string n = std::to_string(bar + 1);
      QWidget* panel = Find(form, ("TrackBarSupport_" + n).c_str());
      QWidget* cursor = Find(form, ("TrackBarCursor_" + n).c_str());
      const std::string value = "Value_" + std::to_string(bar + 4);
      QLabel* label = Find<QLabel>(form, value.c_str());
      // The label stays centred over the cursor (panel X + cursor X + (32 - 54) / 2).
      auto expectPlaced = [&] {
        const double cursorX = page.TrustBars[bar].CursorX;
        EXPECT_NEAR(cursor->x(), cursorX, 0.5);
        EXPECT_NEAR(label->x(), panel->x() + cursorX - 11.0, 0.5);
        EXPECT_EQ(label->y() + label->height(), panel->y() + 17);
      };
      EXPECT_EQ(label->text(), c.Shown);
      expectPlaced();

      qttest::TWindowPointer pointer(&Main.Window);
      const QPoint pressAt = pointer.PointOf(panel, QPointF(c.PressX, 25));
      pointer.Wait(qttest::TWindowPointer::ApartMs());
      pointer.Press(pressAt);
      EXPECT_EQ(label->text(), c.Pressed);
      expectPlaced();
      for (int i = 0; i < c.Ticks; ++i) form.OnFormTimer();
      // The bar keeps the pointer while pressed, also past its ends.
      const QPoint moveAt = pointer.PointOf(panel, QPointF(c.MoveX, 25));
      pointer.Move(moveAt);
      pointer.Release(moveAt);
      EXPECT_EQ(label->text(), c.Moved);
      expectPlaced();
      for (std::int32_t b = 0; b < 3; ++b)
        EXPECT_DOUBLE_EQ(page.TrustLevel(b), b == static_cast<std::int32_t>(bar) ? c.Stored : 20.0) << b;
      EXPECT_FALSE(page.TrustBars[bar].Pressed);
    }
  }
}

TEST_F(ValueEditorFormsTest, CurrencyChoiceAndSelectLook) {
  for (const bool chosen : {true, false}) {
    SCOPED_TRACE(chosen);
    session::TPortfolioPage page;
    page.PortfolioCcy = "USD";
    page.RiskFreeId = "RF";
    page.FxHedging = true;
    page.ShowPage();
    int asked = 0;
    TUSForm_4 form(&Main.Window, page, [&](std::string& code) {
      ++asked;
      EXPECT_EQ(code, "USD");
      code = "EUR";
      return chosen;
    });
    Start(form);
    EXPECT_EQ(LabelText(form, "Value_1"), "USD");
    auto* button = Find<dialogs::TDialogButton>(form, "SelectButton_1");
    EXPECT_EQ(button->geometry(), QRect(285, 225, 70, 30));
    EXPECT_EQ(LabelText(form, "SelectButtonTitle_1"), "Select");
    Hover(button, true);
    EXPECT_EQ(button->StrokeWidth(), 2.0);
    Click(Find(form, "SelectButtonTitle_1"));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(button->StrokeWidth(), 1.0);
    EXPECT_EQ(button->Fill(), 0xFFFDFDFDu);
    EXPECT_EQ(button->Stroke(), 0xFF4C4C4Eu);
    const char* expected = chosen ? "EUR" : "USD";
    EXPECT_EQ(page.PortfolioCcy, expected);
    EXPECT_EQ(LabelText(form, "Value_1"), expected);
    EXPECT_EQ(page.RiskFreeId, "RF");
    EXPECT_TRUE(page.FxHedging);
  }
}

// A hold the page or the window loses stores nothing, its release takes no
// step, and the label shows the stored value again.
TEST_F(ValueEditorFormsTest, LostHoldTakesNoReleaseStep) {
  enum class TLoss { Hidden, Deactivated, GrabLost };
  for (const TLoss loss : {TLoss::Hidden, TLoss::Deactivated, TLoss::GrabLost}) {
    SCOPED_TRACE(static_cast<int>(loss));
    session::TConcentrationPage concentration;
    concentration.CountryRankingCriteria = {0.5, 0.5, 0.5};
    concentration.ShowPage(0);
    TUSForm_2 form2(&Main.Window, concentration);
    session::TGoldPage gold;
    gold.MaxGoldAllocation = 50;
    gold.ShowPage();
    TUSForm_3 form3(&Main.Window, gold);
    session::TPortfolioPage portfolio;
    portfolio.MaxEqVsFiAllocation = 50;
    portfolio.ShowPage();
    TUSForm_4 form4(&Main.Window, portfolio, {});
    QWidget* forms[] = {&form2, &form3, &form4};
    const char* values[] = {"Value_1", "Value_1", "Value_2"};
    const std::function<double()> stored[] = {[&] { return concentration.CountryRankingCriteria[0] * 100; },
                                              [&] { return gold.MaxGoldAllocation; },
                                              [&] { return portfolio.MaxEqVsFiAllocation; }};
    const std::function<void()> tick[] = {[&] { form2.OnFormTimer(); }, [&] { form3.OnFormTimer(); },
                                          [&] { form4.OnFormTimer(); }};
    Start(form2);
    Start(form3);
    Start(form4);
    for (std::size_t f = 0; f < 3; ++f) {
      SCOPED_TRACE(f + 2);
      QWidget& form = *forms[f];
      // The three pages share one place of the window: only this one shows.
      for (QWidget* other : forms) other->setVisible(other == &form);
      QWidget* arrow = Find(form, "ValueUpControl_1");
      HoldAt(arrow, arrow->rect().center(), [&] {
        for (int i = 0; i < 12; ++i) tick[f]();
        EXPECT_EQ(LabelText(form, values[f]), "52");
        if (loss == TLoss::Hidden) {
          form.hide();
          form.show();
        } else {
          QEvent event(loss == TLoss::Deactivated ? QEvent::WindowDeactivate : QEvent::UngrabMouse);
          QApplication::sendEvent(loss == TLoss::Deactivated ? &Main.Window : arrow, &event);
        }
        EXPECT_EQ(LabelText(form, values[f]), "50");
      });
      EXPECT_DOUBLE_EQ(stored[f](), 50.0);
      EXPECT_EQ(LabelText(form, values[f]), "50");
      Click(arrow);  // a later click still works
      EXPECT_DOUBLE_EQ(stored[f](), 51.0);
    }
  }
}

// Each view inside the page's 880 x 780, no two labels overlapping; with
// QUORVANE_DIALOG_PNG_DIR set, each view is saved as a picture.
TEST_F(ValueEditorFormsTest, ViewsLieInsideThePageWithoutOverlaps) {
  session::TConcentrationPage concentration;
  concentration.CountryRankingCriteria = {0.5, 0.6, 0.7};
  session::TGoldPage gold;
  gold.MaxGoldAllocation = 12;
  gold.MaxFxRiskAllocation = 30;
  gold.MaxTipsAllocation = 100;
  gold.ShowPage();
  session::TPortfolioPage portfolio;
  portfolio.PortfolioCcy = "EUR";
  portfolio.MaxEqVsFiAllocation = 80;
  portfolio.MinEqVsFiAllocation = 20;
  portfolio.QVTrustLevel = 0;
  portfolio.BLTrustLevel = 55;
  portfolio.SLTrustLevel = 100;
  portfolio.ShowPage();
  TUSForm_2 form2(&Main.Window, concentration);
  TUSForm_3 form3(&Main.Window, gold);
  TUSForm_4 form4(&Main.Window, portfolio, {});
  const QString dir = qEnvironmentVariable("QUORVANE_DIALOG_PNG_DIR");
  auto check = [&](QWidget& form, const QString& view) {
    SCOPED_TRACE(view.toStdString());
    form.show();
    const QRect page(0, 0, 880, 780);
    EXPECT_EQ(form.size(), page.size());
    const QList<QWidget*> children = form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_GT(children.size(), 10);
    for (const QWidget* child : children) {
      if (!child->isVisible()) continue;
      EXPECT_TRUE(page.contains(child->geometry())) << child->objectName().toStdString();
      const auto* label = qobject_cast<const QLabel*>(child);
      if (!label) continue;
      for (const QWidget* other : children) {
        if (other != child && other->isVisible() && qobject_cast<const QLabel*>(other)) {
          EXPECT_FALSE(child->geometry().intersects(other->geometry()))
              << child->objectName().toStdString() << " / " << other->objectName().toStdString();
        }
      }
    }
    if (!dir.isEmpty()) {
      EXPECT_TRUE(form.grab().save(QDir(dir).filePath(view + QStringLiteral(".png"))));
    }
    form.hide();
  };
  for (const int kind : {0, 1}) {
    concentration.ShowPage(kind);
    form2.Refresh();
    check(form2, QStringLiteral("USForm_2_kind%1").arg(kind));
  }
  form3.Refresh();
  check(form3, QStringLiteral("USForm_3"));
  form4.Refresh();
  check(form4, QStringLiteral("USForm_4"));
  // The trust labels stand at the bars' levels: 0 %, 55 %, 100 %.
  EXPECT_EQ(LabelText(form4, "Value_4"), "0%");
  EXPECT_EQ(LabelText(form4, "Value_5"), "55%");
  EXPECT_EQ(LabelText(form4, "Value_6"), "100%");
  EXPECT_EQ(Find<dialogs::TFrame>(form4, "TrackBarCursor_2")->Fill(), 0xFF708CD5u);
  EXPECT_EQ(Find<dialogs::TFrame>(form4, "TrackBarGuide_2")->Fill(), 0xFFC5D2DDu);
  EXPECT_EQ(Find(form4, "TrackBarGuide_2")->geometry(), QRect(0, 17, 307, 16));
}

}  // namespace
