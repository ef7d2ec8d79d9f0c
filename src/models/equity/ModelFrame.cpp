#include "models/equity/ModelFrame.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <future>
#include <system_error>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "common/TextHelpers.h"
#include "platform/DateTime.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioCurrency.h"

namespace models {

std::string ModelFailureText(const std::string& code, std::uint32_t step) {
  return code + " Failed (Step " + std::to_string(step) + ")";
}

std::string ProgressText(std::uint32_t step) {
  return std::to_string(static_cast<int>(static_cast<double>(step) / 9.0 * 100.0)) + "%";
}

void TStageCounter::Start(std::uint32_t value) {
  Step_ = value;
  Show();
}

void TStageCounter::Next() {
  ++Step_;
  Show();
}

void TStageCounter::Show() {
  Progress_.SetText(ProgressText(Step_));
  Progress_.ProcessMessages();
}

std::size_t KeyAssetPosition(const std::vector<TCountry>& countries, const char* id, int type) {
  if (countries.empty()) throw EModelError("the country list is empty");
  const std::vector<TAssetSeries>* assets = AssetsOfType(countries.front(), type);
  if (assets == nullptr || assets->empty())
    throw EModelError(std::string("the first country has no asset of type ") + std::to_string(type));
  return FindAssetPosition(*assets, id);
}

TRunWindow BaseRunWindow(const std::vector<TCountry>& countries, const TUserSettings& settings, bool intraMonth,
                         const char* keyId, int keyType) {
  const std::size_t key = KeyAssetPosition(countries, keyId, keyType);
  const TAssetSeries& asset = AssetsOfType(countries.front(), keyType)->at(key);
  TRunWindow window;
  window.StartDate = settings.InceptionDate;
  window.EndDate = intraMonth ? GetEndOfMonth(asset.FirstDailyPoint.Date) : settings.EndDate;
  return window;
}

double ShiftedStartDate(const std::vector<TCountry>& countries, double start, TStartShift shift,
                        std::uint32_t frequency) {
  if (shift == TStartShift::None || !std::isfinite(start)) return start;
  double candidate = 0.0;
  if (shift == TStartShift::OnePeriodEarlier) {
    candidate = GetPreviousPeriodDate(start, static_cast<int>(frequency));
  } else {
    const platform::CivilDate d = platform::DecodeDate(start);
    if (d.Year < 2) return start;
    candidate = platform::EncodeDate(d.Year - 1, d.Month, 1);
    if (shift == TStartShift::LastDayYearEarlier) candidate = GetEndOfMonth(candidate);
  }
  const TSeries grid = GetSignalDateGrid(countries);
  if (!grid.empty() && !(candidate < grid.front().Date)) return candidate;
  return start;
}

std::vector<TCountry> CutCountryList(const std::vector<TCountry>& countries, double from, double to) {
  std::vector<TCountry> cut;
  CutCountryListInto(cut, countries, from, to);
  return cut;
}

void CutCountryListInto(std::vector<TCountry>& target, const std::vector<TCountry>& countries, double from, double to) {
  CopyCountryList(target, countries,
                  [from, to](TSeries& cut, const TSeries& series) { SliceSeriesInto(cut, series, from, to); });
}

namespace {

thread_local TCalculationCuts* tCurrentCuts = nullptr;

// Calls visit(asset series) for every series of the list in list order.
template <class TVisit>
void ForEachSeries(const std::vector<TCountry>& countries, TVisit visit) {
  for (const TCountry& country : countries)
    for (int type = atIndex; type <= atSpotFx; ++type)
      for (const TAssetSeries& asset : *AssetsOfType(country, type)) visit(asset.Series);
}

}  // namespace

TCalculationCuts::TCalculationCuts(const std::vector<TCountry>& source, TSharedCountryList whole)
    : Source_(source),
      Whole_(&whole.List() == &source ? std::move(whole) : TSharedCountryList()),
      Outer_(tCurrentCuts) {
  tCurrentCuts = this;
}

TCalculationCuts::~TCalculationCuts() { tCurrentCuts = Outer_; }

TCalculationCuts* TCalculationCuts::Of(const std::vector<TCountry>& countries) {
  for (TCalculationCuts* cuts = tCurrentCuts; cuts != nullptr; cuts = cuts->Outer_)
    if (&cuts->Source_ == &countries) return cuts;
  return nullptr;
}

TSharedCountryList TCalculationCuts::Cut(double from, double to) {
  const std::lock_guard<std::mutex> hold(Lock_);
  if (Ascending_.empty())
    ForEachSeries(Source_, [&](const TSeries& series) { Ascending_.push_back(IsAscendingRun(series) ? 1 : 0); });
  // The positions kept of each series: one run of an ascending series when
  // from <= to (AscendingRunInRange), else the window decides alone.
  TCut cut{from, to, {}, !(from <= to), {}};
  cut.Runs.reserve(Ascending_.size());
  bool whole = from <= to;
  std::size_t k = 0;
  ForEachSeries(Source_, [&](const TSeries& series) {
    if (Ascending_[k++] == 0 || !(from <= to)) {
      cut.Exact = true;
      cut.Runs.emplace_back(0, 0);
      whole = false;
      return;
    }
    const auto first =
        std::lower_bound(series.begin(), series.end(), from, [](const TDataPoint& p, double d) { return p.Date < d; });
    const auto last =
        std::upper_bound(first, series.end(), to, [](double d, const TDataPoint& p) { return d < p.Date; });
    cut.Runs.emplace_back(static_cast<std::size_t>(first - series.begin()),
                          static_cast<std::size_t>(last - series.begin()));
    whole = whole && cut.Runs.back().first == 0 && cut.Runs.back().second == series.size();
  });
  for (const TCut& earlier : Cuts_) {
    const bool same = cut.Exact || earlier.Exact
                          ? earlier.From == from && earlier.To == to && cut.Exact == earlier.Exact
                          : earlier.Runs == cut.Runs;
    if (same) return earlier.List;
  }
  if (whole && !Whole_.empty()) {
    cut.List = Whole_;
  } else {
    k = 0;
    CopyCountryList(cut.List.Rewrite(), Source_, [&](TSeries& target, const TSeries& series) {
      const std::pair<std::size_t, std::size_t> run = cut.Runs[k];
      if (Ascending_[k++] == 0 || !(from <= to)) {
        SliceSeriesInto(target, series, from, to);
        return;
      }
      target.assign(series.begin() + static_cast<std::ptrdiff_t>(run.first),
                    series.begin() + static_cast<std::ptrdiff_t>(run.second));
    });
  }
  Cuts_.push_back(std::move(cut));
  return Cuts_.back().List;
}

TSideRun::TSideRun(std::function<void()> work) : Work_(std::move(work)) {
  TCalculationCuts* const cuts = tCurrentCuts;
  const auto run = [this, cuts] {
    struct TScope {
      TCalculationCuts* Previous = tCurrentCuts;
      ~TScope() { tCurrentCuts = Previous; }
    } scope;
    tCurrentCuts = cuts;
    Work_();
  };
  try {
    Done_ = std::async(std::launch::async, run);
  } catch (const std::system_error&) {
    Done_ = std::async(std::launch::deferred, run);
  }
}

TSideRun::~TSideRun() {
  if (Done_.valid()) Done_.wait();
}

void TSideRun::Join() { Done_.get(); }

void RunSideBySide(const std::function<void()>& first, const std::function<void()>& second) {
  TSideRun other(second);
  std::exception_ptr failure;
  try {
    first();
  } catch (...) {
    failure = std::current_exception();
  }
  if (!failure) return other.Join();
  try {
    other.Join();
  } catch (...) {  // the earlier failure is the one thrown
  }
  std::rethrow_exception(failure);
}

void RunSideBySide(const std::function<void()>& first, const std::function<void()>& second,
                   const std::function<void()>& third) {
  RunSideBySide(first, [&] { RunSideBySide(second, third); });
}

void CutCountriesInPlace(std::vector<TCountry>& countries, double from, double to) {
  for (TCountry& country : countries)
    for (int type = atIndex; type <= atSpotFx; ++type)
      for (TAssetSeries& asset : *AssetsOfType(country, type)) CutSeriesInPlace(asset.Series, from, to);
}

TSeries PortfolioCashReturns(const std::vector<TCountry>& countries, const std::string& portfolioCcy) {
  const int c = FindCountryIndex(portfolioCcy, false);
  if (c < 0 || static_cast<std::size_t>(c) >= countries.size()) return {};
  const TAssetSeries* cash = FirstCashAsset(countries[static_cast<std::size_t>(c)]);
  return cash != nullptr ? ComputeReturns(cash->Series, 0.0) : TSeries{};
}

std::string ShortRiskFreeTitle(const std::string& title) {
  if (title == "10Y Gov Bond") return "10Y Bond";
  if (title == "2Y Gov Bond") return "2Y Bond";
  return title;
}

int RegionIndex(const std::string& regionName) {
  for (std::size_t r = 0; r < strRegionNameList.size(); ++r)
    if (strRegionNameList[r] == regionName) return static_cast<int>(r);
  return -1;
}

std::vector<TRegionItem> BuildCountryShareRows(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                               const std::vector<TShareItem>& shares,
                                               const TParticipation& participation) {
  std::vector<TRegionItem> rows;
  rows.reserve(countries.size());
  for (std::size_t i = 0; i < countries.size(); ++i) {
    TRegionItem row;
    row.Name = countries[i].Name;
    row.RegionName = countries[i].RegionName;
    row.State = -1;
    row.Flag = -1;
    const TCountrySettings& own = ModelAt(settings.CountrySettings, static_cast<std::ptrdiff_t>(i), "country settings");
    row.Excluded = own.*participation.Weight == 0.0 ? 2 : participation.TakesPart;
    rows.push_back(std::move(row));
  }
  std::array<double, 6> sums{};
  for (const TShareItem& item : shares) {
    for (TRegionItem& row : rows) {
      if (row.Name != item.Label) continue;
      row.Value = item.Value;
      row.State = item.State;
      const int region = RegionIndex(row.RegionName);
      if (region >= 0) sums[static_cast<std::size_t>(region)] += row.Value;
    }
  }
  for (TRegionItem& row : rows) {
    const int region = RegionIndex(row.RegionName);
    row.RegionColor = region >= 0 ? sums[static_cast<std::size_t>(region)] : 0.0;
    if (row.RegionColor != 0.0) row.Flag = 0;
  }
  return rows;
}

}  // namespace models
