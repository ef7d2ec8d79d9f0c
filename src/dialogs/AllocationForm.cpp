#include "dialogs/AllocationForm.h"

#include <QLabel>

#include "dialogs/DialogWidgets.h"
#include "session/AllocationPage.h"

using namespace dialogs;

namespace {
constexpr QRgb kPageFill = 0xFFFDFDFD;
constexpr int kRowStep = 29;  // rows of the grid, 24 high, 29 apart
constexpr int kRowHeight = 24;
constexpr int kColumnWidth = 232;  // columns at 0, 242 and 484
// Inside a column: title, value (right-aligned, ends at 172) and check box frame.
constexpr int kValueX = 107;
constexpr int kValueWidth = 65;
constexpr int kCheckX = 177;
constexpr int kFontSize = 14;

// A region header and its rows: column X, header Y, first and last row, header fill.
struct TRegion {
  int X;
  int HeaderY;
  int FirstRow;
  int LastRow;
  const char* Name;
  QRgb Fill;
};
constexpr std::array<TRegion, 6> kRegions = {{
    {0, 0, 1, 2, "North America", 0xFF248CAC},
    {0, 116, 3, 14, "Europe (Euro)", 0xFF5758BB},
    {242, 0, 15, 22, "Europe (Non Euro)", 0xFF9980FA},
    {242, 290, 23, 29, "Commodity Exporters", 0xFF9CC9AD},
    {484, 0, 30, 30, "Japan", 0xFFF8C296},
    {484, 87, 31, 40, "Developing Asia", 0xFFF46075},
}};
constexpr std::array<const char*, 3> kTabTitles = {"Allocations", "Transaction Costs", "FX Swap Borrowing Costs"};
constexpr std::array<const char*, 4> kStepTitles = {"10 %", "1 %", "0.1 %", "0.01 %"};

QString Text(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

TUSForm_1::TUSForm_1(QWidget* parent, session::TAllocationPage& page) : QWidget(parent), Page_(page) {
  setObjectName(QStringLiteral("USForm_1"));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor::fromRgba(kPageFill));
  setPalette(palette);

  InformationTitle_1 = MakeLabel(this, QStringLiteral("InformationTitle_1"),
                                 QStringLiteral("Portfolio Equity allocation"), 20, 120, 840, 30, 18);
  InformationTitle_2 = MakeLabel(this, QStringLiteral("InformationTitle_2"),
                                 QStringLiteral("Set your allocation across countries to 100%"), 20, 168, 840, 30, 18);

  for (std::size_t t = 0; t < Tabsheets_.size(); ++t) {
    auto* tab = new TDialogButton(this, QStringLiteral("Tabsheet_%1").arg(t + 1), QString(),
                                  52 + 210 * static_cast<int>(t), 216, 200, 48, kFontSize, true);
    tab->Title()->setObjectName(QStringLiteral("TabsheetTitle_%1").arg(t + 1));
    tab->Title()->setProperty("DesignSize", kFontSize);
    FitText(tab->Title(), QString::fromLatin1(kTabTitles[t]));
    Tabsheets_[t] = tab;
    const auto tabIndex = static_cast<std::int32_t>(t);
    connect(tab, &TDialogButton::Clicked, this, [this, tabIndex] {
      Page_.OnTabsheetClick(tabIndex);
      Refresh();
    });
    // Hover: the tab takes the chosen look; leaving restores it unless chosen.
    connect(tab, &TDialogButton::Entered, this,
            [tab] { tab->SetLook(kActiveColor, kActiveColor, TextColorOf(tab->Title()), 1.0); });
    connect(tab, &TDialogButton::Left, this, [this] { ShowTabLooks(); });
  }

  auto* sub = new QWidget(this);
  sub->setObjectName(QStringLiteral("SubSupport"));
  sub->setGeometry(20, 284, 850, 516);  // down to the bottom of row 29, at 515
  BuildGrid(sub);
  Refresh();
}

void TUSForm_1::BuildGrid(QWidget* sub) {
  for (std::size_t z = 0; z < kRegions.size(); ++z) {
    const TRegion& region = kRegions[z];
    auto* header = new TFrame(sub, QStringLiteral("ZoneTitleSupport_%1").arg(z + 1), region.X, region.HeaderY,
                              kColumnWidth, kRowHeight, region.Fill, region.Fill, 1.0);
    MakeLabel(header, QStringLiteral("ZoneTitle_%1").arg(z + 1), QString::fromLatin1(region.Name), 5, 0,
              kColumnWidth - 10, kRowHeight, kFontSize, true);
    for (int row = region.FirstRow; row <= region.LastRow; ++row) {
      const int y = region.HeaderY + 27 + (row - region.FirstRow) * kRowStep;
      TRowControls& controls = Rows_[static_cast<std::size_t>(row - 1)];
      controls.Title = MakeLabel(sub, QStringLiteral("CountryTitle_%1").arg(row), QString(), region.X, y, kValueX,
                                 kRowHeight, kFontSize);
      controls.Value =
          MakeLabel(sub, QStringLiteral("Value_%1").arg(row), QStringLiteral("100.00"), region.X + kValueX, y,
                    kValueWidth, kRowHeight, kFontSize, false, kTextColor, Qt::AlignRight | Qt::AlignVCenter);
      controls.Frame = new TFrame(sub, QStringLiteral("CheckBoxFrame_%1").arg(row), region.X + kCheckX, y, kRowHeight,
                                  kRowHeight, kPageFill, kTextColor, 1.0, 2.0);
      // The mark lets the clicks through to its frame.
      controls.Check = new TFrame(controls.Frame, QStringLiteral("CheckBox_%1").arg(row), 5, 5, 14, 14, kTextColor,
                                  kTextColor, 1.0, 2.0);
      controls.Check->setAttribute(Qt::WA_TransparentForMouseEvents);
      connect(controls.Frame, &TFrame::Clicked, this, [this, row] {
        Page_.OnCheckBoxesClick(row);
        Refresh();
      });
    }
  }

  TotalTitle_1 = MakeLabel(sub, QStringLiteral("TotalTitle_1"), QStringLiteral("Total"), 484, 462, 100, kRowHeight,
                           kFontSize, true);
  TotalAllocationValue =
      MakeLabel(sub, QStringLiteral("TotalAllocationValue"), QStringLiteral("100.00"), 591, 462, kValueWidth,
                kRowHeight, kFontSize, true, kTextColor, Qt::AlignRight | Qt::AlignVCenter);
  TotalTitle_2 =
      MakeLabel(sub, QStringLiteral("TotalTitle_2"), QStringLiteral("%"), 660, 462, 20, kRowHeight, kFontSize, true);

  for (int n = 1; n <= session::kAllocationStepCount; ++n) {
    const int y = 288 + (n - 1) * kRowStep;
    MakeLabel(sub, QStringLiteral("StepTitle_%1").arg(n),
              QString::fromLatin1(kStepTitles[static_cast<std::size_t>(n - 1)]), 728, y, 56, kRowHeight, kFontSize);
    auto* down = new TPictureButton(sub, QStringLiteral("StepValueDownControl_%1").arg(n), TPicture::ArrowDown, 787, y,
                                    kRowHeight);
    auto* up =
        new TPictureButton(sub, QStringLiteral("StepValueUpControl_%1").arg(n), TPicture::ArrowUp, 818, y, kRowHeight);
    for (auto [arrow, isUp] : {std::pair{down, false}, std::pair{up, true}}) {
      connect(arrow, &TPictureButton::Clicked, this, [this, n, isUp = isUp] {
        Page_.OnUpDownControlClick(n, isUp);
        Refresh();
      });
    }
  }

  CheckBoxFrameAll_ = new TFrame(sub, QStringLiteral("CheckBoxFrameAll"), 661, 407, kRowHeight, kRowHeight, kPageFill,
                                 kTextColor, 1.0, 2.0);
  CheckBoxAll_ =
      new TFrame(CheckBoxFrameAll_, QStringLiteral("CheckBoxAll"), 5, 5, 14, 14, kTextColor, kTextColor, 1.0, 2.0);
  CheckBoxAll_->setAttribute(Qt::WA_TransparentForMouseEvents);
  MakeLabel(sub, QStringLiteral("SelectOrUnselectAllTitle"), QStringLiteral("All"), 691, 407, 40, kRowHeight,
            kFontSize);
  connect(CheckBoxFrameAll_, &TFrame::Clicked, this, [this] {
    Page_.OnCheckBoxAllClick();
    Refresh();
  });
}

// The chosen tab filled and stroked 0xFF708CD5, the others 0xFFC5D2DD.
void TUSForm_1::ShowTabLooks() {
  for (std::size_t t = 0; t < Tabsheets_.size(); ++t) {
    const QRgb fill = static_cast<std::int32_t>(t) == Page_.CurrentTab ? kActiveColor : kTabColor;
    Tabsheets_[t]->SetLook(fill, fill, kTextColor, 1.0);
  }
}

void TUSForm_1::Refresh() {
  InformationTitle_1->setText(Text(Page_.InformationTitle));
  for (std::size_t t = 0; t < Tabsheets_.size(); ++t)
    Tabsheets_[t]->setVisible(Page_.TabVisible(static_cast<std::int32_t>(t)));
  ShowTabLooks();

  for (std::size_t i = 0; i < Rows_.size(); ++i) {
    const TRowControls& row = Rows_[i];
    const bool greyed = Page_.RowGreyed(static_cast<int>(i) + 1);
    const QRgb color = greyed ? kDisabledColor : kTextColor;
    SetTextColor(row.Title, color);
    FitText(row.Title, Text(Page_.CountryTitles[i]));
    SetTextColor(row.Value, color);
    row.Value->setText(Text(Page_.ValueTexts[i]));
    row.Value->setVisible(!greyed);
    row.Frame->SetStroke(color);
    row.Frame->setEnabled(!greyed);
    row.Check->SetFill(color);
    row.Check->SetStroke(color);
    row.Check->setEnabled(!greyed);
    row.Check->setVisible(Page_.CheckBoxList[i]);
  }
  CheckBoxAll_->setVisible(Page_.CheckBoxAll);

  const bool total = Page_.TotalVisible();
  TotalTitle_1->setVisible(total);
  TotalTitle_2->setVisible(total);
  TotalAllocationValue->setVisible(total);
  TotalAllocationValue->setText(Text(Page_.TotalAllocationText));
}
