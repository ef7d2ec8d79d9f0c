#include "models/global/ModelCalculation.h"

#include <algorithm>
#include <exception>
#include <memory>

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

namespace {

// One progress call of a model run on another thread, with the model's stage
// counter at the call.
struct TProgressCall {
  bool Pump;  // ProcessMessages, else SetText(Text)
  std::string Text;
  std::uint32_t Step;
};

// A model run on a worker thread of the calculation, on a copy of its record
// (read from the exported record when the run starts). Its progress calls are
// kept in order; Finish, on the calculating thread, waits for the run, passes
// its calls to the calculation's sink as the model made them and moves the
// copy into the exported record (as far as the model came when it failed; a
// progress call that throws leaves the record as it was).
class TModelRun : public platform::ProgressSink {
 public:
  template <class Entry, class Record>
  TModelRun(Entry entry, Record& record, const std::vector<TCountry>& working, bool intraMonth) {
    auto own = std::make_shared<Record>();
    Commit_ = [own, &record] { record = std::move(*own); };
    Run_ = std::make_unique<TSideRun>([this, entry, own, &record, &working, intraMonth] {
      *own = record;
      entry(own.get(), working, usMyExternUserSettings, 0u, intraMonth, ErrorText_, *this, Step_);
    });
  }

  void SetText(const std::string& text) override { Calls_.push_back({false, text, Step_}); }
  void ProcessMessages() override { Calls_.push_back({true, {}, Step_}); }

  // Replays the run on `progress`, `step` following the model's counter as
  // it would in a run on this thread, and commits the record; throws what
  // the model or a progress call threw, `step` at the stage it was thrown.
  void Finish(platform::ProgressSink& progress, std::string& errorText, std::uint32_t& step) {
    std::exception_ptr failure;
    try {
      Run_->Join();
    } catch (...) {
      failure = std::current_exception();
    }
    for (const TProgressCall& call : Calls_) {
      step = call.Step;
      if (call.Pump)
        progress.ProcessMessages();
      else
        progress.SetText(call.Text);
    }
    if (!Calls_.empty() || Step_ != 0) step = Step_;
    if (!ErrorText_.empty()) errorText = ErrorText_;
    // A model that failed leaves its record as far as it came, as on this thread.
    Commit_();
    if (failure) std::rethrow_exception(failure);
  }

 private:
  std::uint32_t Step_ = 0;
  std::string ErrorText_;
  std::vector<TProgressCall> Calls_;
  std::function<void()> Commit_;
  std::unique_ptr<TSideRun> Run_;  // last: ended before the members it writes
};

}  // namespace

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
  const auto announce = [&] {
    ++result.ModelNumber;
    if (beforeModel) beforeModel(result.ModelNumber);
  };
  const auto run = [&](auto entry, auto& record) {
    announce();
    entry(&record, working, usMyExternUserSettings, 0u, intraMonth, result.ErrorText, progress, result.ModelStep);
  };
  try {
    // EQQV to FICY read neither each other's records nor EQSL's: they run on
    // worker threads while EQSL runs here, and pass on their progress and
    // results in the binding order. FIGP reads FISL and FICY, MYGP reads the
    // records before it: both run here after them.
    std::array<std::unique_ptr<TModelRun>, 6> side{
        std::make_unique<TModelRun>(&ComputeEQQVModel, cMyExternEQQVGraphicData, working, intraMonth),
        std::make_unique<TModelRun>(&ComputeEQBLModel, cMyExternEQBLGraphicData, working, intraMonth),
        std::make_unique<TModelRun>(&ComputeEQGPModel, cMyExternEQGPGraphicData, working, intraMonth),
        std::make_unique<TModelRun>(&ComputeFISLModel, cMyExternFISLGraphicData, working, intraMonth),
        std::make_unique<TModelRun>(&ComputeFIGFModel, cMyExternFIGFGraphicData, working, intraMonth),
        std::make_unique<TModelRun>(&ComputeFICYModel, cMyExternFICYGraphicData, working, intraMonth)};
    run(&ComputeEQSLModel, cMyExternEQSLGraphicData);
    for (const std::unique_ptr<TModelRun>& model : side) {
      announce();
      model->Finish(progress, result.ErrorText, result.ModelStep);
    }
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
