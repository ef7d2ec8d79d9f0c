#include "models/equity/PerformanceStage.h"

#include "common/Records.h"
#include "common/SeriesStatistics.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

template <class Record>
Record& RecordOf(Record* result) {
  if (result == nullptr) throw EModelError("statistics stage: no result record");
  return *result;
}

// The one statistics routine. `part` is the record's performance part (a
// TPortfolioPerformance or the EQGP TEQGPGraphicPart): its ModelReturns and
// BenchmarkReturns are measured, its Parameters.PortfolioCcy labels the
// figures, and the figures go to its Statistics.
template <class Part>
void RunStatisticsStage(Part& part, std::uint32_t frequency, const char* title, double equityInvested,
                        double turnover) {
  ComputePerformanceStatistics(part.Statistics, part.ModelReturns, part.BenchmarkReturns, title,
                               part.Parameters.PortfolioCcy, static_cast<int>(frequency), equityInvested, turnover);
}

}  // namespace

void ComputeEQSLStatistics(TEQSLGraphicData* result) {
  TEQSLGraphicData& r = RecordOf(result);
  // The model portfolio's turnover stands even when the model has no returns.
  RunStatisticsStage(r.Performance, r.Frequency, "Risk Portfolio", kNoFigure, r.ModelPortfolio.AnnualTurnover);
}

void ComputeFISLStatistics(TFISLGraphicData* result) {
  TFISLGraphicData& r = RecordOf(result);
  // Turnover: the model portfolio's annualised turnover (periods a year x mean turnover).
  RunStatisticsStage(r.Performance, r.Frequency, "Portfolio", kNoFigure, r.ModelPortfolio.AnnualTurnover);
}

void ComputeFICYStatistics(TFICYGraphicData* result) {
  TFICYGraphicData& r = RecordOf(result);
  RunStatisticsStage(r.Performance, r.Frequency, "Cash Portfolio", kNoFigure, kNoFigure);
}

void ComputeFIGFStatistics(TFIGFGraphicData* result) {
  TFIGFGraphicData& r = RecordOf(result);
  RunStatisticsStage(r.Performance, r.Frequency, "Fixed Rate Bond vs Gold And TIPS", kNoFigure, kNoFigure);
}

void ComputeFIGPStatistics(TFIGPGraphicData* result) {
  TFIGPGraphicData& r = RecordOf(result);
  RunStatisticsStage(r.Performance, r.Frequency, "Fixed Rate Bond vs Gold And TIPS", kNoFigure, kNoFigure);
}

void ComputeEQGPStatistics(TEQGPGraphicData* result) {
  TEQGPGraphicData& r = RecordOf(result);
  // The timed portfolio (Benchmark) is the EQGP model. With model returns:
  //   EquityInvested = mean of its exposure series (total equity weight),
  //   Turnover = periods a year x mean of its turnover series;
  // without, both kNoFigure.
  double equityInvested = kNoFigure;
  double turnover = kNoFigure;
  if (!r.Total.ModelReturns.empty()) {
    equityInvested = MeanValue(r.Benchmark.ExposureSeries);
    turnover = AnnualizedTurnover(r.Benchmark.TurnoverSeries, r.Frequency, false);
  }
  RunStatisticsStage(r.Total, r.Frequency, "Cash && Risk Portfolio", equityInvested, turnover);
}

}  // namespace models
