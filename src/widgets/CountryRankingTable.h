#pragma once
// The allocation ranking of the global models: one head row per region with
// a row per country under it, then the closing total row. Equity mode shows
// name, rank, two allocation columns, FX hedging and the Macro, Competition
// and Behavior flags as dots; bond mode shows name, rank, model and benchmark
// allocation, fixed-rate and inflation-linked shares, FX hedging and the
// Competition flag. A view shows either 16 body rows from ScrollPosition on
// or the region rows only.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "portfolio/EquityResultRecords.h"
#include "widgets/WidgetCommon.h"

class TCountryRankingTable {
 public:
  static constexpr int kColumnCount = 8;
  static constexpr int kRowCount = 50;       // cells per column
  static constexpr int kFirstBodyRow = 3;    // rows 0-1 headers, row 2 empty
  static constexpr int kLastBodyRow = 48;    // 46 body rows at most
  static constexpr int kClosingRow = 49;     // the total row
  static constexpr int kShownBodyRows = 16;  // body rows of the full view

  // Copies the rows: every row but the last fills the body (head row, then its
  // country items), the last is the closing row. Resets ScrollPosition to 0.
  // The legend is kept: the page appends its region items after this call.
  void SetData(const std::vector<TRegionAllocationRow>& rows, bool equityMode, const std::string& title1,
               const std::string& title2);
  // Text size 16/15, smaller where the columns with their gaps would not fit
  // the width; the drawn table (header cells included) stays inside the area.
  void Layout(platform::Canvas& canvas, float left, float top, float width, float height, bool regionsOnly);
  void Draw(platform::Canvas& canvas, bool regionsOnly) const;

  // The first body row of the full view (written by the main window's track
  // bar), clamped to 0 .. body rows - 16; a new Layout shows it.
  void SetScrollPosition(std::int32_t position);
  std::int32_t ScrollPosition() const { return FirstBodyRow_; }
  std::int32_t MaxScrollPosition() const;
  // Drawn table: left, top, width, height, 0, 0.
  TViewArea ViewArea() const;

  // Region legend (label 0 a region name, its colour); head rows take the
  // colour of the last item named like them.
  std::vector<TLegendItem> Legend;
  // Left edge of the drawn table, set by Layout (the track bar hangs beside it).
  float TrackBarAnchorX = 0.0f;

  const std::vector<std::vector<TTableCell>>& Columns() const { return Columns_; }
  const std::vector<std::uint32_t>& ChildCounts() const { return ChildCounts_; }
  bool EquityMode() const { return EquityMode_; }
  float LeftOffset() const { return LeftOffset_; }
  float TopOffset() const { return TopOffset_; }
  float TotalWidth() const { return TotalWidth_; }
  float TotalHeight() const { return TotalHeight_; }

 private:
  enum TRowKind : std::uint8_t { rkEmpty = 0, rkHead = 1, rkCountry = 2 };
  // Column widths, the gap between columns and their sum (widths + gaps).
  struct TColumnGauges {
    std::array<float, kColumnCount> Widths{};
    float Gap = 0.0f;
    float Total = 0.0f;
  };

  // The columns' gauges in regular type of the given size (sets the canvas font).
  TColumnGauges MeasureColumns(platform::Canvas& canvas, float size) const;
  void BuildRows(const std::vector<TRegionAllocationRow>& rows, const std::string& title1, const std::string& title2);
  void SetNumber(int column, int row, double value);
  void SetRank(int column, int row, std::int32_t rank, bool head);
  void SetFlag(int column, int row, bool on);
  int LastValueColumn() const { return EquityMode_ ? 4 : 6; }
  bool IsFlagColumn(int column) const { return EquityMode_ ? column >= 5 : column == 7; }
  bool IsValueColumn(int column) const { return column >= 2 && column <= LastValueColumn(); }
  int VisibleColumns(bool regionsOnly) const;
  std::string ShownText(int column, int row) const;
  TAlphaColor HeadColour(const std::string& name) const;

  std::vector<std::vector<TTableCell>> Columns_;
  std::vector<std::uint32_t> ChildCounts_;
  bool EquityMode_ = false;
  float LeftOffset_ = 0.0f;
  float TopOffset_ = 0.0f;
  float TotalWidth_ = 0.0f;
  float TotalHeight_ = 0.0f;
  float FontSize_ = 16.0f;  // type of the last Layout

  std::vector<std::uint8_t> RowKinds_;  // per row of the 50
  std::int32_t FirstBodyRow_ = 0;       // scroll position of the full view
  std::int32_t BodyRows_ = 0;           // body rows filled from row 3 on
  // Rows Layout placed: [ShownFirst_, ShownLast_]; Draw uses the same.
  std::int32_t ShownFirst_ = 0;
  std::int32_t ShownLast_ = -1;
  float AreaLeft_ = 0.0f;
  float AreaTop_ = 0.0f;
};
