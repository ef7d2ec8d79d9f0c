#include "models/equity/RankingModel.h"

namespace models {

void ComputeRankingBenchmark(TPortfolioPerformance& performance, const TSLPortfolio& model,
                             const TSLPortfolio& benchmark) {
  performance.Parameters.PortfolioCcy = model.PortfolioCcy;
  performance.ModelName = "(In " + performance.Parameters.PortfolioCcy + ")";
  performance.BenchmarkName = "Benchmark (In " + performance.Parameters.PortfolioCcy + ")";
  performance.ModelReturns = model.Returns;
  performance.BenchmarkReturns = benchmark.Returns;
  performance.Statistics.RiskFreeRate = 0.0;
}

}  // namespace models
