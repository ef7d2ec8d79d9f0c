#include "widgets/TextTable.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <utility>

#include "common/CountryHelpers.h"
#include "common/Records.h"
#include "platform/Format.h"

namespace {

using platform::ffFixed;
using platform::FloatToStrF;

constexpr float kRowFactor = 1.4f;
constexpr int kRiskFreeAssetList = 1;

// Parameter-form texts.
std::string WholePercent(double value) { return FloatToStrF(value, ffFixed, 8, 0) + " %"; }
std::string Concentration(double fraction) { return FloatToStrF(fraction * 100.0, ffFixed, 8, 0) + " %"; }
std::string Cost(double value) { return FloatToStrF(value, ffFixed, 8, 2) + " %"; }
std::string YesNo(bool value) { return value ? "Yes" : "No"; }
std::string RiskFreeTitle(const TSeriesInfo& record) {
  return TranslateAssetName(record.RiskFreeId, kRiskFreeAssetList, true);
}

// Statistics-form texts; kNoFigure is "n.c.".
std::string Percentage(double fraction) {
  return fraction == kNoFigure ? "n.c." : FloatToStrF(fraction * 100.0, ffFixed, 8, 1) + " %";
}
std::string OneDecimal(double value) { return value == kNoFigure ? "n.c." : FloatToStrF(value, ffFixed, 8, 1); }
std::string DateText(double date) { return date == kNoFigure ? "" : platform::FormatDateTime("dd/mm/yyyy", date); }

using TRows = std::vector<std::pair<const char*, std::string>>;

TRows PerCountryRows(const TSeriesInfo& p, std::int32_t modelKind) {
  const double trust = modelKind == TTextTable::kEQQV ? p.QVTrustLevel : p.BLTrustLevel;
  return {{"Index name", p.IndexName},
          {"Index ticker", p.IndexTicker},
          {"Index currency", p.IndexCurrency},
          {"Index transaction cost", Cost(p.IndexTransactionCost)},
          {"", ""},
          {"Risk-free name", RiskFreeTitle(p)},
          {"Risk-free Currency", p.RiskFreeCurrency},
          {"Risk-free transaction cost", Cost(p.RiskFreeTransactionCost)},
          {"", ""},
          {"Final currency", p.PortfolioCcy},
          {"FX hedging", YesNo(p.FxHedging)},
          {"FX hedging transaction cost (p.a.)", Cost(p.FxHedgingTransactionCost)},
          {"", ""},
          {"Model trust level", WholePercent(trust)}};
}

// The parts in order, as one list of rows.
TRows Joined(std::initializer_list<TRows> parts) {
  TRows rows;
  for (const TRows& part : parts) rows.insert(rows.end(), part.begin(), part.end());
  return rows;
}

// The opening rows of every total parameter form: bond, currency and hedging.
TRows OpeningRows(const TSeriesInfo& p) {
  return {{"Bond", RiskFreeTitle(p)},
          {"", ""},
          {"Porfolio currency", p.PortfolioCcy},
          {"FX hedging", YesNo(p.FxHedging)},
          {"", ""}};
}

// Gold, FX risk and TIPS limits of the bond and the global forms.
TRows LimitRows(const TSeriesInfo& p) {
  return {{"Gold exposure", WholePercent(p.MaxGoldAllocation)},
          {"FX risk", WholePercent(p.MaxFxRiskAllocation)},
          {"", ""},
          {"TIPS use", YesNo(p.MaxTipsAllocation == 100.0)},
          {"", ""}};
}

TRows EquityRows(const TSeriesInfo& p) {
  return Joined({OpeningRows(p),
                 {{"Best equities concentration level", Concentration(p.EquityRankingCriteria)},
                  {"", ""},
                  {"Macro-economic model trust level", WholePercent(p.QVTrustLevel)},
                  {"Behavioral model trust level", WholePercent(p.BLTrustLevel)}}});
}

TRows BondRows(const TSeriesInfo& p) {
  return Joined({OpeningRows(p),
                 LimitRows(p),
                 {{"Best bonds concentration level", Concentration(p.BondRankingCriteria)},
                  {"Best Currencies concentration level", Concentration(p.CurrencyRankingCriteria)},
                  {"", ""},
                  {"Monetary model trust level", WholePercent(p.SLTrustLevel)}}});
}

TRows GlobalRows(const TSeriesInfo& p) {
  return Joined({OpeningRows(p),
                 {{"Maximum equity allocation", WholePercent(p.MaxEqVsFiAllocation)},
                  {"Minimum equity allocation", WholePercent(p.MinEqVsFiAllocation)},
                  {"", ""}},
                 LimitRows(p),
                 {{"Best equities concentration level", Concentration(p.EquityRankingCriteria)},
                  {"Best bonds concentration level", Concentration(p.BondRankingCriteria)},
                  {"Best currencies concentration level", Concentration(p.CurrencyRankingCriteria)},
                  {"", ""},
                  {"Monetary model trust level", WholePercent(p.SLTrustLevel)},
                  {"Macro-economic model trust level", WholePercent(p.QVTrustLevel)},
                  {"Behavioral model trust level", WholePercent(p.BLTrustLevel)}}});
}

// Rows of the total parameter form that the model does not use.
bool IsGreyRow(std::int32_t modelKind, std::size_t row) {
  const auto in = [row](std::initializer_list<std::size_t> rows) {
    return std::find(rows.begin(), rows.end(), row) != rows.end();
  };
  switch (modelKind) {
    case TTextTable::kMYGP:
    case TTextTable::kEQGP:
    case TTextTable::kFIGP:
      return false;
    case TTextTable::kEQQV:
      return in({5, 8});
    case TTextTable::kEQBL:
      return in({5, 7});
    case TTextTable::kEQSL:
      return in({3, 7, 8});
    case TTextTable::kFISL:
      return in({3, 5, 6, 8, 11, 13});
    case TTextTable::kFIGF:
      return in({6, 10, 11});
    case TTextTable::kFICY:
      return in({3, 5, 6, 8, 10, 13});
    default:
      return true;
  }
}

TTableCell FreshCell() {
  TTableCell cell;
  cell.Alignment = 1;
  return cell;
}

}  // namespace

