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

// The grid points before the series' first date, then the series, cut to
// [first grid date, EndDate].
TSeries OnGrid(const TSeries& grid, const TSeries& series, double endDate) {
  return SliceSeries(PrependSeries(grid, series), grid.front().Date, endDate);
}

TLabelledSeries CountryRow(const TCountry& country, TSeries series) {
  TLabelledSeries row;
  row.Labels = {country.Name, country.RegionName};
  row.Series = std::move(series);
  return row;
}

}  // namespace

void LoadTimingSignals(TTimingKind kind, TEQBLGraphicData& result) {
  const TSeries grid = SignalGrid(result);
  const std::size_t k = SignalPosition(kind, result);

  result.Rows1.clear();
  result.Rows2.clear();
  result.Rows3.clear();
  for (const TCountry& country : result.Countries) {
    TLabelledSeries row = CountryRow(country, OnGrid(grid, SignalAsset(country, k).Series, result.EndDate));
    (country.IsDevelopped ? result.Rows2 : result.Rows3).push_back(row);
    result.Rows1.push_back(std::move(row));
  }

  result.Rows4.clear();
  result.Rows5.clear();
  for (std::size_t i = 0; i < result.Countries.size(); ++i) {
    const TCountry& country = result.Countries[i];
    const TSeries& signal = result.Rows1[i].Series;
    result.Rows4.push_back(CountryRow(country, signal.empty() ? TSeries{} : TSeries{signal.back()}));
    result.Rows5.push_back(CountryRow(country, {ModelAt(result.Values1, Pos(i), "estimated signals")}));
  }
}

void ComputeTimingPositions(TTimingKind kind, TEQBLGraphicData& result) {
  const TSeries grid = SignalGrid(result);
  TSeries noData = grid;
  for (TDataPoint& point : noData) point.Value = kNoDataYet;
  const std::size_t k = SignalPosition(kind, result);
  const bool withRules = kind == TTimingKind::EQQV;

  for (std::size_t i = 0; i < result.Countries.size(); ++i) {
    const TCountry& country = result.Countries[i];
    TCountryModelData& data = ModelAt(result.CountryData, Pos(i), "country data");
    data.Name = country.Name;
    data.Rows.clear();
    const TAssetSeries& signal = SignalAsset(country, k);
    data.Rows.push_back({{signal.Title}, OnGrid(noData, signal.Series, result.EndDate), false});
    if (!withRules) continue;
    data.Rows.push_back({std::vector<std::string>{std::string()}, grid, false});
    for (const TAssetSeries& rule : country.RuleAssets)
      data.Rows.push_back({{rule.Title}, OnGrid(noData, rule.Series, result.EndDate), false});
  }

  // One table per row kind of the first country (EQQV: not the separator).
  // A country takes part when its row of the shared settings carries a
  // positive equity weight; otherwise its row is the -1.0 grid.
  result.GroupRows.clear();
  const std::size_t rowKinds = ModelAt(result.CountryData, 0, "country data").Rows.size();
  for (std::size_t j = 0; j < rowKinds; ++j) {
    if (withRules && j == kSeparatorRow) continue;
    TPositionTable table;
    for (std::size_t i = 0; i < result.Countries.size(); ++i) {
      const TCountry& country = result.Countries[i];
      const bool selected =
          ModelAt(usMyExternUserSettings.CountrySettings, Pos(i), "shared country settings").EqWeight > 0.0;
      TLabelledSeries row =
          CountryRow(country, selected ? ModelAt(result.CountryData[i].Rows, Pos(j), "position rows").Series : grid);
      row.Selected = selected;
      (country.IsDevelopped ? table.DevelopedRows : table.EmergingRows).push_back(row);
      table.AllRows.push_back(std::move(row));
    }
    result.GroupRows.push_back(std::move(table));
  }
}

}  // namespace models
