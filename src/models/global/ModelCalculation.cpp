#include "models/global/ModelCalculation.h"

#include <algorithm>

#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/SeriesHelpers.h"
#include "models/equity/EQGPModel.h"
#include "models/equity/EQSLModel.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/TimingModel.h"
#include "models/global/FICYModel.h"
#include "models/global/FIGFModel.h"
#include "models/global/FIGPModel.h"
#include "models/global/FISLModel.h"
#include "models/global/MYGPModel.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"

namespace models {

const std::array<const char*, 9> kModelCodes{"EQSL", "EQQV", "EQBL", "EQGP", "FISL",
                                              "FIGF", "FICY", "FIGP", "MYGP"};

std::vector<TCountry> PrepareWorkingList(const std::vector<TCountry>& countries, bool intraMonth) {
  std::vector<TCountry> list = countries;
  if (list.empty()) return list;
  const std::vector<TAssetSeries>& firstSignals = list.front().SignalAssets;
  const std::size_t qv = FindAssetPosition(firstSignals, "QVSIGNAL", 0);
  const std::size_t bl = FindAssetPosition(firstSignals, "BLSIGNAL", 1);
  for (TCountry& country : list) {
    if (qv < country.SignalAssets.size() && bl < country.SignalAssets.size()) {
      TSeries& q = country.SignalAssets[qv].Series;
      TSeries& b = country.SignalAssets[bl].Series;
      const auto range = GetCommonDateRange(q, b);
      if (range[0] != range[1]) {
        q = SliceSeries(q, range[0], range[1]);
        b = SliceSeries(b, range[0], range[1]);
      }
    }
    if (intraMonth) AppendIntraMonthPoints(country);
  }
  return list;
}

bool WorkingListIsTheList(const std::vector<TCountry>& countries, bool intraMonth) {
  if (countries.empty()) return true;
  const std::vector<TAssetSeries>& firstSignals = countries.front().SignalAssets;
  const std::size_t qv = FindAssetPosition(firstSignals, "QVSIGNAL", 0);
  const std::size_t bl = FindAssetPosition(firstSignals, "BLSIGNAL", 1);
  // A cut keeps a series as it is when every point lies in the range.
  const auto keptWhole = [](const TSeries& s, double from, double to) {
    return std::all_of(s.begin(), s.end(), [from, to](const TDataPoint& p) { return from <= p.Date && p.Date <= to; });
  };
  for (const TCountry& country : countries) {
    if (qv < country.SignalAssets.size() && bl < country.SignalAssets.size()) {
      const TSeries& q = country.SignalAssets[qv].Series;
      const TSeries& b = country.SignalAssets[bl].Series;
      const auto range = GetCommonDateRange(q, b);
      if (range[0] != range[1] && !(keptWhole(q, range[0], range[1]) && keptWhole(b, range[0], range[1]))) return false;
    }
    if (!intraMonth) continue;
    for (int type = atIndex; type <= atSpotFx; ++type)
      for (const TAssetSeries& asset : *AssetsOfType(country, type)) {
        const TDataPoint& point = asset.FirstDailyPoint;
        if (point.Value != kNoFigure && (asset.Series.empty() || asset.Series.back().Date < point.Date)) return false;
      }
  }
  return true;
}

void AppendIntraMonthPoints(TCountry& country) {
  for (int type = atIndex; type <= atSpotFx; ++type)
    for (TAssetSeries& asset : *AssetsOfType(country, type)) {
      const TDataPoint& point = asset.FirstDailyPoint;
      // A point that the series already covers, or one without a value, is not appended.
      if (point.Value == kNoFigure) continue;
      if (!asset.Series.empty() && !(asset.Series.back().Date < point.Date)) continue;
      asset.Series.push_back(point);
    }
}

TModelCalculationResult CalculateModels(bool intraMonth, platform::ProgressSink& progress,
                                        const std::function<void(std::uint32_t)>& beforeModel) {
  TModelCalculationResult result;
  // The list itself when its preparation would change nothing, else the
  // prepared copy. The records, evaluators and baskets share the cuts of it
  // that keep the same points (a cut that keeps every point of the prepared
  // copy is that copy).
  const bool asIs = WorkingListIsTheList(vcMyExternCountryList, intraMonth);
  const TSharedCountryList prepared =
      asIs ? TSharedCountryList() : TSharedCountryList(PrepareWorkingList(vcMyExternCountryList, intraMonth));
  const std::vector<TCountry>& working = asIs ? vcMyExternCountryList : prepared.List();
  TCalculationCuts cuts(working, prepared);
  auto run = [&](auto entry, auto& record) {
    ++result.ModelNumber;
    if (beforeModel) beforeModel(result.ModelNumber);
    entry(&record, working, usMyExternUserSettings, 0u, intraMonth, result.ErrorText, progress, result.ModelStep);
  };
  try {
    run(&ComputeEQSLModel, cMyExternEQSLGraphicData);
    run(&ComputeEQQVModel, cMyExternEQQVGraphicData);
    run(&ComputeEQBLModel, cMyExternEQBLGraphicData);
    run(&ComputeEQGPModel, cMyExternEQGPGraphicData);
    run(&ComputeFISLModel, cMyExternFISLGraphicData);
    run(&ComputeFIGFModel, cMyExternFIGFGraphicData);
    run(&ComputeFICYModel, cMyExternFICYGraphicData);
    run(&ComputeFIGPModel, cMyExternFIGPGraphicData);
    run(&ComputeMYGPModel, cMyExternMYGPGraphicData);
  } catch (...) {  // any failure of a model ends the calculation at its stage
    result.FailureText = ModelFailureText(kModelCodes.at(result.ModelNumber - 1), result.ModelStep);
    return result;
  }
  ++result.ModelNumber;
  if (beforeModel) beforeModel(result.ModelNumber);
  result.Ok = true;
  return result;
}

}  // namespace models
