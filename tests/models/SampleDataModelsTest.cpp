// The nine models on the sample data, loaded the way the application loads
// it, with the default settings, in the binding order of the calculation:
// every run completes, every figure and series is finite, allocations sum to
// 1, model and benchmark series share their dates, the model-state report
// reads back, and a run after a run on other settings leaves exactly what a
// run on fresh records leaves.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "SampleWorkData.h"
#include "common/Globals.h"
#include "models/equity/EQGPModel.h"
#include "models/equity/EQSLModel.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/TimingModel.h"
#include "models/global/ModelCalculation.h"
#include "models/global/ModelStateReport.h"
#include "portfolio/GlobalResultRecords.h"

namespace {

// Walks the numbers of the result records: collects the places that hold a
// value that is not finite, and digests every value and length on the way.
struct RecordWalk {
  std::vector<std::string> Bad;
  std::uint64_t Digest = 1469598103934665603ULL;

  void Mix(std::uint64_t bits) {
    Digest ^= bits;
    Digest *= 1099511628211ULL;
  }
  // The parts of `where` are joined only for a value that is not finite.
  template <class... Where>
  void Value(double v, const Where&... where) {
    if (!std::isfinite(v)) {
      std::ostringstream text;
      (text << ... << where);
      Bad.push_back(text.str());
    }
    Mix(std::bit_cast<std::uint64_t>(v));
  }
  void Text(const std::string& s) {
    for (char c : s) Mix(static_cast<unsigned char>(c));
    Mix(s.size());
  }
  void Series(const TSeries& s, const std::string& where) {
    Mix(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
      Value(s[i].Date, where, " date ", i);
      Value(s[i].Value, where, " value ", i);
    }
  }
  void Rows(const std::vector<TLabelledSeries>& rows, const std::string& where) {
    Mix(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      for (const std::string& label : rows[i].Labels) Text(label);
      Mix(rows[i].Selected);
      Series(rows[i].Series, where + "[" + std::to_string(i) + "]");
    }
  }
  void Sets(const TNamedSeriesSet& a, const TNamedSeriesSet& b, const TNamedSeriesSet& c, const std::string& where) {
    for (std::size_t k = 0; k < 3; ++k) {
      Text(a[k].Name);
      Series(a[k].Series, where + " index " + std::to_string(k));
      Series(b[k].Series, where + " drawdown " + std::to_string(k));
      Series(c[k].Series, where + " one-year " + std::to_string(k));
    }
  }
  void Block(const TStatisticsBlock& s, const std::string& where) {
    for (double v : {s.Return, s.ReturnWhenOn, s.ReturnWhenOff, s.Volatility, s.VolatilityWhenOn, s.VolatilityWhenOff,
                     s.MaxDrawdown, s.MaxDrawdownWhenOn, s.MaxDrawdownWhenOff, s.LastPeriod, s.YearToDate, s.OneYear,
                     s.Sharpe})
      Value(v, where);
  }
  void Statistics(const TPerformanceStatistics& s, const std::string& where) {
    Mix(s.HasData);
    Block(s.Model, where + " model");
    Block(s.Index, where + " index");
    Block(s.RiskFree, where + " risk-free");
    for (double v : {s.Correlation, s.Beta, s.EquityInvested, s.Turnover, s.RiskFreeRate, s.Labels.StartDate,
                     s.Labels.EndDate})
      Value(v, where);
    for (const std::string* t : {&s.Labels.Caption1, &s.Labels.Caption2, &s.Labels.Caption4, &s.Labels.Caption6})
      Text(*t);
  }
  void History(const std::vector<TAllocationRow>& rows, const std::string& where) {
    Mix(rows.size());
    for (const TAllocationRow& row : rows) {
      Value(row.Date, where);
      Value(row.TotalWeight, where);
      for (const TWeightedName& h : row.Holdings) {
        Text(h.Name);
        Value(h.Weight, where, " ", h.Name);
      }
    }
  }
  void Performance(const TPortfolioPerformance& p, const std::string& where) {
    Text(p.ModelName);
    Text(p.BenchmarkName);
    Series(p.ModelReturns, where + " model");
    Series(p.BenchmarkReturns, where + " benchmark");
    Sets(p.IndexCharts, p.DrawdownCharts, p.OneYearCharts, where);
    History(p.AllocationHistory, where + " allocation");
    Statistics(p.Statistics, where + " statistics");
  }
  void Benchmark(const TBenchmarkPortfolio& p, const std::string& where) {
    for (const TSeries* s : {&p.ReturnSeries, &p.TurnoverSeries, &p.ExposureSeries, &p.CostSeries}) Series(*s, where);
    for (const TBenchmarkAllocation& a : p.WeightHistory)
      for (const TBenchmarkHolding& h : a.Items) {
        Value(h.EquityWeight, where, " ", h.Name);
        Value(h.RiskFreeWeight, where, " ", h.Name);
        Mix(static_cast<std::uint64_t>(h.Rank));
      }
  }
  void Regions(const std::vector<TRegionItem>& items, const std::string& where) {
    Mix(items.size());
    for (const TRegionItem& r : items) {
      Value(r.Value, where, " ", r.Name);
      Value(r.RegionColor, where, " ", r.Name);
      Mix(static_cast<std::uint64_t>(r.State) ^ (static_cast<std::uint64_t>(r.Excluded) << 8));
    }
  }
  void RegionRows(const std::vector<TRegionAllocationRow>& rows, const std::string& where) {
    Mix(rows.size());
    auto item = [&](const TCountryAllocationItem& i) {
      Text(i.Name);
      for (double v : {i.EquityShare, i.RiskFreeShare, i.FxShare}) Value(v, where, " ", i.Name);
      Mix(static_cast<std::uint64_t>(i.Rank) ^ (i.MacroOn << 1) ^ (i.Selected << 2) ^ (i.BehaviourOn << 3));
    };
    auto detail = [&](const TCountryDetailItem& d) {
      for (double v : {d.FixedRateWeight, d.InflationLinkedWeight, d.BondWeight, d.IndexWeight, d.FxHedge})
        Value(v, where, " ", d.Name);
      Mix(static_cast<std::uint64_t>(d.Code) ^ (static_cast<std::uint64_t>(d.Flag) << 8));
    };
    for (const TRegionAllocationRow& r : rows) {
      item(r.Summary);
      detail(r.DetailSummary);
      for (const auto& i : r.Items) item(i);
      for (const auto& d : r.DetailItems) detail(d);
    }
  }
  void AssetRows(const std::vector<TAssetShareRow>& rows, const std::string& where) {
    Mix(rows.size());
    for (const TAssetShareRow& r : rows) {
      Text(r.Name);
      Value(r.Share, where, " ", r.Name);
      Value(r.Mark, where, " ", r.Name);
    }
  }
  void SL(const TSLPortfolio& p, const std::string& where) {
    Series(p.Returns, where + " returns");
    for (const TSLLine& line : p.Lines) Series(line.Ranks, where + " ranks " + line.Name);
  }

