#pragma once
// Builders and checks shared by the tests of the global models (EQGP, FIGF,
// FIGP, MYGP): the country lists of their whole runs, an entry runner, and
// the checks of the dated asset split and the asset rows.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "portfolio/GlobalResultRecords.h"

namespace globaltest {

using namespace testcountries;


// Equity +2 %, cash +0.5 %, government bonds +0.3 % a month over 36 month
// ends from January 2000, QVSIGNAL and BLSIGNAL 1.0, in `region`.
inline TCountry SignalledEquityCountry(const std::string& name, const std::string& ccy, const std::string& region) {
  TCountry c = EquityCountry(name, ccy, 2000, 1, 36, 0.02, 0.005);
  c.RegionName = region;
  Asset(c, atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, 36, 100.0, 0.003);
  Asset(c, atSignal, "QVSIGNAL") = Constant(2000, 1, 36, 1.0);
  Asset(c, atSignal, "BLSIGNAL") = Constant(2000, 1, 36, 1.0);
  return c;
}

// One run of a model entry (monthly, official data) on a record kept between
// runs; the progress texts are those of the last run.
template <class Record, auto Compute>
struct EntryRun {
  Record result;
  modeltest::RecordingProgress progress;
  std::uint32_t step = 0;
  std::string failure;
  void Run(const std::vector<TCountry>& countries, const TUserSettings& settings) {
    progress.Texts.clear();
    Compute(&result, countries, settings, 0, false, failure, progress, step);
  }
};

// A dated row of the asset split: its date, total 1.0, and the holdings
// `names` with the weights `weights` (within 1e-12).
inline void ExpectSplitRow(const TAllocationRow& row, double date, const std::vector<std::string>& names,
                           const std::vector<double>& weights) {
  EXPECT_EQ(row.Date, date);
  EXPECT_EQ(row.TotalWeight, 1.0);
  ASSERT_EQ(row.Holdings.size(), names.size());
  for (std::size_t k = 0; k < names.size(); ++k) {
    EXPECT_EQ(row.Holdings[k].Name, names[k]) << k;
    EXPECT_NEAR(row.Holdings[k].Weight, weights[k], 1e-12) << names[k] << " " << k;
  }
}

// The asset rows: names and groups exact, model values within 1e-12, index
// values within `markTolerance` (0.0: exact).
inline void ExpectAssetShares(const std::vector<TAssetShareRow>& got, const std::vector<TAssetShareRow>& want,
                              double markTolerance) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].Name, want[i].Name) << i;
    EXPECT_NEAR(got[i].Share, want[i].Share, 1e-12) << i;
    EXPECT_NEAR(got[i].Mark, want[i].Mark, markTolerance) << i;
    EXPECT_EQ(got[i].Kind, want[i].Kind) << i;
  }
}

}  // namespace globaltest
