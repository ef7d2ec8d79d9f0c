// Local market-data file: storing a full download of monthly rows and loading
// them back into the country list the way the work-data step does.
//   300,240 rows = 18 assets x 40 countries x 417 months.
// Counters: rows/s = rows stored (or loaded) / elapsed seconds.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/LocalQuorvaneDB.h"

namespace {

constexpr int kCountries = 40;
constexpr int kAssets = 18;
constexpr int kMonths = 417;

std::string CountryName(int c) { return "COUNTRY " + std::to_string(c + 1); }
std::string AssetId(int a) { return "ASSET" + std::to_string(a + 1); }

// Server order: ascending date, then country, then asset.
std::vector<TDataRow> MakeRows() {
  std::vector<TDataRow> rows;
  rows.reserve(static_cast<std::size_t>(kCountries) * kAssets * kMonths);
  for (int m = 0; m < kMonths; ++m) {
    const double date = 32873.0 + 30.4375 * m;  // from Jan 1990, about one month apart
    for (int c = 0; c < kCountries; ++c) {
      for (int a = 0; a < kAssets; ++a) {
        rows.push_back(TDataRow{CountryName(c), AssetId(a), TDataPoint{date, 100.0 + 0.01 * (m + c + a)}});
      }
    }
  }
  return rows;
}

std::vector<TCountry> MakeCountries() {
  std::vector<TCountry> countries;
  for (int c = 0; c < kCountries; ++c) {
    TCountry country;
    country.Name = CountryName(c);
    country.RegionName = "Region";
    country.Currency = "EUR";
    country.Rank = c + 1;
    countries.push_back(country);
  }
  return countries;
}

std::vector<TAssetSeries> MakeAssets() {
  std::vector<TAssetSeries> assets;
  for (int a = 0; a < kAssets; ++a) {
    TAssetSeries asset;
    asset.ID = AssetId(a);
    asset.Title = "Asset " + std::to_string(a + 1);
    asset.Type = a % 5;
    assets.push_back(asset);
  }
  return assets;
}

class Folder {
 public:
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) Path = pattern;
    ::setenv("QUORVANE_HOME", Path.c_str(), 1);
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  std::string Path;
};

// Opens an empty market-data file in a fresh folder.
void OpenEmpty(TLocalQuorvaneDB& db) {
  db.DatabaseKind = kMarketDataDatabase;
  db.Connect();
  if (!db.LastMessage.empty() || !db.CreateMarketDataTables()) throw std::runtime_error(db.LastMessage);
}

void BM_StoreSeriesRows(benchmark::State& state) {
  const TDataRowSet rows(MakeRows());
  for (auto _ : state) {
    state.PauseTiming();
    Folder folder;
    TLocalQuorvaneDB db;
    OpenEmpty(db);
    state.ResumeTiming();
    db.InsertSeriesRows("DATA", rows, nullptr);
    state.PauseTiming();
    db.Disconnect();
    state.ResumeTiming();
  }
  state.counters["rows"] = static_cast<double>(rows.size());
  state.counters["rows/s"] = benchmark::Counter(
      static_cast<double>(rows.size()) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StoreSeriesRows)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_LoadIntoCountryList(benchmark::State& state) {
  Folder folder;
  TLocalQuorvaneDB db;
  OpenEmpty(db);
  db.SaveCountryList(MakeCountries());
  db.SaveAssetList(MakeAssets());
  db.InsertSeriesRows("DATA", MakeRows(), nullptr);
  std::size_t loaded = 0;
  for (auto _ : state) {
    std::vector<TCountry> countries = db.LoadCountryList();
    for (TCountry& country : countries) {
      for (int type = 0; type <= 4; ++type) {
        std::vector<TAssetSeries>& assets = *AssetsOfType(country, type);
        assets = db.LoadAssetList(country.Name, type);
        for (TAssetSeries& asset : assets) {
          asset.FirstDailyPoint = db.LoadSeriesBis(country.Name, asset.ID);
          asset.Series = db.LoadSeries(country.Name, asset.ID);
          loaded += asset.Series.size();
        }
      }
    }
    benchmark::DoNotOptimize(countries);
  }
  state.counters["rows"] = static_cast<double>(loaded) / static_cast<double>(state.iterations());
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(loaded), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadIntoCountryList)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
