#include "widgets/CountryRankingTable.h"

#include <algorithm>
#include <array>

#include "platform/Format.h"

namespace {

constexpr std::array<std::int32_t, 8> kEquityAlignment{1, 2, 2, 2, 2, 0, 0, 0};
constexpr std::array<std::int32_t, 8> kBondAlignment{1, 2, 2, 2, 2, 2, 2, 0};

// Header lines 0 and 1 of the eight columns.
constexpr std::array<const char*, 8> kBondHeader0{"Region/Country", "Rank",      "Model", "Benchmark",
                                                  "Fixed",          "Inflation", "FX",    ""};
constexpr std::array<const char*, 8> kBondHeader1{"",     "(Best)", "Allocation", "Allocation",
                                                  "Rate", "Linked", "Hedging",    "Competition"};
constexpr std::array<const char*, 8> kEquityHeader1{"",        "(Best)", "Allocation",  "Allocation",
                                                    "Hedging", "",       "Competition", ""};

// Row height: TextHeight("X") x 1.4 x fScreenHeightRatio.
float RowHeight(platform::Canvas& canvas) { return canvas.TextHeight("X") * 1.4f * fScreenHeightRatio; }

// A band or text rectangle of a head row: top raised by 3, bottom by 1.
platform::TRectF RaiseText(platform::TRectF rect) {
  rect.Top -= 3.0f;
  rect.Bottom -= 1.0f;
  return rect;
}

}  // namespace

void TCountryRankingTable::SetData(const std::vector<TRegionAllocationRow>& rows, bool equityMode,
                                   const std::string& title1, const std::string& title2) {
  EquityMode_ = equityMode;
  FirstBodyRow_ = 0;
  ChildCounts_.clear();
  for (const TRegionAllocationRow& row : rows)
    ChildCounts_.push_back(static_cast<std::uint32_t>(equityMode ? row.Items.size() : row.DetailItems.size()));
  TTableCell blank;
  blank.Colour = kWidgetTextColour;
  blank.Alignment = 1;
  Columns_.assign(kColumnCount, std::vector<TTableCell>(kRowCount, blank));
  RowKinds_.assign(kRowCount, rkEmpty);
  BuildRows(std::vector<TRegionAllocationRow>(rows), title1, title2);
}

