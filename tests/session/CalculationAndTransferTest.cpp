// The calculation step and the model-state transfer on the sample data.

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "SessionTestSupport.h"
#include "common/Globals.h"
#include "SampleWorkData.h"
#include "platform/DateTime.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"
#include "session/ModelStateTransfer.h"

namespace {

using sessiontest::TRecordingReporter;
using sessiontest::TTestTransport;

// Equal names and, asset by asset, equal series and intra-month points.
bool SameCountries(const std::vector<TCountry>& a, const std::vector<TCountry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].Name != b[i].Name) return false;
    for (int type = atIndex; type <= atSpotFx; ++type) {
      const std::vector<TAssetSeries>& x = *AssetsOfType(a[i], type);
      const std::vector<TAssetSeries>& y = *AssetsOfType(b[i], type);
      if (x.size() != y.size()) return false;
      for (std::size_t k = 0; k < x.size(); ++k)
        if (x[k].ID != y[k].ID || x[k].Series != y[k].Series || !(x[k].FirstDailyPoint == y[k].FirstDailyPoint))
          return false;
    }
  }
  return true;
}

// The loaded sample data in the shared globals while a test runs.
class SampleGlobals : public ::testing::Test {
 protected:
  void SetUp() override {
    const modeltest::TSampleWorkData& data = modeltest::SampleWorkData();
    vcMyExternCountryList = data.Countries;
    usMyExternUserSettings = data.Settings;
    cMyExternEQSLGraphicData.StartDate = 12345.0;  // a shown result
    cMyExternFICYGraphicData.StartDate = 12345.0;
  }
  void TearDown() override {
    vcMyExternCountryList.clear();
    usMyExternUserSettings = {};
    cMyExternEQSLGraphicData = {};
    cMyExternFICYGraphicData = {};
  }
  bool GlobalsAsLoaded() const {
    const modeltest::TSampleWorkData& data = modeltest::SampleWorkData();
    return SameCountries(vcMyExternCountryList, data.Countries) && usMyExternUserSettings == data.Settings;
  }
};

TEST_F(SampleGlobals, CalculationRunsTheNineModelsOnCopiesWithIntraMonthPoints) {
  sessiontest::TStepBench bench;
  bench.Context.IntraMonth = true;
  const session::TUpdateStep step = bench.Run(9);
  EXPECT_EQ(step.ErrorText, "");
  EXPECT_EQ(step.ModelNumber, 10);
  std::vector<std::pair<int, bool>> lit;
  for (int k = 1; k <= 10; ++k) lit.emplace_back(k, true);
  EXPECT_EQ(bench.Reporter.Lamps, lit);
  EXPECT_TRUE(GlobalsAsLoaded());
  // The models worked on series that end with the intra-month point and stay ascending.
  ASSERT_FALSE(cMyExternEQSLGraphicData.Countries.empty());
  bool intraMonthSeen = false;
  for (const TCountry& country : cMyExternEQSLGraphicData.Countries)
    for (int type = atIndex; type <= atSpotFx; ++type)
      for (const TAssetSeries& asset : *AssetsOfType(country, type)) {
        EXPECT_TRUE(std::adjacent_find(asset.Series.begin(), asset.Series.end(),
                                       [](const auto& x, const auto& y) { return x.Date >= y.Date; }) ==
                    asset.Series.end())
            << country.Name << " " << asset.ID;
        intraMonthSeen =
            intraMonthSeen || (!asset.Series.empty() && asset.Series.back().Date == platform::EncodeDate(2026, 3, 31));
      }
  EXPECT_TRUE(intraMonthSeen);
}

TEST_F(SampleGlobals, AFailingModelLeavesItsNumberAndStage) {
  vcMyExternCountryList.clear();
  sessiontest::TStepBench bench;
  const session::TUpdateStep step = bench.Run(9);
  EXPECT_EQ(step.ModelNumber, 1);
  EXPECT_EQ(step.ModelStep, 1);
  EXPECT_EQ(bench.Reporter.Lamps, (std::vector<std::pair<int, bool>>{{1, true}}));
  EXPECT_EQ(cMyExternEQSLGraphicData.StartDate, 12345.0);  // the shown result stays
}