void TTextTable::SetText(std::size_t column, std::size_t row, std::string text) {
  if (column < Columns.size() && row < Columns[column].size()) Columns[column][row].Text = std::move(text);
}

void TTextTable::CreateColumns(std::size_t columns, std::size_t rows) {
  Columns.assign(columns, std::vector<TTableCell>(rows, FreshCell()));
}

void TTextTable::SetParameters(const TSeriesInfo& record, std::int32_t modelKind, bool isTotal) {
  HasData = true;
  TableKind = 1;
  ModelKind = modelKind;
  IsTotal = isTotal;
  std::size_t rows = 9;
  if (modelKind == kMYGP)
    rows = 20;
  else if ((modelKind == kEQQV || modelKind == kEQBL) && !isTotal)
    rows = 14;
  else if (modelKind >= kFIGP && modelKind <= kFICY)
    rows = 14;
  CreateColumns(2, rows);
  const TSeriesInfo copy = record;
  BuildParameterRows(copy);
}

void TTextTable::BuildParameterRows(const TSeriesInfo& record) {
  HasData = true;
  TRows rows;
  if (!IsTotal) {
    if (ModelKind == kEQQV || ModelKind == kEQBL) rows = PerCountryRows(record, ModelKind);
  } else if (ModelKind == kMYGP) {
    rows = GlobalRows(record);
  } else if (ModelKind >= kEQGP && ModelKind <= kEQSL) {
    rows = EquityRows(record);
  } else if (ModelKind >= kFIGP && ModelKind <= kFICY) {
    rows = BondRows(record);
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    SetText(0, r, rows[r].first);
    SetText(1, r, rows[r].first[0] == '\0' ? std::string() : rows[r].second);
  }
}