void TCountryRankingTable::SetNumber(int column, int row, double value) {
  TTableCell& cell = Columns_[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
  cell.Text = platform::FloatToStr(value);
  cell.Value = value;
}

void TCountryRankingTable::SetRank(int column, int row, std::int32_t rank, bool head) {
  TTableCell& cell = Columns_[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
  cell.Text = head && rank == 0 ? std::string() : std::to_string(rank);
  cell.Value = rank;
}

void TCountryRankingTable::SetFlag(int column, int row, bool on) {
  TTableCell& cell = Columns_[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
  cell.Text = on ? "1" : "0";
  cell.Value = on ? 1.0 : 0.0;
}

void TCountryRankingTable::BuildRows(const std::vector<TRegionAllocationRow>& rows, const std::string& title1,
                                     const std::string& title2) {
  const auto fillEquity = [&](int p, const TCountryAllocationItem& item, bool head) {
    Columns_[0][static_cast<std::size_t>(p)].Text = item.Name;
    SetRank(1, p, item.Rank, head);
    SetNumber(2, p, item.EquityShare);
    SetNumber(3, p, item.RiskFreeShare);
    SetNumber(4, p, item.FxShare);
    SetFlag(5, p, item.MacroOn);
    SetFlag(6, p, item.Selected);
    SetFlag(7, p, item.BehaviourOn);
  };
  const auto fillBond = [&](int p, const TCountryDetailItem& item, bool head) {
    Columns_[0][static_cast<std::size_t>(p)].Text = item.Name;
    SetRank(1, p, item.Code, head);
    SetNumber(2, p, item.BondWeight);
    SetNumber(3, p, item.IndexWeight);
    SetNumber(4, p, item.FixedRateWeight);
    SetNumber(5, p, item.InflationLinkedWeight);
    SetNumber(6, p, item.FxHedge);
    SetFlag(7, p, item.Flag != 0);
  };
  const auto fill = [&](int p, const TRegionAllocationRow& row, int item) {
    const bool head = item < 0;
    RowKinds_[static_cast<std::size_t>(p)] = head ? rkHead : rkCountry;
    if (EquityMode_)
      fillEquity(p, head ? row.Summary : row.Items[static_cast<std::size_t>(item)], head);
    else
      fillBond(p, head ? row.DetailSummary : row.DetailItems[static_cast<std::size_t>(item)], head);
  };

  // Body: each row's head, then its countries, from row 3; whatever would pass
  // row 48 is dropped. The last row given is the closing row, always row 49.
  int p = kFirstBodyRow;
  for (std::size_t r = 0; r + 1 < rows.size() && p <= kLastBodyRow; ++r) {
    fill(p++, rows[r], -1);
    const int count = static_cast<int>(ChildCounts_[r]);
    for (int i = 0; i < count && p <= kLastBodyRow; ++i) fill(p++, rows[r], i);
  }
  BodyRows_ = p - kFirstBodyRow;
  if (!rows.empty()) {
    fill(kClosingRow, rows.back(), -1);
    RowKinds_[kClosingRow] = rkEmpty;  // drawn on its own, never as a body row
  }

  for (int c = 0; c < kColumnCount; ++c) {
    auto& column = Columns_[static_cast<std::size_t>(c)];
    const auto uc = static_cast<std::size_t>(c);
    if (EquityMode_) {
      static constexpr std::array<const char*, 8> kFixed0{"Region/Country", "Rank", "",        "", "FX",
                                                          "Macro",          "",     "Behavior"};
      column[0].Text = c == 2 ? title1 : c == 3 ? title2 : kFixed0[uc];
      column[1].Text = kEquityHeader1[uc];
    } else {
      column[0].Text = kBondHeader0[uc];
      column[1].Text = kBondHeader1[uc];
    }
    column[2].Text.clear();
  }
}

int TCountryRankingTable::VisibleColumns(bool regionsOnly) const {
  if (!regionsOnly) return kColumnCount;
  return EquityMode_ ? 5 : 7;
}

std::int32_t TCountryRankingTable::MaxScrollPosition() const { return std::max(0, BodyRows_ - kShownBodyRows); }

void TCountryRankingTable::SetScrollPosition(std::int32_t position) {
  FirstBodyRow_ = std::clamp(position, 0, MaxScrollPosition());
}

TAlphaColor TCountryRankingTable::HeadColour(const std::string& name) const {
  TAlphaColor colour = kWidgetTextColour;
  for (const TLegendItem& item : Legend)
    if (!item.Labels.empty() && item.Labels[0] == name) colour = item.Colour;
  return colour;
}

TCountryRankingTable::TColumnGauges TCountryRankingTable::MeasureColumns(platform::Canvas& canvas, float size) const {
  widgets::SetFont(canvas, size);
  TColumnGauges gauges;
  // Name 1.5 x its widest text; rank, value and flag columns by gauge texts.
  float nameWidth = 0.0f;
  for (const TTableCell& cell : Columns_[0]) nameWidth = std::max(nameWidth, canvas.TextWidth(cell.Text));
  const float nine = canvas.TextWidth("XXXXXXXXX");
  gauges.Gap = 0.5f * nine;
  for (int c = 0; c < kColumnCount; ++c) {
    gauges.Widths[static_cast<std::size_t>(c)] = c == 0             ? 1.5f * nameWidth
                                                 : c == 1           ? canvas.TextWidth("10000")
                                                 : IsValueColumn(c) ? canvas.TextWidth("-10000.00%")
                                                                    : 0.25f * nine;
    gauges.Total += gauges.Widths[static_cast<std::size_t>(c)] + gauges.Gap;
  }
  return gauges;
}

void TCountryRankingTable::Layout(platform::Canvas& canvas, float left, float top, float width, float height,
                                  bool regionsOnly) {
  if (Columns_.empty()) return;
  AreaLeft_ = left;
  AreaTop_ = top;
  Columns_[0][0].Text = regionsOnly ? "Region" : "Region/Country";

  // The table's type is the text size, made smaller where the table and the
  // header cell left of its first column (one gap wide) are wider than the
  // area: every width scales with the type, so the headers keep their fit.
  FontSize_ = widgets::TextSize();
  TColumnGauges gauges = MeasureColumns(canvas, FontSize_);
  if (gauges.Total + gauges.Gap > width && width > 0.0f) {
    FontSize_ *= width / (gauges.Total + gauges.Gap);
    gauges = MeasureColumns(canvas, FontSize_);
    // Type metrics are not exactly proportional: step down until it fits.
    while (gauges.Total + gauges.Gap > width && FontSize_ > 1.0f) {
      FontSize_ -= 0.25f;
      gauges = MeasureColumns(canvas, FontSize_);
    }
  }
  const float h = RowHeight(canvas);
  const float gap = gauges.Gap;
  const auto& columnWidth = gauges.Widths;
  std::array<float, kColumnCount> columnLeft{};
  for (std::size_t c = 0; c < columnLeft.size(); ++c)
    columnLeft[c] = c == 0 ? left : columnLeft[c - 1] + columnWidth[c - 1] + gap;
  TotalWidth_ = gauges.Total;
  const auto& alignment = EquityMode_ ? kEquityAlignment : kBondAlignment;
  const auto place = [&](int c, int row, int at) {
    const auto uc = static_cast<std::size_t>(c);
    Columns_[uc][static_cast<std::size_t>(row)].Bounds = {columnLeft[uc], top + static_cast<float>(at) * h,
                                                          columnLeft[uc] + columnWidth[uc],
                                                          top + static_cast<float>(at + 1) * h};
  };

  for (int c = 0; c < kColumnCount; ++c) {
    for (int row = 0; row < kFirstBodyRow; ++row) {
      place(c, row, row);
      TTableCell& cell = Columns_[static_cast<std::size_t>(c)][static_cast<std::size_t>(row)];
      cell.Colour = kWidgetTextColour;
      cell.Alignment = 0;
      cell.Bold = 1;
    }
  }

  // Body rows: region view all filled rows (heads only placed), full view 16
  // rows from the clamped scroll position.
  const int lastFilled = kFirstBodyRow + BodyRows_ - 1;
  if (regionsOnly) {
    ShownFirst_ = kFirstBodyRow;
    ShownLast_ = lastFilled;
  } else {
    ShownFirst_ = kFirstBodyRow + FirstBodyRow_;
    ShownLast_ = std::min(ShownFirst_ + kShownBodyRows - 1, lastFilled);
  }
  for (auto& column : Columns_)
    for (int row = kFirstBodyRow; row <= kLastBodyRow; ++row) column[static_cast<std::size_t>(row)].Bounds = {};
  int counter = kFirstBodyRow;
  for (int row = ShownFirst_; row <= ShownLast_; ++row) {
    const bool head = RowKinds_[static_cast<std::size_t>(row)] == rkHead;
    const TAlphaColor colour = head ? HeadColour(Columns_[0][static_cast<std::size_t>(row)].Text) : kWidgetTextColour;
    for (int c = 0; c < kColumnCount; ++c) {
      TTableCell& cell = Columns_[static_cast<std::size_t>(c)][static_cast<std::size_t>(row)];
      cell.Colour = colour;
      cell.Bold = head ? 1 : 0;
      cell.Alignment = alignment[static_cast<std::size_t>(c)];
      if (!regionsOnly || head) place(c, row, counter);
    }
    if (!regionsOnly || head) ++counter;
  }
  // The closing row follows after one blank row.
  for (int c = 0; c < kColumnCount; ++c) {
    place(c, kClosingRow, counter + 1);
    TTableCell& cell = Columns_[static_cast<std::size_t>(c)][kClosingRow];
    cell.Colour = kWidgetTextColour;
    cell.Bold = 1;
    cell.Alignment = alignment[static_cast<std::size_t>(c)];
  }

  // Centred placement; the cells already start at the area's left and top,
  // so the drawn table lies that far right of and below the centred
  // position, yet never past the area's right or bottom edge, nor with its
  // first header cell past the left edge.
  TotalHeight_ = 3.0f * h + (regionsOnly ? 8.0f : 20.0f) * h;
  LeftOffset_ = left + (width - TotalWidth_) * 0.5f;
  TopOffset_ = top + (height - TotalHeight_) * 0.5f;
  LeftOffset_ = std::max(std::min(LeftOffset_, width - TotalWidth_), gap);
  TopOffset_ = std::max(std::min(TopOffset_, height - TotalHeight_), 0.0f);
  TrackBarAnchorX = LeftOffset_ + left;
}

TViewArea TCountryRankingTable::ViewArea() const {
  if (Columns_.empty() || ChildCounts_.empty()) return {};
  return {LeftOffset_ + AreaLeft_, TopOffset_ + AreaTop_, TotalWidth_, TotalHeight_, 0.0f, 0.0f};
}

std::string TCountryRankingTable::ShownText(int column, int row) const {
  const TTableCell& cell = Columns_[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
  if (column == 0) return cell.Text;
  if (column == 1) return cell.Text == "-1" ? std::string() : cell.Text;
  if (IsValueColumn(column)) {
    if (cell.Value == kNoFigure || cell.Value == 0.0) return "-";
    return platform::FloatToStrF(cell.Value * 100.0, platform::ffFixed, 8, 2) + "%";
  }
  return {};
}

void TCountryRankingTable::Draw(platform::Canvas& canvas, bool regionsOnly) const {
  if (Columns_.empty() || ChildCounts_.empty()) return;  // no rows given: nothing to draw
  widgets::SetFont(canvas, FontSize_);
  const float widen = 0.5f * canvas.TextWidth("XXXXXXXXX");
  const float pullIn = canvas.TextWidth("XX");
  const float textHeight = canvas.TextHeight("X");
  const float h = RowHeight(canvas);
  const int visible = VisibleColumns(regionsOnly);
  const auto at = [&](int c, int row) -> const TTableCell& {
    return Columns_[static_cast<std::size_t>(c)][static_cast<std::size_t>(row)];
  };
  const auto rectOf = [&](int c, int row) {
    platform::TRectF rect = at(c, row).Bounds.Offset(LeftOffset_, TopOffset_);
    if (c == 1 || IsValueColumn(c)) rect.Right -= pullIn;
    return rect;
  };
  const auto write = [&](const platform::TRectF& rect, const std::string& text, TAlphaColor colour, bool bold,
                         int alignment) {
    widgets::SetFont(canvas, FontSize_, bold);
    widgets::SetFill(canvas, colour);
    widgets::WriteText(canvas, rect, text, alignment);
  };
  const auto band = [&](platform::TRectF rect, TAlphaColor colour) {
    rect.Left -= 5.0f;
    rect.Top += 1.0f;
    rect.Bottom -= 1.0f;
    widgets::SetFill(canvas, colour);
    canvas.FillRect(rect, 2.0f, 2.0f, 1.0f);
  };

  for (int c = 0; c < visible; ++c) {
    for (int row = 0; row < kFirstBodyRow; ++row) {
      const TTableCell& cell = at(c, row);
      platform::TRectF rect = cell.Bounds.Offset(LeftOffset_, TopOffset_);
      rect.Left -= widen;
      rect.Right += widen;
      write(rect, cell.Text, cell.Colour, cell.Bold != 0, cell.Alignment);
    }
  }

  for (int row = ShownFirst_; row <= ShownLast_; ++row) {
    const auto kind = RowKinds_[static_cast<std::size_t>(row)];
    if (kind == rkEmpty || (regionsOnly && kind != rkHead)) continue;
    const bool unranked = at(1, row).Text == "-1";
    if (kind == rkHead) {
      platform::TRectF bandRect = rectOf(0, row);
      if (!regionsOnly) bandRect.Right = at(LastValueColumn(), row).Bounds.Right + LeftOffset_;
      band(bandRect, at(0, row).Colour);
      for (int c = 0; c < visible; ++c) {
        if (IsFlagColumn(c)) continue;
        platform::TRectF rect = RaiseText(rectOf(c, row));
        const std::string text = ShownText(c, row);
        if (c == 0) {
          if (!regionsOnly) rect.Right = bandRect.Right;
          write(rect, text, kWidgetOnFillColour, true, at(c, row).Alignment);
        } else if (regionsOnly) {
          write(rect, text, kWidgetTextColour, false, at(c, row).Alignment);
        } else {
          write(rect, text, kWidgetOnFillColour, at(c, row).Bold != 0 && text != "-", at(c, row).Alignment);
        }
      }
      continue;
    }
    for (int c = 0; c < visible; ++c) {
      const TTableCell& cell = at(c, row);
      if (IsFlagColumn(c)) {
        if (unranked) continue;
        // Dot: from c - T + 2 to c - T + ratio x h - 2, top + 3 to top + h - 1.
        const float centre = (cell.Bounds.Left + cell.Bounds.Right) * 0.5f;
        const platform::TRectF dot{centre - textHeight + 2.0f, cell.Bounds.Top + 3.0f,
                                   centre - textHeight + fScreenHeightRatio * h - 2.0f,
                                   cell.Bounds.Top + 1.0f + h - 2.0f};
        widgets::SetLine(canvas, cell.Text == "1" ? claGraphicPalette[1] : claGraphicPalette[0]);
        canvas.FillEllipse(dot.Offset(LeftOffset_, TopOffset_), 1.0f);
        continue;
      }
      const std::string text = ShownText(c, row);
      const bool grey = text == "-" || unranked;
      write(rectOf(c, row), text, grey ? kWidgetGridColour : cell.Colour, cell.Bold != 0 && text != "-",
            cell.Alignment);
    }
  }

  // Closing row: the name and the value columns.
  for (int c = 0; c < visible; ++c) {
    if (c == 1 || IsFlagColumn(c)) continue;
    const TTableCell& cell = at(c, kClosingRow);
    const std::string text = ShownText(c, kClosingRow);
    write(rectOf(c, kClosingRow), text, text == "-" ? kWidgetGridColour : cell.Colour, cell.Bold != 0 && text != "-",
          cell.Alignment);
  }
}
