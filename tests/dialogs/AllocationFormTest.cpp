// Allocation page by clicks: titles, tabs and greyed rows per page kind, the
// step arrows on checked rows, the refused step above 100 %, the cost tab,
// the decimal comma and the hover looks.

#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <set>

#include "common/Globals.h"
#include "dialogs/AllocationForm.h"
#include "dialogs/DialogTestSupport.h"
#include "session/AllocationPage.h"

namespace {

using namespace dialogtest;
using dialogs::TDialogButton;
using dialogs::TFrame;
using dialogs::TPictureButton;

constexpr QRgb kGrey = 0xFFB6C8D6;
const std::set<int> kGreyedRows = {3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 23};

// Forty countries: equity weights 25 and 22 on rows 1 and 2, 1 elsewhere (total 85).
std::vector<TCountrySettings> MakeSettings() {
  std::vector<TCountrySettings> settings;
  for (int row = 1; row <= 40; ++row) {
    TCountrySettings entry;
    entry.CountryName = "Country " + std::to_string(row);
    entry.EqWeight = row == 1 ? 25.0 : row == 2 ? 22.0 : 1.0;
    entry.FiWeight = 2.0;
    entry.CyWeight = 3.0;
    entry.EqTransactionCost = row == 1 ? 99.99 : 0.5;
    entry.FiTransactionCost = 0.25;
    entry.EqFxSwapBorrowingCost = 0.75;
    entry.CountryRank = row;
    settings.push_back(entry);
  }
  return settings;
}

class AllocationFormTest : public ::testing::Test {
 protected:
  AllocationFormTest() {
    Form.setGeometry(0, 0, 880, 800);
    Form.show();
    Page.LoadCountrySettings(MakeSettings(), {});
  }
  void TearDown() override { strDecimalSeparator = "."; }

  void Show(std::int32_t kind) {
    Page.ShowPage(kind);
    Form.Refresh();
  }
  template <class T = QWidget>
  T* Find(const QString& name) {
    T* widget = Form.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }
  QString Text(const QString& name) { return Find<QLabel>(name)->text(); }
  void ClickName(const QString& name) { Click(Find(name)); }
  bool CheckShown(int row) { return Find(QStringLiteral("CheckBox_%1").arg(row))->isVisible(); }

