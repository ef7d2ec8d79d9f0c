#pragma once
// The label/value table of every result page, in two forms: the parameters
// that produced a run (parameter form) and the performance figures of the
// model portfolio against its index and the risk-free asset (statistics
// form). It computes nothing: it writes the fields of one record as texts,
// sizes its columns from gauge texts and centres itself in the given area.

#include <cstdint>
#include <vector>

#include "platform/Canvas.h"
#include "portfolio/PortfolioPerformance.h"
#include "widgets/WidgetCommon.h"

class TTextTable {
 public:
  // Model kinds the pages pass.
  enum : std::int32_t {
    kMYGP = 0,
    kEQGP = 1,
    kEQQV = 2,
    kEQBL = 3,
    kEQSL = 4,
    kFIGP = 5,
    kFISL = 6,
    kFIGF = 7,
    kFICY = 8,
  };

  std::int32_t TableKind = 0;  // 1 parameter form, 0 statistics form
  std::int32_t ModelKind = 0;
  bool IsTotal = false;  // false: the per-country form of the EQBL and EQQV pages
  bool HasData = false;  // false: Draw writes "No Data"
  float Left = 0.0f;
  float Top = 0.0f;
  float Width = 0.0f;
  float Height = 0.0f;
  // Column 0 holds the labels; every column has the same number of rows.
  std::vector<std::vector<TTableCell>> Columns;

  // Parameter form: shape by model kind and form (20, 14 or 9 rows), then the texts.
  void SetParameters(const TSeriesInfo& record, std::int32_t modelKind, bool isTotal);
  // Rewrites the texts of the existing shape (another country's record).
  void BuildParameterRows(const TSeriesInfo& record);
  // Statistics form: 7 columns x 18 rows per country, 6 x 12 in total.
  void SetStatistics(const TPerformanceStatistics& record, std::int32_t modelKind, bool isTotal);
  void BuildStatisticsRows(const TPerformanceStatistics& record);

  // Column edges, alignments, styles, colours; the table centred in the area.
  void Layout(platform::Canvas& canvas, float left, float top, float width, float height);
  // The cells, or "No Data" centred in paintWidth over the table's row band.
  void Draw(platform::Canvas& canvas, float paintWidth) const;

 private:
  std::size_t RowCount() const { return Columns.empty() ? 0 : Columns.front().size(); }
  void SetText(std::size_t column, std::size_t row, std::string text);
  void CreateColumns(std::size_t columns, std::size_t rows);
  void LayoutParameters(platform::Canvas& canvas, float left, float width);
  void LayoutStatistics(platform::Canvas& canvas, float left, float width);
  // Statistics form: the cell whose right edge the layout moved left by " %".
  bool IsShiftedCell(std::size_t column, std::size_t row) const;
  // Statistics form, per country: the label rows followed by a condition dot.
  bool IsMarkerCell(std::size_t column, std::size_t row) const;
};