  void Record(const TEQSLGraphicData& r) {
    SL(r.ModelPortfolio, "EQSL model portfolio");
    Performance(r.Performance, "EQSL");
    Rows(r.RankingRows, "EQSL ranking");
    Rows(r.RankingPages, "EQSL closing ranking");
    Regions(r.RegionItems, "EQSL regions");
  }
  void Record(const TEQBLGraphicData& r, const std::string& code) {
    Series(r.Values1, code + " estimates");
    Series(r.Values2, code + " cash");
    for (const TBenchmarkPortfolio& b : r.Benchmarks) Benchmark(b, code + " country benchmark");
    Rows(r.Rows1, code + " signals");
    Rows(r.Rows4, code + " last signals");
    Rows(r.Rows5, code + " estimated signals");
    for (const TPositionTable& t : r.GroupRows) Rows(t.AllRows, code + " positions");
    for (const TCountryModelData& d : r.CountryData) {
      for (const TSeries* s : {&d.Series1.Series, &d.Series2.Series, &d.Series3.Series}) Series(*s, code + d.Name);
      Rows(d.Rows, code + " " + d.Name + " rows");
      Sets(d.IndexCharts, d.DrawdownCharts, d.OneYearCharts, code + " " + d.Name);
      Statistics(d.Statistics, code + " " + d.Name);
    }
    const TEQBLGraphicPart& t = r.Total;
    for (const TCountryModelSummary& s : t.Summaries)
      for (const TSeries* x : {&s.WeightSeries, &s.ContributionSeries, &s.IndexContribution, &s.ExposureSeries,
                               &s.TurnoverSeries})
        Series(*x, code + " summary " + s.Name);
    for (const TSeries* x : {&t.ExposureSeries, &t.TurnoverSeries, &t.ModelSeries, &t.BenchmarkSeries,
                             &t.RiskFreeSeries})
      Series(*x, code + " total");
    Sets(t.IndexCharts, t.DrawdownCharts, t.OneYearCharts, code + " total");
    Statistics(t.Statistics, code + " total");
    for (const auto* h : {&t.AllocationHistory, &t.EquityHistory, &t.RiskFreeHistory}) History(*h, code);
    for (const auto* items : {&r.Allocations1, &r.Allocations2, &r.Allocations3})
      for (const TStateItem& item : *items)
        for (double v : item.Values) Value(v, code, " item ", item.Label);
  }
  void Record(const TEQGPGraphicData& r) {
    Benchmark(r.Benchmark, "EQGP model portfolio");
    Benchmark(r.Benchmark2, "EQGP benchmark portfolio");
    Series(r.Values1, "EQGP cash");
    const TEQGPGraphicPart& g = r.Total;
    Series(g.ModelReturns, "EQGP model");
    Series(g.BenchmarkReturns, "EQGP benchmark");
    Sets(g.IndexCharts, g.DrawdownCharts, g.OneYearCharts, "EQGP");
    Statistics(g.Statistics, "EQGP statistics");
    for (const auto* h : {&g.AllocationHistory, &g.EquityHistory, &g.RiskFreeHistory}) History(*h, "EQGP");
    for (const auto* rows : {&r.Ranking1, &r.Ranking2, &r.Ranking3}) Regions(*rows, "EQGP rows");
    RegionRows(r.AllocationItems, "EQGP region rows");
  }
  void Record(const TFISLGraphicData& r) {
    SL(r.ModelPortfolio, "FISL model portfolio");
    Performance(r.Performance, "FISL");
    Rows(r.RankingRows, "FISL ranking");
    Rows(r.RankingPages, "FISL closing ranking");
    Regions(r.RegionItems, "FISL regions");
  }
  void Record(const TFICYGraphicData& r) {
    Series(r.Values1, "FICY cash");
    Series(r.Values2, "FICY rule");
    Performance(r.Performance, "FICY");
    Rows(r.RankingRows, "FICY ranking");
    Rows(r.RankingPages, "FICY closing ranking");
    Regions(r.RegionItems, "FICY regions");
  }
  void Record(const TFIGFGraphicData& r) {
    Rows(r.Rows1, "FIGF gold signal");
    Rows(r.Rows2, "FIGF gold shares");
    Performance(r.Performance, "FIGF");
    AssetRows(r.AssetShares, "FIGF assets");
  }
  void Record(const TFIGPGraphicData& r) {
    Series(r.Values1, "FIGP cash");
    Performance(r.Performance, "FIGP");
    RegionRows(r.AllocationItems, "FIGP region rows");
    AssetRows(r.AssetShares, "FIGP assets");
  }
  void Record(const TMYGPGraphicData& r) {
    Series(r.Values1, "MYGP cash");
    Benchmark(r.Benchmark, "MYGP timed benchmark");
    Benchmark(r.Benchmark2, "MYGP plain benchmark");
    Performance(r.Performance, "MYGP");
    RegionRows(r.AllocationItems, "MYGP region rows");
    AssetRows(r.AssetShares, "MYGP assets");
  }
  // The nine exported records.
  void All() {
    Record(cMyExternEQSLGraphicData);
    Record(cMyExternEQQVGraphicData, "EQQV");
    Record(cMyExternEQBLGraphicData, "EQBL");
    Record(cMyExternEQGPGraphicData);
    Record(cMyExternFISLGraphicData);
    Record(cMyExternFIGFGraphicData);
    Record(cMyExternFICYGraphicData);
    Record(cMyExternFIGPGraphicData);
    Record(cMyExternMYGPGraphicData);
  }
};

// RecordWalk over everything else the nine records hold: each record's cut
// country list, the lines, cut series, selections, allocations and turnover
// of its portfolios, the RULE2 evaluator's legs and basket, the classic
// mixes, the developed and emerging rows, the parameter summaries.
struct DeepWalk : RecordWalk {
  void Countries(const std::vector<TCountry>& list, const std::string& where) {
    Mix(list.size());
    for (const TCountry& c : list) {
      for (const std::string* t : {&c.Name, &c.RegionName, &c.Currency, &c.IndexName, &c.IndexTicker}) Text(*t);
      Mix(static_cast<std::uint64_t>(c.Rank) ^ (static_cast<std::uint64_t>(c.RegionRank) << 16) ^
          (static_cast<std::uint64_t>(c.IsDevelopped) << 32) ^ (static_cast<std::uint64_t>(c.ReverseQuote) << 33));
      Value(c.EstimationDate, where);
      Value(c.EstimatedSignal, where);
      for (int type = atIndex; type <= atSpotFx; ++type) {
        const std::vector<TAssetSeries>& assets = *AssetsOfType(c, type);
        Mix(assets.size());
        for (const TAssetSeries& a : assets) {
          for (const std::string* t : {&a.CountryName, &a.ID, &a.Title}) Text(*t);
          Mix(static_cast<std::uint64_t>(a.Type));
          Series(a.Series, where + " " + c.Name + " " + a.ID);
          Value(a.FirstDailyPoint.Date, where);
          Value(a.FirstDailyPoint.Value, where);
        }
      }
    }
  }
  void Info(const TSeriesInfo& p, const std::string& where) {
    for (const std::string* t :
         {&p.PortfolioCcy, &p.RiskFreeId, &p.IndexCurrency, &p.RiskFreeCurrency, &p.IndexName, &p.IndexTicker})
      Text(*t);
    Mix(p.FxHedging);
    for (double v : {p.MaxEqVsFiAllocation, p.MinEqVsFiAllocation, p.EquityRankingCriteria, p.QVTrustLevel,
                     p.BLTrustLevel, p.BondRankingCriteria, p.CurrencyRankingCriteria, p.MaxGoldAllocation,
                     p.MaxTipsAllocation, p.MaxFxRiskAllocation, p.SLTrustLevel, p.ExtraValue, p.IndexTransactionCost,
                     p.RiskFreeTransactionCost, p.FxHedgingTransactionCost})
      Value(v, where);
  }
  void Ranking(const TSLPortfolio& p, const std::string& where) {
    Text(p.Name);
    Text(p.PortfolioCcy);
    Value(p.CountryRankingCriteria, where);
    Mix(p.Lines.size());
    for (const TSLLine& l : p.Lines) {
      Text(l.Name);
      for (const TSeries* s : {&l.Returns, &l.RankingValues, &l.Ranks, &l.Weights, &l.RateSeries})
        Series(*s, where + " line " + l.Name);
      Value(l.Weight, where);
      Value(l.TransactionCost, where);
    }
    Mix(p.AssetSeries.size());
    for (const TSLAssetSeries& a : p.AssetSeries) {
      Text(a.Name);
      for (const TSeries* s : {&a.Returns, &a.Ranks, &a.Weights}) Series(*s, where + " asset " + a.Name);
      Value(a.TransactionCost, where);
    }
    Mix(p.Allocations.size());
    for (const TSLAllocation& a : p.Allocations) {
      Value(a.Date, where);
      Value(a.TotalWeight, where);
      for (const TSLHolding& h : a.Holdings) {
        Text(h.Name);
        for (double v : {h.Weight, h.AdjustedWeight, h.OpeningWeight, h.ClosingWeight}) Value(v, where, " ", h.Name);
        Mix(static_cast<std::uint64_t>(h.Rank));
      }
    }
    Series(p.Returns, where + " returns");
  }
  // A ranking portfolio with its run members; turnover and costs where it keeps them.
  template <class Portfolio>
  void RankingWithTurnover(const Portfolio& p, const std::string& where) {
    Ranking(p, where);
    Mix(static_cast<std::uint64_t>(p.Frequency));
    Value(p.StartDate, where);
    Value(p.EndDate, where);
    Selections(p.Selections);
    if constexpr (requires { p.Turnover; }) {
      Series(p.Turnover, where + " turnover");
      Series(p.Costs, where + " costs");
      Value(p.AnnualTurnover, where, " annual turnover");
    }
  }
  // EQSL, FISL and FICY: the list, both portfolios and the parameters.
  template <class Record>
  void RankingRecord(const Record& r, const std::string& code) {
    Frame(r.Frequency, r.StartDate, r.EndDate, r.Countries, code);
    RankingWithTurnover(r.ModelPortfolio, code + " model");
    RankingWithTurnover(r.BenchmarkPortfolio, code + " benchmark");
    Info(r.Performance.Parameters, code);
  }
  void Selections(const std::vector<TSLSelection>& selections) {
    Mix(selections.size());
    for (const TSLSelection& s : selections) {
      Mix(std::bit_cast<std::uint64_t>(s.Date));
      for (const std::string& name : s.Names) Text(name);
    }
  }
  void Lines(const TBenchmarkPortfolio& p, const std::string& where) {
    Benchmark(p, where);
    for (double v : {p.QVTrustLevel, p.BLTrustLevel, p.CountryRankingCriteria}) Value(v, where);
    Mix(static_cast<std::uint64_t>(p.Frequency));
    Mix(p.Lines.size());
    for (const TBenchmarkLine& l : p.Lines) {
      Text(l.Name);
      for (const TSeries* s :
           {&l.EquityReturns, &l.CashReturns, &l.RankingValues, &l.Ranks, &l.EquityWeights, &l.CashWeights})
        Series(*s, where + " line " + l.Name);
      Value(l.TransactionCost, where);
    }
    Mix(p.WeightHistory.size());
    for (const TBenchmarkAllocation& a : p.WeightHistory) {
      Value(a.Date, where);
      Value(a.Total, where);
      for (const TBenchmarkHolding& h : a.Items) Text(h.Name);
    }
  }
  void Classic(const TClassicPortfolio& p, const std::string& where) {
    Text(p.Name);
    Text(p.Label);
    auto asset = [&](const TClassicAsset& a) {
      Text(a.Id);
      Series(a.Series, where);
      Series(a.WeightSeries, where);
      Value(a.Weight, where);
      Value(a.EffectiveWeight, where);
    };
    for (const TClassicAsset& a : p.Assets) asset(a);
    Series(p.Returns, where + " returns");
    for (const TClassicAllocation& a : p.Allocations) {
      Value(a.Date, where);
      Value(a.TotalWeight, where);
      for (const TClassicAsset& e : a.Assets) asset(e);
    }
  }
  void Rule2(const TRule2Evaluator& e, const std::string& where) {
    Mix(static_cast<std::uint64_t>(e.Frequency));
    Value(e.StartDate, where);
    Value(e.EndDate, where);
    Countries(e.Countries, where + " countries");
    for (const TSeries* s : {&e.Rule2State, &e.FixedRateReturns, &e.InflationLinkedReturns, &e.GoldReturns,
                             &e.Basket.Signal, &e.InflationLinked.Returns, &e.Returns})
      Series(*s, where);
    Value(e.Basket.StartDate, where);
    Value(e.Basket.EndDate, where);
    Countries(e.Basket.Countries, where + " basket countries");
    RankingWithTurnover(e.BondPortfolio, where + " bonds");
    for (const TInflationLinkedLine& l : e.InflationLinked.Lines) {
      Text(l.CountryName);
      Series(l.Series, where + " linked " + l.CountryName);
      Series(l.Returns, where + " linked " + l.CountryName);
      Value(l.FirstDate, where);
      Value(l.LastDate, where);
    }
    for (const TRule2Allocation& a : e.Allocations)
      for (double v : {a.Date, a.FixedRateWeight, a.GoldWeight, a.InflationLinkedWeight}) Value(v, where);
  }
  void Frame(std::uint32_t frequency, double start, double end, const std::vector<TCountry>& countries,
             const std::string& where) {
    Mix(frequency);
    Value(start, where);
    Value(end, where);
    Countries(countries, where + " countries");
  }
  void Timing(const TEQBLGraphicData& r, const std::string& code) {
    Frame(r.Frequency, r.StartDate, r.EndDate, r.Countries, code);
    for (const TBenchmarkPortfolio& b : r.Benchmarks) Lines(b, code + " country benchmark");
    for (const TBenchmarkPortfolio& b : r.Benchmarks2) Lines(b, code + " second benchmark");
    Rows(r.Rows2, code + " developed");
    Rows(r.Rows3, code + " emerging");
    for (const TPositionTable& t : r.GroupRows) {
      Rows(t.DevelopedRows, code + " developed positions");
      Rows(t.EmergingRows, code + " emerging positions");
    }
    for (const TCountryModelData& d : r.CountryData) {
      for (const TNamedSeries* s : {&d.Series1, &d.Series2, &d.Series3}) Text(s->Name);
      Info(d.Parameters, code + " " + d.Name);
    }
    for (const TCountryModelSummary& s : r.Total.Summaries) {
      Value(s.EqWeight, code);
      Value(s.EqTransactionCost, code);
      Info(s.Parameters, code + " summary " + s.Name);
    }
    Info(r.Total.Parameters, code + " total");
    for (const auto* items : {&r.Allocations1, &r.Allocations2, &r.Allocations3})
      for (const TStateItem& item : *items) {
        Text(item.Label);
        Text(item.Text);
        Mix(static_cast<std::uint64_t>(item.State));
      }
  }
  // FIGF and FIGP: the list, the bond portfolio, the evaluator, captions and parameters.
  template <class Record>
  void BondRecord(const Record& r, const std::string& code) {
    Frame(r.Frequency, r.StartDate, r.EndDate, r.Countries, code);
    RankingWithTurnover(r.BondPortfolio, code + " bonds");
    Rule2(r.Rule2, code + " rule");
    Text(r.ColumnCaption1);
    Text(r.ColumnCaption2);
    Info(r.Performance.Parameters, code);
  }
  // The records' own digest, then everything above.
  void Everything() {
    All();
    RankingRecord(cMyExternEQSLGraphicData, "EQSL");
    Timing(cMyExternEQQVGraphicData, "EQQV");
    Timing(cMyExternEQBLGraphicData, "EQBL");
    const TEQGPGraphicData& gp = cMyExternEQGPGraphicData;
    Frame(gp.Frequency, gp.StartDate, gp.EndDate, gp.Countries, "EQGP");
    Lines(gp.Benchmark, "EQGP model");
    Lines(gp.Benchmark2, "EQGP benchmark");
    RankingWithTurnover(gp.Portfolio, "EQGP ranking");
    Series(gp.Values2, "EQGP model copy");
    Series(gp.Values3, "EQGP benchmark copy");
    Info(gp.Total.Parameters, "EQGP");
    RankingRecord(cMyExternFISLGraphicData, "FISL");
    RankingRecord(cMyExternFICYGraphicData, "FICY");
    Mix(cMyExternFICYGraphicData.Extra);
    BondRecord(cMyExternFIGFGraphicData, "FIGF");
    BondRecord(cMyExternFIGPGraphicData, "FIGP");
    Series(cMyExternFIGPGraphicData.Values2, "FIGP model copy");
    Series(cMyExternFIGPGraphicData.Values3, "FIGP benchmark copy");
    const TMYGPGraphicData& my = cMyExternMYGPGraphicData;
    Frame(my.Frequency, my.StartDate, my.EndDate, my.Countries, "MYGP");
    RankingWithTurnover(my.BondPortfolio, "MYGP bonds");
    RankingWithTurnover(my.EquityPortfolio, "MYGP equities");
    Classic(my.Classic1, "MYGP model mix");
    Classic(my.Classic2, "MYGP benchmark mix");
    Mix(my.Extra);
    Lines(my.Benchmark, "MYGP timed");
    Lines(my.Benchmark2, "MYGP plain");
    Info(my.Performance.Parameters, "MYGP");
  }
};

// Rows with holdings sum to 1; `dates` (when given) limits the check to those dates.
void ExpectAllocationsSumToOne(const std::vector<TAllocationRow>& rows, const std::string& model,
                               const std::set<double>* dates = nullptr) {
  std::size_t checked = 0;
  for (const TAllocationRow& row : rows) {
    if (row.Holdings.empty() || (dates != nullptr && dates->count(row.Date) == 0)) continue;
    ++checked;
    double sum = 0.0;
    for (const TWeightedName& h : row.Holdings) sum += h.Weight;
    EXPECT_NEAR(sum, 1.0, 1e-9) << model << " allocation at " << row.Date;
  }
  EXPECT_GT(checked, 12u) << model;
}

void ExpectAlignedAscending(const TSeries& model, const TSeries& benchmark, const std::string& name) {
  ASSERT_GT(model.size(), 12u) << name;
  ASSERT_EQ(model.size(), benchmark.size()) << name;
  for (std::size_t i = 0; i < model.size(); ++i) {
    ASSERT_EQ(model[i].Date, benchmark[i].Date) << name << " point " << i;
    if (i > 0) {
      ASSERT_LT(model[i - 1].Date, model[i].Date) << name << " point " << i;
    }
  }
}

// Fixed rate + inflation linked = bond weight in every item that has them.
void ExpectBondSplits(const std::vector<TRegionAllocationRow>& rows, const std::string& model) {
  std::size_t checked = 0;
  for (const TRegionAllocationRow& row : rows)
    for (const TCountryDetailItem& d : row.DetailItems) {
      if (d.BondWeight == kNoFigure || d.FixedRateWeight == kNoFigure || d.InflationLinkedWeight == kNoFigure)
        continue;
      ++checked;
      EXPECT_NEAR(d.FixedRateWeight + d.InflationLinkedWeight, d.BondWeight, 1e-12) << model << " " << d.Name;
    }
  EXPECT_GT(checked, 0u) << model;
}

void ResetRecords() {
  cMyExternEQSLGraphicData = {};
  cMyExternEQQVGraphicData = {};
  cMyExternEQBLGraphicData = {};
  cMyExternEQGPGraphicData = {};
  cMyExternFISLGraphicData = {};
  cMyExternFIGFGraphicData = {};
  cMyExternFICYGraphicData = {};
  cMyExternFIGPGraphicData = {};
  cMyExternMYGPGraphicData = {};
}

class SampleDataModels : public ::testing::Test {
 protected:
  void SetUp() override {
    const modeltest::TSampleWorkData& data = modeltest::SampleWorkData();
    SavedCountries_ = vcMyExternCountryList;
    SavedSettings_ = usMyExternUserSettings;
    vcMyExternCountryList = data.Countries;
    usMyExternUserSettings = data.Settings;
  }
  void TearDown() override {
    vcMyExternCountryList = SavedCountries_;
    usMyExternUserSettings = SavedSettings_;
    ResetRecords();
  }