  TMainWindow Main;
  session::TAllocationPage Page;
  TUSForm_1 Form{&Main.Window, Page};
};

TEST_F(AllocationFormTest, KindsShowTitlesTabsAndGreyedRows) {
  const struct {
    std::int32_t kind;
    const char* title;
    bool costTabs;
    bool greys;
    const char* value;
  } cases[] = {
      {0, "Portfolio Equity allocation", true, false, "1.00"},
      {1, "Portfolio 10Y fixed-rate bond allocation", true, true, "2.00"},
      {2, "Portfolio Currency allocation", false, true, "3.00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    Show(c.kind);
    EXPECT_EQ(Text("InformationTitle_1"), c.title);
    EXPECT_EQ(Text("InformationTitle_2"), "Set your allocation across countries to 100%");
    EXPECT_TRUE(Find("Tabsheet_1")->isVisible());
    EXPECT_EQ(Find("Tabsheet_2")->isVisible(), c.costTabs);
    EXPECT_EQ(Find("Tabsheet_3")->isVisible(), c.costTabs);
    EXPECT_EQ(Find<TDialogButton>("Tabsheet_1")->Fill(), dialogs::kActiveColor);
    EXPECT_EQ(Text("TabsheetTitle_3"), "FX Swap Borrowing Costs");

    ClickName("CheckBoxFrame_3");   // equity-only row
    ClickName("CheckBoxFrame_24");  // a row of every kind
    EXPECT_EQ(Page.CheckBoxList[2], !c.greys);
    EXPECT_TRUE(Page.CheckBoxList[23]);
    ClickName("CheckBoxFrameAll");
    EXPECT_TRUE(Find("CheckBoxAll")->isVisible());
    for (int row = 1; row <= 40; ++row) {
      SCOPED_TRACE(row);
      const bool greyed = c.greys && kGreyedRows.count(row) > 0;
      const QString n = QString::number(row);
      EXPECT_EQ(Text("CountryTitle_" + n), QString("Country %1").arg(row));
      EXPECT_EQ(TextColor(Find<QLabel>("CountryTitle_" + n)), greyed ? kGrey : dialogs::kTextColor);
      EXPECT_EQ(Find("Value_" + n)->isVisible(), !greyed);
      if (!greyed && row > 2) {
        EXPECT_EQ(Text("Value_" + n), c.value);
      }
      EXPECT_EQ(Find("CheckBoxFrame_" + n)->isEnabled(), !greyed);
      EXPECT_EQ(Find<TFrame>("CheckBoxFrame_" + n)->Stroke(), greyed ? kGrey : dialogs::kTextColor);
      // The mark is shown exactly when the session holds the row checked.
      EXPECT_EQ(CheckShown(row), !greyed);
      EXPECT_EQ(CheckShown(row), Page.CheckBoxList[static_cast<std::size_t>(row - 1)]);
    }
    ClickName("CheckBoxFrameAll");
    EXPECT_FALSE(Find("CheckBoxAll")->isVisible());
    for (int row = 1; row <= 40; ++row) EXPECT_FALSE(CheckShown(row)) << row;
  }
}

TEST_F(AllocationFormTest, ArrowsStepCheckedRowsWithinHundred) {
  const struct {
    const char* name;
    std::vector<int> checked;
    const char* arrow;
    std::vector<std::pair<int, const char*>> values;
    const char* total;
  } cases[] = {
      {"two rows +10 refused (105)", {1, 2}, "StepValueUpControl_1", {{1, "25.00"}, {2, "22.00"}}, "85.00"},
      {"one row +10", {1}, "StepValueUpControl_1", {{1, "35.00"}, {2, "22.00"}}, "95.00"},
      {"two rows -1", {1, 2}, "StepValueDownControl_2", {{1, "24.00"}, {2, "21.00"}, {3, "1.00"}}, "83.00"},
      {"+0.01", {4, 40}, "StepValueUpControl_4", {{4, "1.01"}, {40, "1.01"}, {39, "1.00"}}, "85.02"},
      {"+0.1", {15}, "StepValueUpControl_3", {{15, "1.10"}}, "85.10"},
      {"-10 clamps at 0", {4}, "StepValueDownControl_1", {{4, "0.00"}}, "84.00"},
      {"nothing checked", {}, "StepValueUpControl_3", {{1, "25.00"}, {4, "1.00"}}, "85.00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Page.LoadCountrySettings(MakeSettings(), {});
    Show(session::kEquityPage);
    for (int row : c.checked) ClickName(QStringLiteral("CheckBoxFrame_%1").arg(row));
    ClickName(c.arrow);
    for (const auto& [row, text] : c.values) {
      EXPECT_EQ(Text(QStringLiteral("Value_%1").arg(row)), text) << row;
      EXPECT_EQ(Page.ValueTexts[static_cast<std::size_t>(row - 1)], text) << row;
    }
    EXPECT_EQ(Text("TotalAllocationValue"), c.total);
    EXPECT_EQ(Page.TotalAllocationText, c.total);
  }
}

TEST_F(AllocationFormTest, CostTabHidesTotalAndClampsValues) {
  Show(session::kEquityPage);
  EXPECT_TRUE(Find("TotalTitle_1")->isVisible());
  EXPECT_EQ(Text("TotalTitle_1"), "Total");
  EXPECT_EQ(Text("TotalTitle_2"), "%");
  ClickName("TabsheetTitle_2");  // the title carries the click
  EXPECT_EQ(Page.CurrentTab, session::kTransactionCostsTab);
  EXPECT_EQ(Find<TDialogButton>("Tabsheet_2")->Fill(), dialogs::kActiveColor);
  EXPECT_EQ(Find<TDialogButton>("Tabsheet_1")->Fill(), dialogs::kTabColor);
  for (const char* name : {"TotalTitle_1", "TotalAllocationValue", "TotalTitle_2"})
    EXPECT_FALSE(Find(name)->isVisible());
  EXPECT_EQ(Text("Value_1"), "99.99");
  EXPECT_EQ(Text("Value_2"), "0.50");
  ClickName("CheckBoxFrame_1");
  ClickName("StepValueUpControl_2");
  EXPECT_EQ(Text("Value_1"), "100.00");
  ClickName("CheckBoxFrame_1");
  ClickName("CheckBoxFrame_2");
  ClickName("StepValueDownControl_2");
  EXPECT_EQ(Text("Value_2"), "0.00");
  EXPECT_DOUBLE_EQ(Page.CountrySettings[1].EqTransactionCost, 0.0);
  ClickName("Tabsheet_3");
  EXPECT_EQ(Text("Value_2"), "0.75");
  ClickName("Tabsheet_1");
  EXPECT_TRUE(Find("TotalAllocationValue")->isVisible());
  EXPECT_EQ(Text("TotalAllocationValue"), "85.00");
}

TEST_F(AllocationFormTest, DecimalCommaShowsInValues) {
  strDecimalSeparator = ",";
  std::vector<TCountrySettings> settings = MakeSettings();
  settings[0].EqWeight = 2.5;
  Page.LoadCountrySettings(settings, {});
  Show(session::kEquityPage);
  EXPECT_EQ(Text("Value_1"), "2,50");
  EXPECT_EQ(Text("TotalAllocationValue"), "62,50");
  ClickName("CheckBoxFrame_1");
  ClickName("StepValueUpControl_3");
  EXPECT_EQ(Text("Value_1"), "2,60");
}

TEST_F(AllocationFormTest, HoverLooks) {
  Show(session::kEquityPage);
  auto* tab2 = Find<TDialogButton>("Tabsheet_2");
  auto* tab1 = Find<TDialogButton>("Tabsheet_1");
  Hover(tab2, true);
  EXPECT_EQ(tab2->Fill(), dialogs::kActiveColor);
  EXPECT_EQ(tab2->Stroke(), dialogs::kActiveColor);
  Hover(tab2, false);
  EXPECT_EQ(tab2->Fill(), dialogs::kTabColor);
  Hover(tab1, true);
  Hover(tab1, false);
  EXPECT_EQ(tab1->Fill(), dialogs::kActiveColor);  // the chosen tab keeps its look
  for (const char* name : {"StepValueUpControl_1", "StepValueDownControl_4"}) {
    auto* arrow = Find<TPictureButton>(name);
    Hover(arrow, true);
    EXPECT_TRUE(arrow->Active()) << name;
    Hover(arrow, false);
    EXPECT_FALSE(arrow->Active()) << name;
  }
}

// No two shown labels overlap and every control lies inside its parent and the page (880
// wide; the grid's lowest row, 29, ends 799 px down); with QUORVANE_DIALOG_PNG_DIR set, each kind is also saved as a
// picture.
TEST_F(AllocationFormTest, LayoutFitsThePage) {
  const QByteArray dir = qgetenv("QUORVANE_DIALOG_PNG_DIR");
  for (std::int32_t kind : {0, 1, 2}) {
    SCOPED_TRACE(kind);
    Show(kind);
    ClickName("CheckBoxFrame_1");
    std::vector<std::pair<QString, QRect>> labels;
    for (QWidget* widget : Form.findChildren<QWidget*>()) {
      if (!widget->isVisible()) continue;
      const QRect rect(widget->mapTo(&Form, QPoint(0, 0)), widget->size());
      EXPECT_TRUE(QRect(0, 0, 880, 800).contains(rect)) << widget->objectName().toStdString();
      EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry())) << widget->objectName().toStdString();
      if (qobject_cast<QLabel*>(widget)) labels.emplace_back(widget->objectName(), rect);
    }
    EXPECT_GT(labels.size(), 80u);
    for (std::size_t i = 0; i < labels.size(); ++i)
      for (std::size_t j = i + 1; j < labels.size(); ++j)
        EXPECT_FALSE(labels[i].second.intersects(labels[j].second))
            << labels[i].first.toStdString() << " / " << labels[j].first.toStdString();
    if (!dir.isEmpty()) {
      EXPECT_TRUE(Form.grab().save(QDir(QString::fromUtf8(dir)).filePath(QString("allocation-%1.png").arg(kind))));
    }
  }
}

}  // namespace
