// Signal rows and position rows of the timing models, all on one date grid:
// the dates of the earliest-starting "QVSIGNAL" series, cut at EndDate.
// -1.0 marks a grid date without signal (signal rows, and every date of a
// country that takes no part in a position table); -2.0 marks, in the
// position rows, a grid date before the first point of the series.

#include <cstddef>
#include <string>
#include <vector>

#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/SeriesHelpers.h"
#include "models/equity/TimingModel.h"
#include "portfolio/ModelError.h"

namespace models {

namespace {

constexpr double kNoDataYet = -2.0;
constexpr std::size_t kSeparatorRow = 1;  // EQQV: the row between the signal and the rule rows

std::ptrdiff_t Pos(std::size_t i) { return static_cast<std::ptrdiff_t>(i); }

// The signal date grid of the run's countries cut at EndDate, every value
// -1.0. A run without a grid point on or before EndDate cannot place its
// signals: model failure.
TSeries SignalGrid(const TEQBLGraphicData& result) {
  TSeries grid = GetSignalDateGrid(result.Countries);
  if (grid.empty()) throw EModelError("no \"QVSIGNAL\" series: the signal date grid is empty");
  grid = SliceSeries(grid, grid.front().Date, result.EndDate);
  if (grid.empty()) throw EModelError("the signal date grid starts after the end date");
  return grid;  // GetSignalDateGrid already holds -1.0 on every date
}

// Position of the model's signal among the first country's signal assets
// (the last match, 0 when none); used for every country.
std::size_t SignalPosition(TTimingKind kind, const TEQBLGraphicData& result) {
  if (result.Countries.empty()) throw EModelError("the country list is empty");
  return FindAssetPosition(result.Countries.front().SignalAssets, TimingValues(kind).SignalKey);
}

const TAssetSeries& SignalAsset(const TCountry& country, std::size_t k) {
  return ModelAt(country.SignalAssets, Pos(k), "signal assets");
}

// target := the grid points before the series' first date, then the series,
// cut to [first grid date, EndDate]; `joined` is work space.
void PlaceOnGrid(TSeries& target, const TSeries& grid, const TSeries& series, double endDate, TSeries& joined) {
  PrependSeriesInto(joined, grid, series);
  SliceSeriesInto(target, joined, grid.front().Date, endDate);
}

// Element i of rows, appended when the rows end before it (the rows of an
// earlier run are rewritten in place; the caller drops the surplus).
template <class T>
T& Slot(std::vector<T>& rows, std::size_t i) {
  if (i == rows.size()) rows.emplace_back();
  return rows[i];
}

// The country's labels and flag on a row whose series the caller writes.
TLabelledSeries& CountryRow(TLabelledSeries& row, const TCountry& country, bool selected = false) {
  row.Labels.resize(2);
  row.Labels[0] = country.Name;
  row.Labels[1] = country.RegionName;
  row.Selected = selected;
  return row;
}

}  // namespace

void LoadTimingSignals(TTimingKind kind, TEQBLGraphicData& result) {
  const TSeries grid = SignalGrid(result);
  const std::size_t k = SignalPosition(kind, result);
  const std::size_t n = result.Countries.size();

  TSeries joined;
  std::size_t developed = 0;
  std::size_t emerging = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const TCountry& country = result.Countries[i];
    TLabelledSeries& row = CountryRow(Slot(result.Rows1, i), country);
    PlaceOnGrid(row.Series, grid, SignalAsset(country, k).Series, result.EndDate, joined);
    TLabelledSeries& copy = country.IsDevelopped ? Slot(result.Rows2, developed++) : Slot(result.Rows3, emerging++);
    CountryRow(copy, country);
    AssignSeries(copy.Series, row.Series);
  }
  result.Rows1.resize(n);
  result.Rows2.resize(developed);
  result.Rows3.resize(emerging);

  for (std::size_t i = 0; i < n; ++i) {
    const TCountry& country = result.Countries[i];
    const TSeries& signal = result.Rows1[i].Series;
    TLabelledSeries& last = CountryRow(Slot(result.Rows4, i), country);
    last.Series.assign(signal.end() - (signal.empty() ? 0 : 1), signal.end());
    TLabelledSeries& estimate = CountryRow(Slot(result.Rows5, i), country);
    estimate.Series.assign(1, ModelAt(result.Values1, Pos(i), "estimated signals"));
  }
  result.Rows4.resize(n);
  result.Rows5.resize(n);
}

void ComputeTimingPositions(TTimingKind kind, TEQBLGraphicData& result) {
  const TSeries grid = SignalGrid(result);
  TSeries noData = grid;
  for (TDataPoint& point : noData) point.Value = kNoDataYet;
  const std::size_t k = SignalPosition(kind, result);
  const bool withRules = kind == TTimingKind::EQQV;

  TSeries joined;
  const auto titledRow = [&](std::vector<TLabelledSeries>& rows, std::size_t j, const TAssetSeries& asset) {
    TLabelledSeries& row = Slot(rows, j);
    row.Labels.assign(1, asset.Title);
    row.Selected = false;
    PlaceOnGrid(row.Series, noData, asset.Series, result.EndDate, joined);
  };
  for (std::size_t i = 0; i < result.Countries.size(); ++i) {
    const TCountry& country = result.Countries[i];
    TCountryModelData& data = ModelAt(result.CountryData, Pos(i), "country data");
    data.Name = country.Name;
    std::size_t rows = 0;
    titledRow(data.Rows, rows++, SignalAsset(country, k));
    if (withRules) {
      TLabelledSeries& separator = Slot(data.Rows, rows++);
      separator.Labels.assign(1, std::string());
      separator.Selected = false;
      AssignSeries(separator.Series, grid);
      for (const TAssetSeries& rule : country.RuleAssets) titledRow(data.Rows, rows++, rule);
    }
    data.Rows.resize(rows);
  }

  // One table per row kind of the first country (EQQV: not the separator).
  // A country takes part when its row of the shared settings carries a
  // positive equity weight; otherwise its row is the -1.0 grid.
  if (result.CountryData.empty()) result.GroupRows.clear();
  const std::size_t rowKinds = ModelAt(result.CountryData, 0, "country data").Rows.size();
  std::size_t tables = 0;
  for (std::size_t j = 0; j < rowKinds; ++j) {
    if (withRules && j == kSeparatorRow) continue;
    TPositionTable& table = Slot(result.GroupRows, tables++);
    std::size_t developed = 0;
    std::size_t emerging = 0;
    for (std::size_t i = 0; i < result.Countries.size(); ++i) {
      const TCountry& country = result.Countries[i];
      const bool selected =
          ModelAt(usMyExternUserSettings.CountrySettings, Pos(i), "shared country settings").EqWeight > 0.0;
      const TSeries& series = selected ? ModelAt(result.CountryData[i].Rows, Pos(j), "position rows").Series : grid;
      TLabelledSeries& row = CountryRow(Slot(table.AllRows, i), country, selected);
      AssignSeries(row.Series, series);
      TLabelledSeries& copy = CountryRow(
          country.IsDevelopped ? Slot(table.DevelopedRows, developed++) : Slot(table.EmergingRows, emerging++), country,
          selected);
      AssignSeries(copy.Series, series);
    }
    table.AllRows.resize(result.Countries.size());
    table.DevelopedRows.resize(developed);
    table.EmergingRows.resize(emerging);
  }
  result.GroupRows.resize(tables);
}

}  // namespace models