void TTextTable::SetStatistics(const TPerformanceStatistics& record, std::int32_t modelKind, bool isTotal) {
  TableKind = 0;
  ModelKind = modelKind;
  IsTotal = isTotal;
  if (isTotal)
    CreateColumns(6, 12);
  else
    CreateColumns(7, 18);
  const TPerformanceStatistics copy = record;
  BuildStatisticsRows(copy);
}

void TTextTable::BuildStatisticsRows(const TPerformanceStatistics& s) {
  HasData = s.HasData;
  const std::string rate =
      s.RiskFreeRate == kNoFigure ? "n.c." : FloatToStrF(s.RiskFreeRate * 100.0, ffFixed, 8, 1) + "%";
  const bool perCountry = !IsTotal;
  const std::vector<const TStatisticsBlock*> blocks =
      perCountry ? std::vector<const TStatisticsBlock*>{&s.Model, &s.Index, &s.RiskFree}
                 : std::vector<const TStatisticsBlock*>{&s.Model, &s.Index};
  const std::array<const char*, 3> names{"Model", "Index", "Risk-free"};
  // Rows of the block figures; the per-country form adds the two "When" rows per group.
  const std::size_t returnRow = 2;
  const std::size_t lastMonthRow = perCountry ? 5 : 3;
  const std::size_t volatilityRow = perCountry ? 9 : 7;
  const std::size_t drawdownRow = perCountry ? 13 : 9;
  const std::size_t sharpeRow = perCountry ? 17 : 11;
  const std::size_t secondLabels = perCountry ? 5 : 4;
  const std::size_t secondValues = secondLabels + 1;
  const std::size_t correlationRow = perCountry ? 4 : 2;

  SetText(0, 0, "(In " + s.Labels.Caption6 + ")");
  SetText(0, returnRow, "Return (p.a.)");
  SetText(0, lastMonthRow, "Last month");
  SetText(0, lastMonthRow + 1, "YtD");
  SetText(0, lastMonthRow + 2, "YoY");
  SetText(0, volatilityRow, "Volatility (p.a.)");
  SetText(0, drawdownRow, "Max. drawdown");
  SetText(0, sharpeRow, "Sharpe ratio (" + rate + ")");
  if (perCountry)
    for (std::size_t row : {3, 4, 10, 11, 14, 15}) SetText(0, row, "When");

  for (std::size_t b = 0; b < blocks.size(); ++b) {
    const TStatisticsBlock& k = *blocks[b];
    const std::size_t c = b + 1;
    SetText(c, 0, names[b]);
    SetText(c, returnRow, Percentage(k.Return));
    SetText(c, lastMonthRow, Percentage(k.LastPeriod));
    SetText(c, lastMonthRow + 1, Percentage(k.YearToDate));
    SetText(c, lastMonthRow + 2, Percentage(k.OneYear));
    SetText(c, volatilityRow, Percentage(k.Volatility));
    SetText(c, drawdownRow, Percentage(k.MaxDrawdown));
    SetText(c, sharpeRow, OneDecimal(k.Sharpe));
    if (perCountry) {
      SetText(c, 3, Percentage(k.ReturnWhenOn));
      SetText(c, 4, Percentage(k.ReturnWhenOff));
      SetText(c, 10, Percentage(k.VolatilityWhenOn));
      SetText(c, 11, Percentage(k.VolatilityWhenOff));
      SetText(c, 14, Percentage(k.MaxDrawdownWhenOn));
      SetText(c, 15, Percentage(k.MaxDrawdownWhenOff));
    }
  }

  SetText(secondLabels, correlationRow, "Correlation");
  SetText(secondValues, correlationRow, Percentage(s.Correlation));
  SetText(secondLabels, correlationRow + 1, "Beta");
  SetText(secondValues, correlationRow + 1, Percentage(s.Beta));
  const bool equity = s.EquityInvested != kNoFigure;
  SetText(secondLabels, correlationRow + 2, equity ? "Equity invested" : "");
  SetText(secondValues, correlationRow + 2, equity ? Percentage(s.EquityInvested) : "");
  const bool turnover = s.Turnover != kNoFigure;
  SetText(secondLabels, correlationRow + 3, turnover ? "Turnover (p.a)" : "");
  SetText(secondValues, correlationRow + 3, turnover ? FloatToStrF(s.Turnover, ffFixed, 8, 1) : "");
  SetText(secondLabels, volatilityRow, "(" + DateText(s.Labels.StartDate));
  SetText(secondValues, volatilityRow, " - " + DateText(s.Labels.EndDate) + ")");
}

