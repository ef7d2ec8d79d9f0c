#pragma once
// The run frame shared by every model entry: the stage counter with its
// progress text, the run window (start, end and the optional one-year start
// shift), the cut of the country list to that window, the failure text, and
// the small lookups that several models repeat (cash returns of the portfolio
// currency, short risk-free titles, country share rows by region).
//
// A model fails only by an EModelError (or another exception) leaving its
// entry; the step counter then holds the stage reached and the caller shows
// ModelFailureText(code, step).

#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "common/Records.h"
#include "common/SharedCountryList.h"
#include "platform/ProgressSink.h"
#include "portfolio/EquityResultRecords.h"

namespace models {

// Where a run starts when the one-year look-back is allowed.
enum class TStartShift {
  None,                 // the settings' inception date
  LastDayYearEarlier,   // last day of the same month one year earlier
  FirstDayYearEarlier,  // first day of the same month one year earlier
  OnePeriodEarlier,     // GetPreviousPeriodDate of the start (the first return can be formed)
};

// Frame values of one model.
struct TModelFrameValues {
  const char* Code;           // "EQBL", ...
  const char* KeyId;          // identifier of the key asset ("EQINDEX", "RISKFREEASSET1")
  int KeyAssetType;           // asset list searched in the first country (0 index, 1 risk-free)
  std::uint32_t CounterStart; // 1, 2 or 3
  TStartShift Shift;
};

// "<code> Failed (Step <step>)".
std::string ModelFailureText(const std::string& code, std::uint32_t step);

// The counter value k as text: int(k / 9.0 * 100.0) followed by "%".
std::string ProgressText(std::uint32_t step);

// The stage counter of one run: Start sets and shows the first value, Next
// raises it by one and shows it; each show is SetText then ProcessMessages.
class TStageCounter {
 public:
  TStageCounter(platform::ProgressSink& progress, std::uint32_t& step) : Progress_(progress), Step_(step) {}
  void Start(std::uint32_t value);
  void Next();
  std::uint32_t Value() const { return Step_; }

 private:
  void Show();
  platform::ProgressSink& Progress_;
  std::uint32_t& Step_;
};

// The run window of a model.
struct TRunWindow {
  double StartDate = 0.0;
  double EndDate = 0.0;
};

// Position of the last asset with `id` in the first country's list of `type`,
// 0 when none matches. Throws EModelError when the list is empty, the type is
// not 0..4 or the first country has no asset of that type.
std::size_t KeyAssetPosition(const std::vector<TCountry>& countries, const char* id, int type);

// Start := settings.InceptionDate; End := the month end of the key asset's
// intra-month date when intraMonth, else settings.EndDate. The key asset is
// read in every case (it must exist).
TRunWindow BaseRunWindow(const std::vector<TCountry>& countries, const TUserSettings& settings, bool intraMonth,
                         const char* keyId, int keyType);

// The shifted start: the candidate (year - 1, same month, day 1; its month
// end for LastDayYearEarlier; one period of `frequency` earlier for
// OnePeriodEarlier) when the signal date grid of the countries is not empty
// and begins on or before it; otherwise `start`.
double ShiftedStartDate(const std::vector<TCountry>& countries, double start, TStartShift shift,
                        std::uint32_t frequency = 0);

// A copy of the list with every series of every asset list of every country
// cut to [from, to] (SliceSeries), without copying the points outside it.
// CutCountryListInto writes that copy over `target`, whose lists and series
// keep their storage (a list cut for an earlier run is rewritten without
// allocating); CutCountriesInPlace cuts the list itself.
std::vector<TCountry> CutCountryList(const std::vector<TCountry>& countries, double from, double to);
void CutCountryListInto(std::vector<TCountry>& target, const std::vector<TCountry>& countries, double from, double to);
void CutCountriesInPlace(std::vector<TCountry>& countries, double from, double to);

// The cuts of one calculation. While a TCalculationCuts lives on a thread,
// the frames of the models run there that cut its source list take the cut
// from it: cuts that keep the same points of every series (such as windows
// whose starts differ only between two point dates) are one list, shared by
// every record, evaluator and basket that holds it, and a cut that keeps
// every point is the shared source list itself when one is given. The
// source must not change while the scope lives. Scopes nest; the innermost
// one of the source serves. Work started by a TSideRun takes the scopes of
// the thread that started it; Cut may be called from several threads at once.
class TCalculationCuts {
 public:

  // `whole`, when not empty, holds the source (whole.List() is `source`).
  explicit TCalculationCuts(const std::vector<TCountry>& source, TSharedCountryList whole = {});
  ~TCalculationCuts();
  TCalculationCuts(const TCalculationCuts&) = delete;
  TCalculationCuts& operator=(const TCalculationCuts&) = delete;

  // The source cut to [from, to] (every series through SliceSeries).
  TSharedCountryList Cut(double from, double to);

  // The innermost scope on this thread whose source is `countries`; nullptr when none.
  static TCalculationCuts* Of(const std::vector<TCountry>& countries);

 private:
  // Positions [first, last) kept of each series in list order (countries,
  // asset types, assets); a series whose dates do not ascend gives its own
  // entry, which only the same window repeats.
  using TRuns = std::vector<std::pair<std::size_t, std::size_t>>;
  struct TCut {
    double From;
    double To;
    TRuns Runs;
    bool Exact;  // a series does not ascend: shared only by the same window
    TSharedCountryList List;
  };
  const std::vector<TCountry>& Source_;
  TSharedCountryList Whole_;
  std::vector<char> Ascending_;  // per series in list order, formed at the first cut
  std::vector<TCut> Cuts_;
  TCalculationCuts* Outer_;
  std::mutex Lock_;  // guards Ascending_ and Cuts_
};

// Work started on another thread (the calculation's cuts open on the
// starting thread serve it) and taken up later: Join waits for it and throws
// what it threw. A run not joined is waited for at its end, its failure
// dropped. Without a thread to be had, the work runs in Join.
class TSideRun {
 public:
  explicit TSideRun(std::function<void()> work);
  ~TSideRun();
  TSideRun(const TSideRun&) = delete;
  TSideRun& operator=(const TSideRun&) = delete;
  void Join();

 private:
  std::function<void()> Work_;
  std::future<void> Done_;
};

// Runs `first` on this thread and `second` on another one at the same time
// (the calculation's cuts open here serve both); returns when both ended.
// The two must not write what the other reads. Throws what `first` threw,
// else what `second` threw; without a thread to be had, `second` runs here
// after `first`.
void RunSideBySide(const std::function<void()>& first, const std::function<void()>& second);
// The same for three: the failure of the earliest in the order is thrown.
void RunSideBySide(const std::function<void()>& first, const std::function<void()>& second,
                   const std::function<void()>& third);

// The common entry frame up to the model's own preparation: counter start,
// Frequency, key lookup, window, start shift, Countries := the list cut to
// the window: the calculation's shared cut when a TCalculationCuts of the
// list is open on this thread, else a list of the record's own (its storage
// kept when no other handle shares it). Throws
// EModelError (counter at its start value) for an empty list or a first
// country without an asset of the key type.
template <class Record>
void RunModelFrame(Record& result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                   std::uint32_t frequency, bool intraMonth, const TModelFrameValues& values, TStageCounter& counter);

// Period returns of the cash asset of the portfolio currency's country:
// c := FindCountryIndex(ccy, by currency); in c's risk-free assets of
// `countries` the first whose title (upper-cased) contains "CASH";
// ComputeReturns(series, 0.0). Empty when there is no such country or asset.
TSeries PortfolioCashReturns(const std::vector<TCountry>& countries, const std::string& portfolioCcy);

// "10Y Gov Bond" -> "10Y Bond", "2Y Gov Bond" -> "2Y Bond", anything else unchanged.
std::string ShortRiskFreeTitle(const std::string& title);

// Index of the region in strRegionNameList (exact comparison); -1 when none.
int RegionIndex(const std::string& regionName);

// Which settings weight says that a country takes part in a model, and the
// Excluded value of a row that takes part (a row whose weight is 0.0 gets 2).
// The default is the equity models' rule: EqWeight, 0.
struct TParticipation {
  double TCountrySettings::*Weight = &TCountrySettings::EqWeight;
  std::int32_t TakesPart = 0;
};

// One row per country {Name, RegionName, 0.0, 0.0, State -1, Flag -1,
// Excluded 2 when settings row i has the participation weight 0.0, else
// participation.TakesPart}; then every share item sets Value and State of the
// rows of its name, the region sums are formed by RegionName (a country
// outside the six regions adds to none) and RegionColor := the sum of the
// row's region, Flag := 0 when it is not 0.0.
// Throws EModelError when the settings hold fewer rows than countries.
std::vector<TRegionItem> BuildCountryShareRows(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                               const std::vector<TShareItem>& shares,
                                               const TParticipation& participation = {});

}  // namespace models

#include "models/equity/ModelFrame.inl"