// Two reports, "OFFICIAL1" then "INTRA-MONTH1"; a refused first upload ends
// the transfer after pass 1 with the client's message. Either way the shared
// data and the shown results stay as they were.
TEST_F(SampleGlobals, TransferUploadsOneReportPerPass) {
  for (const std::string refusal : {"", "Refused"}) {
    TTestTransport transport;
    transport.Script = [&](const TSQLRequest&) { return std::optional<std::string>(WriteStatusReply("", refusal)); };
    TQVDBClient client(transport, "NO_RESULT");
    TRecordingReporter reporter;
    std::string errorText = "old";
    EXPECT_EQ(session::TransferModelStates(errorText, reporter, client), refusal.empty());
    EXPECT_EQ(errorText, refusal);
    const std::vector<std::string> reports = transport.Statements(11);
    ASSERT_EQ(reports.size(), refusal.empty() ? 2u : 1u);
    EXPECT_NE(reports[0].find("\"OFFICIAL1\""), std::string::npos);
    if (refusal.empty()) {
      EXPECT_NE(reports[1].find("\"INTRA-MONTH1\""), std::string::npos);
    }
    std::vector<std::pair<int, bool>> lamps;
    for (std::size_t pass = 0; pass < reports.size(); ++pass) {
      for (int k = 1; k <= 10; ++k) lamps.emplace_back(k, false);
      for (int k = 1; k <= 10; ++k) lamps.emplace_back(k, true);
    }
    EXPECT_EQ(reporter.Lamps, lamps);
    EXPECT_TRUE(GlobalsAsLoaded());
    EXPECT_EQ(cMyExternEQSLGraphicData.StartDate, 12345.0);
    EXPECT_EQ(cMyExternFICYGraphicData.StartDate, 12345.0);
  }
}

TEST(ModelStateTransfer, WithoutAnEquityIndexSeriesNothingRuns) {
  TCountry country;
  country.Name = "USA";
  const std::vector<TCountry> saved = std::exchange(vcMyExternCountryList, {country});
  TTestTransport transport;
  TQVDBClient client(transport, "NO_RESULT");
  TRecordingReporter reporter;
  std::string errorText;
  EXPECT_FALSE(session::TransferModelStates(errorText, reporter, client));
  vcMyExternCountryList = saved;
  EXPECT_EQ(errorText, session::kTransferNoEquityIndexText);
  EXPECT_TRUE(transport.Sent.empty());
  EXPECT_TRUE(reporter.Lamps.empty());
}

TEST(ModelStateTransfer, SettingsWeighTheListedCountriesEqually) {
  auto country = [](const char* name, const char* region, int rank) {
    TCountry c;
    c.Name = name;
    c.RegionName = region;
    c.Rank = rank;
    TAssetSeries equity;
    equity.ID = "EQINDEX";
    equity.Series = {{100.0, 1.0}, {131.0, 2.0}};
    c.IndexAssets = {equity};
    return c;
  };
  TUserSettings user;
  user.RiskFreeId = "RISKFREEASSET1";
  user.CountrySettings = {TCountrySettings{}};
  TUserSettings settings;
  ASSERT_TRUE(session::BuildTransferSettings(
      user, {country("Usa", "North America", 1), country("Euro Area", "Europe", 2), country("Atlantis", "Sea", 3)},
      settings));
  EXPECT_EQ(settings.PortfolioCcy, "USD");
  EXPECT_EQ(settings.RiskFreeId, "RISKFREEASSET1");
  EXPECT_TRUE(settings.FxHedging);
  EXPECT_EQ(settings.InceptionDate, 100.0);
  EXPECT_EQ(settings.EndDate, 131.0);
  struct TRow {
    const char* Name;
    double Eq, Fi;
  };
  const std::vector<TRow> rows{{"Usa", 2.5, 100.0 / 28.0}, {"Euro Area", 2.5, 0.0}, {"Atlantis", 0.0, 0.0}};
  ASSERT_EQ(settings.CountrySettings.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TCountrySettings& s = settings.CountrySettings[i];
    EXPECT_EQ(s.CountryName, rows[i].Name);
    EXPECT_EQ(s.CountryRank, static_cast<int>(i) + 1);
    EXPECT_DOUBLE_EQ(s.EqWeight, rows[i].Eq) << rows[i].Name;
    EXPECT_DOUBLE_EQ(s.FiWeight, rows[i].Fi) << rows[i].Name;
    EXPECT_DOUBLE_EQ(s.CyWeight, rows[i].Fi) << rows[i].Name;
  }
}

}  // namespace