void TTextTable::Layout(platform::Canvas& canvas, float left, float top, float width, float height) {
  widgets::SetFont(canvas, widgets::TextSize());
  if (TableKind == 1)
    LayoutParameters(canvas, left, width);
  else
    LayoutStatistics(canvas, left, width);
  // Height = 1.4 x TextHeight("X") per row, without the screen height ratio.
  const float h = canvas.TextHeight("X");
  Height = h * kRowFactor * static_cast<float>(RowCount());
  Top = top + (height - Height) * 0.5f;
}

void TTextTable::LayoutParameters(platform::Canvas& canvas, float left, float width) {
  Width = 0.0f;
  const float g = canvas.TextWidth("XX");
  for (std::size_t c = 0; c < Columns.size(); ++c) {
    float w = 0.0f;
    for (const TTableCell& cell : Columns[c]) w = std::max(w, canvas.TextWidth(cell.Text));
    if (c == 1 && !IsTotal) w = canvas.TextWidth("XXXXXXXXXXXXXXXXXXXXXX");
    Width += w + g;
    for (std::size_t r = 0; r < Columns[c].size(); ++r) {
      TTableCell& cell = Columns[c][r];
      cell.Bounds.Left = c == 0 ? 0.0f : Columns[c - 1][r].Bounds.Right;
      cell.Bounds.Right = cell.Bounds.Left + w + g;
      cell.Bold = 0;
      if (IsTotal) cell.Colour = IsGreyRow(ModelKind, r) ? kWidgetGridColour : kWidgetTextColour;
      cell.Alignment = c + 1 == Columns.size() ? 2 : 1;
    }
  }
  Left = left + (width - Width) * 0.5f;
}

void TTextTable::LayoutStatistics(platform::Canvas& canvas, float left, float width) {
  if (Columns.size() < 6) {  // never set, or not a statistics shape
    Width = 0.0f;
    Left = left + (width - Width) * 0.5f;
    return;
  }
  const std::size_t last = Columns.size() - 1;
  const std::size_t secondLabels = last - 1;
  const std::size_t blocks = Columns.size() - 4;  // labels, spacer, second labels, second values
  const bool perCountry = !IsTotal;
  const std::size_t volatilityRow = perCountry ? 9 : 7;
  const std::size_t drawdownRow = perCountry ? 13 : 9;

  float L = 0.0f;
  for (const TTableCell& cell : Columns[0]) L = std::max(L, canvas.TextWidth(cell.Text));
  float M = canvas.TextWidth("TURNOVER (P.A)");
  for (const TTableCell& cell : Columns[secondLabels]) M = std::max(M, canvas.TextWidth(cell.Text));
  const float x9 = canvas.TextWidth("XXXXXXXXX");

  std::vector<float> widths(Columns.size(), x9);
  widths[0] = L + 0.5f * x9;
  widths[blocks + 1] = 0.5f * x9;
  widths[secondLabels] = M;
  widths[last] = canvas.TextWidth("XXX") + x9;

  Width = 0.0f;
  for (float w : widths) Width += w;
  const float percentWidth = canvas.TextWidth(" %");
  for (std::size_t c = 0; c < Columns.size(); ++c) {
    for (std::size_t r = 0; r < Columns[c].size(); ++r) {
      TTableCell& cell = Columns[c][r];
      cell.Bounds.Left = c == 0 ? 0.0f : Columns[c - 1][r].Bounds.Left + widths[c - 1];
      cell.Bounds.Right = cell.Bounds.Left + widths[c];
      cell.Alignment = (c == 0 || c == secondLabels) ? 1 : 2;
      if (r == volatilityRow && c == secondLabels) cell.Alignment = 2;
      if (r == volatilityRow && c == last) cell.Alignment = 1;
      const bool blockColumn = c >= 1 && c <= blocks;
      const bool bold = (c == 0 && r == 0) ||
                        (blockColumn && (r == 0 || r == 2 || r == volatilityRow || r == drawdownRow)) ||
                        (r == volatilityRow && c >= secondLabels);
      cell.Bold = bold ? 1 : 0;
      cell.Colour = kWidgetTextColour;
      if (perCountry && c <= blocks) {
        if (r == 3 || r == 10 || r == 14) cell.Colour = claGraphicPalette[1];
        if (r == 4 || r == 11 || r == 15) cell.Colour = claGraphicPalette[0];
      }
    }
  }
  // Figures without " %" (Sharpe ratios, turnover) end where the digits of the percentages above them end.
  for (std::size_t c = 0; c < Columns.size(); ++c)
    for (std::size_t r = 0; r < Columns[c].size(); ++r)
      if (IsShiftedCell(c, r)) Columns[c][r].Bounds.Right -= percentWidth;

  Left = left + (width - Width) * 0.5f;
  if (perCountry)
    Left += ((M - L) + x9) * 0.5f - canvas.TextWidth("X");
  else
    Left += canvas.TextWidth("XX");
}

