#pragma once
// The RULE2 evaluator splits a bond portfolio, date by date, between
// fixed-rate government bonds, inflation-linked bonds and gold. Gold is held
// while the gold and currency basket says that gold kept up with paper money
// over the past year (share MaxGoldAllocation scaled by SLTrustLevel); the
// rest goes to inflation-linked bonds when they are fully allowed
// (MaxTipsAllocation 100) and the "RULE2" state is 2.0, otherwise to
// fixed-rate bonds. Both bond legs use the country weights of one bond
// ranking portfolio; all legs are period returns in the portfolio currency.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "common/SharedCountryList.h"
#include "portfolio/GoldCurrencyBasket.h"
#include "portfolio/SLPortfolio.h"

// The weights in force at one signal date (fractions).
struct TRule2Allocation {
  double Date = 0.0;
  double FixedRateWeight = 0.0;
  double GoldWeight = 0.0;
  double InflationLinkedWeight = 0.0;
};

// One country's inflation-linked bond index.
struct TInflationLinkedLine {
  std::string CountryName;
  // "IBINDEX2" where it has a value, the country's "RISKFREEASSET1" series
  // before it starts and on the dates stored as -1000.0.
  TSeries Series;
  TSeries Returns;  // period returns of Series in the portfolio currency
  // First and last date of the country's own "IBINDEX2" series; kMissingDate when it has none.
  double FirstDate = kMissingDate;
  double LastDate = kMissingDate;
};

// Base point k, or the override point paired with it from the end, where
// the override has begun and its value is not the stored marker -1000.0.
// An empty override gives the base, an empty base an empty result; an
// override point outside its series throws EModelError.
TSeries MergeSeriesWithFallback(const TSeries& base, const TSeries& override);

// The inflation-linked bond lines of the countries and their portfolio return.
struct TInflationLinkedSet {
  // One line per country, index series loaded and converted.
  void Build(const std::vector<TCountry>& countries, const TUserSettings& settings, std::int32_t frequency);
  // Each line's Series from the country's "IBINDEX2" series over its
  // "RISKFREEASSET1" series (positions found in the first country).
  void LoadIndexSeries(const std::vector<TCountry>& countries);
  // Each line's Returns: hedged against the country's cash through the
  // country/USD rate (less the swap cost when hedging and the country is not
  // the USD one), compounded and converted by the USD/portfolio-currency rate.
  void ConvertLineReturns(const std::vector<TCountry>& countries, const TUserSettings& settings,
                          std::int32_t frequency);
  // Returns[k-1] at allocation k >= 1: sum over the holdings of allocation
  // k - 1 of AdjustedWeight x the return of every line of that name at
  // position n(line) - (number of allocations) + k, lines whose returns
  // began before the allocation's date only.
  void ComputePortfolioReturns(const std::vector<TSLAllocation>& allocations);

  std::vector<TInflationLinkedLine> Lines;
  TSeries Returns;
};

struct TRule2Evaluator {
  // Rebuilds every member from copies of the inputs; an evaluation that
  // cannot be completed leaves Returns and Allocations empty, and the gold
  // signal (Basket.Signal) and Rule2State empty when it stops before them.
  void Evaluate(const TSharedCountryList& countries, const TUserSettings& settings, bool rankingFlag,
                std::int32_t frequency, double startDate, double endDate);
  // The split rule over the aligned series: Allocations gets one row per
  // signal date (n + 1), Returns one blended return per gold-return date (n):
  //   x = (signal != 0 ? SLTrustLevel / 100 : 0) * MaxGoldAllocation / 100,
  //   bond share 1 - x to inflation-linked bonds when MaxTipsAllocation is
  //   100 and the state is 2.0, else to fixed-rate bonds;
  //   return_i = x_i gold_i + il_i inflationLinked_i + fr_i fixedRate_i.
  void Blend(const TUserSettings& settings);
  // Gold ("AUINDEX" of the first country) hedged against USD cash and
  // converted into the portfolio currency.
  TSeries BuildGoldReturns(const std::string& portfolioCcy) const;

  std::int32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  TSharedCountryList Countries;
  TSeries Rule2State;  // "RULE2" of the first country; 2.0 selects inflation-linked bonds
  TSeries FixedRateReturns;
  TSeries InflationLinkedReturns;
  TSeries GoldReturns;
  TGoldCurrencyBasket Basket;  // Basket.Signal: 1.0 hold gold, 0.0 no gold
  TBondSLPortfolio BondPortfolio;
  TInflationLinkedSet InflationLinked;
  std::vector<TRule2Allocation> Allocations;
  TSeries Returns;
};
