// Reading a kind-8 reply (table rows) into TDataRow: rows per second and the
// memory the read needs on top of the reply text.
//
// Memory is measured by counting the bytes held through operator new: the
// peak of live bytes during one read, minus the bytes live before it.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "data/QVDBCodec.h"

namespace {

constexpr std::size_t kRows = 300000;

// 40 countries x 18 assets per date, monthly dates from 1990, values with the
// digits a stored price or rate carries.
const std::string& TableReply() {
  static const std::string reply = [] {
    std::vector<TDataRow> rows;
    rows.reserve(kRows);
    const char* assets[18] = {"EQINDEX",        "10YRATEINDEX",   "AUINDEX", "IBINDEX1", "IBINDEX2", "CASH",
                              "RISKFREEASSET1", "RISKFREEASSET2", "RULE2",   "BLSIGNAL", "QVSIGNAL", "SPOTFX",
                              "ASSET13",        "ASSET14",        "ASSET15", "ASSET16",  "ASSET17",  "ASSET18"};
    for (std::size_t i = 0; i < kRows; ++i) {
      const std::size_t date = i / (40 * 18), country = (i / 18) % 40, asset = i % 18;
      TDataRow row;
      row.CountryName = "COUNTRY NAME " + std::to_string(country);
      row.AssetId = assets[asset];
      row.Point.Date = 32874.0 + 30.4375 * static_cast<double>(date);
      row.Point.Value = std::round(1000.0 * (100.0 + 50.0 * std::sin(0.001 * static_cast<double>(i)))) / 1000.0;
      rows.push_back(std::move(row));
    }
    return WriteTableRowsReply(rows, "");
  }();
  return reply;
}

void BM_ReadTableRowsReply(benchmark::State& state) {
  const std::string& reply = TableReply();
  std::size_t peakExtra = 0;
  std::size_t rowCount = 0;
  for (auto _ : state) {
    std::vector<TDataRow> rows;
    std::string error;
    const std::size_t before = allocation_counter::LiveBytes();
    allocation_counter::ResetPeak();
    ReadTableRowsReply(error, reply, rows);
    peakExtra = allocation_counter::PeakBytes() - before;
    rowCount = rows.size();
    if (!error.empty() || rowCount != kRows) state.SkipWithError(error.empty() ? "row count" : error.c_str());
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * rowCount));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
  state.counters["rows"] = static_cast<double>(rowCount);
  state.counters["reply_MB"] = static_cast<double>(reply.size()) / 1e6;
  state.counters["peak_heap_MB"] = static_cast<double>(peakExtra) / 1e6;
  state.counters["peak_per_reply_byte"] = static_cast<double>(peakExtra) / static_cast<double>(reply.size());
  state.counters["row_bytes"] = static_cast<double>(sizeof(TDataRow));
}
BENCHMARK(BM_ReadTableRowsReply)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