bool TTextTable::IsShiftedCell(std::size_t column, std::size_t row) const {
  if (TableKind != 0 || Columns.empty()) return false;
  const std::size_t last = Columns.size() - 1;
  const std::size_t rows = RowCount();
  if (column != 0 && column != last) return rows > 0 && row == rows - 1;
  return column == last && row == (IsTotal ? 5u : 7u);
}

bool TTextTable::IsMarkerCell(std::size_t column, std::size_t row) const {
  if (TableKind != 0 || IsTotal || column != 0) return false;
  return row == 3 || row == 4 || row == 10 || row == 11 || row == 14 || row == 15;
}

void TTextTable::Draw(platform::Canvas& canvas, float paintWidth) const {
  if (!HasData) {
    widgets::DrawNoData(canvas, paintWidth, Top, Top + Height);
    return;
  }
  widgets::SetFont(canvas, widgets::TextSize());
  const float h = canvas.TextHeight("X");
  const float percentWidth = canvas.TextWidth(" %");
  for (std::size_t c = 0; c < Columns.size(); ++c) {
    for (std::size_t r = 0; r < Columns[c].size(); ++r) {
      const TTableCell& cell = Columns[c][r];
      canvas.Font.Style = cell.Bold != 0 ? platform::fsBold : 0u;
      const float top = Top + kRowFactor * h * static_cast<float>(r);
      const float bottom = Top + kRowFactor * h * static_cast<float>(r + 1);
      if (IsMarkerCell(c, r)) {
        // The dot after "When", in the colour of the row's figures.
        canvas.Stroke = {platform::TBrushKind::None, cell.Colour, 1.0f, platform::TStrokeDash::Solid};
        widgets::SetFill(canvas, cell.Colour);
        const float x = Left + cell.Bounds.Left + canvas.TextWidth(cell.Text) + 10.0f;
        canvas.FillEllipse({x, top + 0.25f * h, x + h, bottom - 0.25f * h}, 1.0f);
      }
      platform::TRectF rect{Left + cell.Bounds.Left, top, Left + cell.Bounds.Right, bottom};
      // "n.c." carries no digits to line up: it ends where the other "n.c." of its column end.
      if (cell.Text == "n.c." && IsShiftedCell(c, r)) rect.Right += percentWidth;
      widgets::SetFill(canvas, cell.Colour);
      widgets::WriteText(canvas, rect, cell.Text, cell.Alignment);
    }
  }
}