  // The nine models in their order; checks the progress texts of each.
  void Calculate(bool intraMonth) {
    modeltest::RecordingProgress progress;
    std::vector<std::uint32_t> announced;
    const models::TModelCalculationResult result =
        models::CalculateModels(intraMonth, progress, [&](std::uint32_t k) { announced.push_back(k); });
    ASSERT_TRUE(result.Ok) << result.FailureText;
    EXPECT_EQ(result.FailureText, "");
    EXPECT_EQ(result.ModelNumber, 10u);
    EXPECT_EQ(result.ModelStep, 9u);
    EXPECT_EQ(announced, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    // Texts of each model from its start step to "100%": EQGP from 3, FIGF,
    // FIGP and MYGP from 2, the others from 1.
    std::vector<std::string> expected;
    for (std::uint32_t first : {1u, 1u, 1u, 3u, 1u, 2u, 1u, 2u, 2u})
      for (std::uint32_t k = first; k <= 9; ++k) expected.push_back(models::ProgressText(k));
    EXPECT_EQ(progress.Texts, expected);
  }

 private:
  std::vector<TCountry> SavedCountries_;
  TUserSettings SavedSettings_;
};

// One calculation kind: monthly (false) or intra-month (true).
class SampleDataRun : public SampleDataModels, public ::testing::WithParamInterface<bool> {};

TEST_P(SampleDataRun, NineModelsRunCompleteAndFinite) {
  ASSERT_EQ(vcMyExternCountryList.size(), 40u);
  const bool intraMonth = GetParam();
  ResetRecords();
  Calculate(intraMonth);
  // The records, evaluators and baskets hold one cut of the list: on the
  // sample data every window keeps every point.
  const TSharedCountryList& cut = cMyExternEQSLGraphicData.Countries;
  for (const TSharedCountryList* held :
       {&cMyExternEQQVGraphicData.Countries, &cMyExternEQBLGraphicData.Countries, &cMyExternEQGPGraphicData.Countries,
        &cMyExternFISLGraphicData.Countries, &cMyExternFIGFGraphicData.Countries, &cMyExternFICYGraphicData.Countries,
        &cMyExternFIGPGraphicData.Countries, &cMyExternMYGPGraphicData.Countries,
        &cMyExternFIGFGraphicData.Rule2.Countries, &cMyExternFIGFGraphicData.Rule2.Basket.Countries,
        &cMyExternFIGPGraphicData.Rule2.Countries, &cMyExternFIGPGraphicData.Rule2.Basket.Countries})
    EXPECT_TRUE(held->SharesWith(cut));
  RecordWalk walk;
  walk.All();
  EXPECT_TRUE(walk.Bad.empty()) << walk.Bad.size() << " values not finite, first: " << walk.Bad.front();

  const TEQBLGraphicPart& qv = cMyExternEQQVGraphicData.Total;
  const TEQBLGraphicPart& bl = cMyExternEQBLGraphicData.Total;
  const TEQGPGraphicPart& gp = cMyExternEQGPGraphicData.Total;
  const TPortfolioPerformance& sl = cMyExternEQSLGraphicData.Performance;
  const TPortfolioPerformance& cy = cMyExternFICYGraphicData.Performance;
  const TPortfolioPerformance& gf = cMyExternFIGFGraphicData.Performance;
  const TPortfolioPerformance& fp = cMyExternFIGPGraphicData.Performance;
  const TPortfolioPerformance& my = cMyExternMYGPGraphicData.Performance;
  for (const auto& [history, code] :
       std::vector<std::pair<const std::vector<TAllocationRow>*, std::string>>{{&qv.AllocationHistory, "EQQV"},
                                                                               {&bl.AllocationHistory, "EQBL"},
                                                                               {&gp.AllocationHistory, "EQGP"},
                                                                               {&sl.AllocationHistory, "EQSL"},
                                                                               {&cy.AllocationHistory, "FICY"},
                                                                               {&gf.AllocationHistory, "FIGF"},
                                                                               {&fp.AllocationHistory, "FIGP"}})
    ExpectAllocationsSumToOne(*history, code);
  std::set<double> figpDates;
  for (const TAllocationRow& row : fp.AllocationHistory) figpDates.insert(row.Date);
  ExpectAllocationsSumToOne(my.AllocationHistory, "MYGP", &figpDates);

  ExpectAlignedAscending(qv.ModelSeries, qv.BenchmarkSeries, "EQQV");
  ExpectAlignedAscending(bl.ModelSeries, bl.BenchmarkSeries, "EQBL");
  ExpectAlignedAscending(gp.ModelReturns, gp.BenchmarkReturns, "EQGP");
  for (const auto& [p, code] : std::vector<std::pair<const TPortfolioPerformance*, std::string>>{
           {&cy, "FICY"}, {&gf, "FIGF"}, {&fp, "FIGP"}, {&my, "MYGP"}})
    ExpectAlignedAscending(p->ModelReturns, p->BenchmarkReturns, code);
  ExpectBondSplits(cMyExternFIGPGraphicData.AllocationItems, "FIGP");
  ExpectBondSplits(cMyExternMYGPGraphicData.AllocationItems, "MYGP");

  // The branches the pages show are reached on the sample data.
  EXPECT_EQ(cMyExternEQQVGraphicData.GroupRows.size(), 8u);
  ASSERT_EQ(cMyExternEQGPGraphicData.AllocationItems.size(), 7u);
  EXPECT_EQ(cMyExternEQGPGraphicData.AllocationItems.back().Summary.Name, "TOTAL");
  EXPECT_FALSE(cMyExternEQSLGraphicData.RankingPages.empty());
  EXPECT_FALSE(cMyExternFISLGraphicData.RankingPages.empty());

  // The model-state report of this calculation reads back.
  TModelStateReport report;
  report.Init(intraMonth ? "INTRA-MONTH1" : "OFFICIAL1", vcMyExternCountryList, !intraMonth);
  report.AddRegimeTree(vcMyExternCountryList, cMyExternEQSLGraphicData, cMyExternEQQVGraphicData,
                       cMyExternEQBLGraphicData, cMyExternFISLGraphicData, cMyExternFIGFGraphicData,
                       cMyExternFICYGraphicData, usMyExternUserSettings);
  report.AddItems(cMyExternEQSLGraphicData, cMyExternEQQVGraphicData, cMyExternEQBLGraphicData,
                  cMyExternFISLGraphicData, cMyExternFICYGraphicData);
  std::string text;
  report.ToJson(text);
  const nlohmann::ordered_json doc = nlohmann::ordered_json::parse(text);
  const auto& content = doc.at("CONTENT");
  ASSERT_EQ(content.size(), 4u);
  EXPECT_EQ(content[1].at("DATA_1").size(), report.Items.size());
  EXPECT_EQ(content[2].at("DATA_2").size(), 4u);
  EXPECT_EQ(content[3].at("DATA_3").size(), 6u);
  EXPECT_GE(report.Items.size(), 40u);
}

TEST_F(SampleDataModels, ARunAfterOtherSettingsEqualsARunOnFreshRecords) {
  ResetRecords();
  Calculate(false);
  DeepWalk fresh;
  fresh.Everything();

  const TUserSettings defaults = usMyExternUserSettings;
  TUserSettings other = defaults;
  other.PortfolioCcy = "EUR";
  other.RiskFreeId = "CASH";
  other.QVTrustLevel = 100.0;
  other.BLTrustLevel = 0.0;
  other.FxHedging = !other.FxHedging;
  other.MaxFxRiskAllocation = 80.0;
  other.CountryRankingCriteria = {0.25, 0.75, 0.4};
  for (std::size_t i = 0; i < other.CountrySettings.size(); i += 3) other.CountrySettings[i].EqWeight = 0.0;
  usMyExternUserSettings = other;
  Calculate(false);
  DeepWalk changed;
  changed.Everything();
  EXPECT_NE(changed.Digest, fresh.Digest);  // the other settings reach the records
  usMyExternUserSettings = defaults;
  Calculate(false);
  DeepWalk again;
  again.Everything();
  EXPECT_EQ(again.Digest, fresh.Digest);
}

// A progress call that throws (the step's abort) ends the calculation with
// the model whose stage it shows, also when that model ran beside others:
// the models before it keep their results, the later ones their previous
// records, and the sink saw exactly the calls before the throw.
TEST_F(SampleDataModels, AThrowingProgressCallEndsTheCalculationAtTheModelItShows) {
  // Stage shows per model on the sample data: EQSL, EQQV, EQBL 1..9, EQGP
  // 3..9, FISL 1..9, FIGF 2..9, FICY 1..9, FIGP, MYGP 2..9.
  struct Case {
    int pump;  // the throwing ProcessMessages, counted from 1
    std::uint32_t model;
    std::uint32_t step;
  };
  const Case cases[] = {
      {1, 1, 1},   // EQSL, run on the calculating thread, at its first stage
      {13, 2, 4},  // EQQV, beside EQSL
      {60, 7, 9},  // FICY's last stage
      {69, 9, 2},  // MYGP, after FIGP
  };
  class ThrowingProgress : public modeltest::RecordingProgress {
   public:
    explicit ThrowingProgress(int at) : At_(at) {}
    void ProcessMessages() override {
      if (++Pumps == At_) throw std::runtime_error("stop");
    }

   private:
    int At_;
  };
  const std::array<double*, 9> endDates{
      &cMyExternEQSLGraphicData.EndDate, &cMyExternEQQVGraphicData.EndDate, &cMyExternEQBLGraphicData.EndDate,
      &cMyExternEQGPGraphicData.EndDate, &cMyExternFISLGraphicData.EndDate, &cMyExternFIGFGraphicData.EndDate,
      &cMyExternFICYGraphicData.EndDate, &cMyExternFIGPGraphicData.EndDate, &cMyExternMYGPGraphicData.EndDate};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pump);
    ResetRecords();
    for (double* endDate : endDates) *endDate = -1.0;  // a previous run's figure
    ThrowingProgress progress(c.pump);
    std::vector<std::uint32_t> announced;
    const models::TModelCalculationResult result =
        models::CalculateModels(false, progress, [&](std::uint32_t k) { announced.push_back(k); });
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.ModelNumber, c.model);
    EXPECT_EQ(result.ModelStep, c.step);
    EXPECT_EQ(result.FailureText, models::ModelFailureText(models::kModelCodes.at(c.model - 1), c.step));
    EXPECT_EQ(progress.Texts.size(), static_cast<std::size_t>(c.pump));
    EXPECT_EQ(progress.Texts.back(), models::ProgressText(c.step));
    EXPECT_EQ(announced.size(), c.model);
    EXPECT_EQ(announced.back(), c.model);
    for (std::uint32_t k = 1; k <= 9; ++k) {
      if (k == c.model) continue;  // left as far as it came
      EXPECT_EQ(*endDates.at(k - 1) == -1.0, k > c.model) << models::kModelCodes.at(k - 1);
    }
  }
}

// Every value of the nine records and of the lists and portfolios behind them,
// digested after a calculation on the sample data (a fixed day), on fresh
// records and again on the records of that run: a change of any figure, even
// in its last bit, fails here. The digests were taken from the calculation
// before its speed work.
TEST_P(SampleDataRun, EveryValueMatchesItsPinnedDigest) {
  const bool intraMonth = GetParam();
  const std::uint64_t pinned = intraMonth ? 0xc2f9c4b4a5b9359bULL : 0x3c9487221b3b8bebULL;
  ResetRecords();
  for (const char* records : {"fresh records", "records of the run before"}) {
    SCOPED_TRACE(records);
    Calculate(intraMonth);
    RecordWalk walk;
    walk.All();
    DeepWalk all;
    all.Everything();
    EXPECT_EQ(all.Digest, pinned) << std::hex << "records 0x" << walk.Digest << ", everything 0x" << all.Digest;
  }
}

// The monthly and the intra-month calculation, apart so that they run side by side.
INSTANTIATE_TEST_SUITE_P(RunKind, SampleDataRun, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& kind) {
  return kind.param ? "IntraMonth" : "Monthly";
});

}  // namespace
