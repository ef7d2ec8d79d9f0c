#pragma once
// Result records of the bond, currency and global models (FISL, FICY, FIGF,
// FIGP, MYGP). Besides the pages, later models of a calculation read them:
// FIGP reads the FISL and FICY records, MYGP the EQSL, FISL, FICY and FIGP
// records, hence the fixed model order. Plain value types: copies are deep,
// every number starts at 0 (0.0, false), every string and array empty.
//
// Generic member names (Values1, Rows1, Extra, ...) are explained, with the
// names the model and page code also uses, in docs/glossary.md.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "common/SharedCountryList.h"
#include "portfolio/BenchmarkPortfolio.h"
#include "portfolio/ClassicPortfolio.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/PortfolioPerformance.h"
#include "portfolio/Rule2Evaluator.h"
#include "portfolio/SLPortfolio.h"

// One asset-class row of an asset view: the model's share and the index's
// (benchmark's) share of the class, as fractions.
struct TAssetShareRow {
  std::string Name;
  double Share = 0.0;     // model
  double Mark = 0.0;      // index
  std::int32_t Kind = 0;  // group: FIGF and FIGP 1 bond rows, 2 gold; MYGP 1 equity, 2 bonds, 3 gold
};

// FISL (fixed-rate bond ranking).
struct TFISLGraphicData {
  std::uint32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  TSharedCountryList Countries;
  TBondSLPortfolio ModelPortfolio;      // "Model Portfolio"
  TBondSLPortfolio BenchmarkPortfolio;  // "Benchmark Portfolio"
  std::vector<TLabelledSeries> RankingRows;
  std::vector<TLabelledSeries> RankingPages;
  TPortfolioPerformance Performance;  // statistics title "Portfolio"
  std::vector<TRegionItem> RegionItems;
};

// FICY ("Currency Ranking").
struct TFICYGraphicData {
  std::uint32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  // The four reference currencies ("USA", "GERMANY", "JAPAN", "CHINA"); the
  // model follows it while the RULE2 state is not 2.0.
  TCurrencySLPortfolio ModelPortfolio;
  TSeries Values1;     // period returns of the portfolio currency's cash asset
  TSeries Values2;     // the "RULE2" series cut to the run window
  bool Extra = false;  // true once ModelPortfolio was built
  TSharedCountryList Countries;
  std::vector<TLabelledSeries> RankingRows;
  std::vector<TLabelledSeries> RankingPages;
  TPortfolioPerformance Performance;  // statistics title "Cash Portfolio"
  std::vector<TRegionItem> RegionItems;
  // The user's currency weights of every country; the model follows it while
  // the RULE2 state is 2.0, and alone without RULE2. (The benchmark of the
  // model's performance is cash in the portfolio currency.)
  TCurrencySLPortfolio BenchmarkPortfolio;
};

// FIGF ("Monetary Debasement Risk").
struct TFIGFGraphicData {
  std::uint32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  TBondSLPortfolio BondPortfolio;
  TRule2Evaluator Rule2;  // evaluated with the ranking flag false
  TSharedCountryList Countries;
  std::vector<TLabelledSeries> Rows1;  // input series; row 0 the gold signal on the signal grid
  std::vector<TLabelledSeries> Rows2;  // share rows of the bullet list
  TPortfolioPerformance Performance;   // statistics title "Fixed Rate Bond vs Gold And TIPS"
  std::string ColumnCaption1;          // "Model"
  std::string ColumnCaption2;          // "Index"
  std::vector<TAssetShareRow> AssetShares;
};

// FIGP ("Global Bond Strategy").
struct TFIGPGraphicData {
  std::uint32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  TSeries Values1;  // period returns of the portfolio currency's cash asset
  TBondSLPortfolio BondPortfolio;
  TSharedCountryList Countries;
  TRule2Evaluator Rule2;                              // evaluated with the ranking flag true
  TPortfolioPerformance Performance;                  // statistics title "Fixed Rate Bond vs Gold And TIPS"
  std::vector<TRegionAllocationRow> AllocationItems;  // six region rows, then "TOTAL"
  std::string ColumnCaption1;
  std::string ColumnCaption2;
  std::vector<TAssetShareRow> AssetShares;
  TSeries Values2;  // copy of the model returns
  TSeries Values3;  // copy of the benchmark returns
};

// MYGP (global multi-asset portfolio).
struct TMYGPGraphicData {
  std::uint32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  TBondSLPortfolio BondPortfolio;
  TEquitySLPortfolio EquityPortfolio;
  TClassicPortfolio Classic1;  // model mix
  TClassicPortfolio Classic2;  // benchmark mix
  TSeries Values1;             // cash return series
  bool Extra = false;          // signals flag
  TSharedCountryList Countries;
  TBenchmarkPortfolio Benchmark;                      // timed equity benchmark
  TBenchmarkPortfolio Benchmark2;                     // plain equity benchmark
  TPortfolioPerformance Performance;                  // statistics title "Cash && Risk Portfolio"
  std::vector<TRegionAllocationRow> AllocationItems;  // six region rows, then "TOTAL"
  std::string ColumnCaption1;
  std::string ColumnCaption2;
  std::vector<TAssetShareRow> AssetShares;
};

extern TFISLGraphicData cMyExternFISLGraphicData;
extern TFICYGraphicData cMyExternFICYGraphicData;
extern TFIGFGraphicData cMyExternFIGFGraphicData;
extern TFIGPGraphicData cMyExternFIGPGraphicData;
extern TMYGPGraphicData cMyExternMYGPGraphicData;
