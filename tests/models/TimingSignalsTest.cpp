// Signal rows, position rows and position tables of the timing models.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "models/equity/TimingModel.h"
#include "portfolio/ModelError.h"

namespace {

using namespace testcountries;
using models::TTimingKind;

// Three countries on a grid of eight month ends from January 2000 (USA's
// QVSIGNAL). GERMANY's signals start three grid dates late; JAPAN (emerging)
// carries a BLSIGNAL that starts before the grid, and three rule assets each.
class TimingSignalsTest : public ::testing::Test {
 protected:
  TimingSignalsTest() {
    TCountry usa = MakeCountry("USA", "USD");
    TCountry germany = MakeCountry("GERMANY", "EUR", "Europe (Euro)");
    TCountry japan = MakeCountry("JAPAN", "JPY", "Japan");
    usa.IsDevelopped = germany.IsDevelopped = true;
    Asset(usa, atSignal, "QVSIGNAL") = Monthly(2000, 1, {1, 0, 0, 1, 1, 0, 1, 1});
    Asset(usa, atSignal, "BLSIGNAL") = Monthly(2000, 1, {0, 0, 1, 1, 1, 1, 0, 1});
    Asset(germany, atSignal, "QVSIGNAL") = Monthly(2000, 4, {0, 1, 1, 0, 1});
    Asset(germany, atSignal, "BLSIGNAL") = Monthly(2000, 4, {1, 1, 0, 0, 0});
    Asset(japan, atSignal, "QVSIGNAL") = Monthly(2000, 2, {1, 1, 1, 1, 1, 1, 1});
    Asset(japan, atSignal, "BLSIGNAL") = Monthly(1999, 10, {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 0, 0});
    for (TCountry* c : {&usa, &germany, &japan}) {
      c->RuleAssets = {MakeAsset(c->Name, "RULE1", "Rule 1", atRule), MakeAsset(c->Name, "RULE2", "Rule 2", atRule),
                       MakeAsset(c->Name, "RULE3", "Rule 3", atRule)};
      Asset(*c, atRule, "RULE2") = Monthly(2000, 6, {2.0, 3.0, 1.0});
    }
    result_.Countries = {usa, germany, japan};
    result_.EndDate = MonthEnd(2000, 7);  // cuts the last grid date
    result_.Values1 = {{MonthEnd(2000, 8), 1.0}, {1.0, -1.0}, {MonthEnd(2000, 8), 0.0}};
    result_.CountryData.resize(3);
  }

  TEQBLGraphicData result_;
  ScopedCountryList countries_{result_.Countries};
};

TEST_F(TimingSignalsTest, SignalRowsOnTheGrid) {
  models::LoadTimingSignals(TTimingKind::EQBL, result_);
  ASSERT_EQ(result_.Rows1.size(), 3u);
  EXPECT_EQ(result_.Rows1[1].Labels, (std::vector<std::string>{"GERMANY", "Europe (Euro)"}));
  EXPECT_TRUE(ValuesNear(result_.Rows1[0].Series, {0, 0, 1, 1, 1, 1, 0}));
  EXPECT_TRUE(ValuesNear(result_.Rows1[1].Series, {-1, -1, -1, 1, 1, 0, 0}));
  // Points before the grid's first date are dropped.
  EXPECT_TRUE(ValuesNear(result_.Rows1[2].Series, std::vector<double>(7, 1.0)));
  EXPECT_EQ(result_.Rows1[2].Series.front().Date, MonthEnd(2000, 1));
  ASSERT_EQ(result_.Rows2.size(), 2u);
  ASSERT_EQ(result_.Rows3.size(), 1u);
  EXPECT_EQ(result_.Rows3[0].Labels[0], "JAPAN");

  ASSERT_EQ(result_.Rows4.size(), 3u);
  EXPECT_EQ(result_.Rows4[1].Series, (TSeries{{MonthEnd(2000, 7), 0.0}}));
  ASSERT_EQ(result_.Rows5.size(), 3u);
  EXPECT_EQ(result_.Rows5[2].Series, (TSeries{{MonthEnd(2000, 8), 0.0}}));
  EXPECT_EQ(result_.Rows5[2].Labels, (std::vector<std::string>{"JAPAN", "Japan"}));
}

TEST_F(TimingSignalsTest, EQBLPositionsMarkMissingDataAndFollowTheSharedSettings) {
  // The shared settings drop GERMANY; the run's own weights do not matter.
  TUserSettings shared = MakeSettings(result_.Countries, 30.0, 0.0, 0.0);
  shared.CountrySettings[1].EqWeight = 0.0;
  modeltest::ScopedUserSettings global(shared);
  result_.Total.Summaries.resize(3);
  for (TCountryModelSummary& s : result_.Total.Summaries) s.EqWeight = 30.0;

  models::ComputeTimingPositions(TTimingKind::EQBL, result_);
  ASSERT_EQ(result_.CountryData[1].Rows.size(), 1u);
  EXPECT_EQ(result_.CountryData[1].Name, "GERMANY");
  EXPECT_EQ(result_.CountryData[1].Rows[0].Labels, std::vector<std::string>{"BL Signal"});
  EXPECT_TRUE(ValuesNear(result_.CountryData[1].Rows[0].Series, {-2, -2, -2, 1, 1, 0, 0}));
  EXPECT_FALSE(result_.CountryData[1].Rows[0].Selected);

  ASSERT_EQ(result_.GroupRows.size(), 1u);
  const TPositionTable& table = result_.GroupRows[0];
  ASSERT_EQ(table.AllRows.size(), 3u);
  EXPECT_TRUE(table.AllRows[0].Selected);
  EXPECT_EQ(table.AllRows[0].Series, result_.CountryData[0].Rows[0].Series);
  EXPECT_FALSE(table.AllRows[1].Selected);
  EXPECT_TRUE(ValuesNear(table.AllRows[1].Series, std::vector<double>(7, -1.0)));
  ASSERT_EQ(table.DevelopedRows.size(), 2u);
  ASSERT_EQ(table.EmergingRows.size(), 1u);
  EXPECT_EQ(table.EmergingRows[0].Labels, (std::vector<std::string>{"JAPAN", "Japan"}));
}

TEST_F(TimingSignalsTest, EQQVRowsSeparatorAndOneTablePerRuleAsset) {
  modeltest::ScopedUserSettings global(MakeSettings(result_.Countries, 30.0, 0.0, 0.0));
  models::ComputeTimingPositions(TTimingKind::EQQV, result_);
  const std::vector<TLabelledSeries>& rows = result_.CountryData[0].Rows;
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_TRUE(ValuesNear(rows[0].Series, {1, 0, 0, 1, 1, 0, 1}));
  EXPECT_EQ(rows[1].Labels, std::vector<std::string>{""});
  EXPECT_TRUE(ValuesNear(rows[1].Series, std::vector<double>(7, -1.0)));
  EXPECT_EQ(rows[3].Labels, std::vector<std::string>{"Rule 2"});
  EXPECT_TRUE(ValuesNear(rows[3].Series, {-2, -2, -2, -2, -2, 2, 3}));
  EXPECT_TRUE(ValuesNear(rows[2].Series, std::vector<double>(7, -2.0)));

  ASSERT_EQ(result_.GroupRows.size(), 4u);
  for (std::size_t m = 1; m < 4; ++m)
    EXPECT_EQ(result_.GroupRows[m].AllRows[2].Series, result_.CountryData[2].Rows[m + 1].Series) << "table " << m;
  EXPECT_EQ(result_.GroupRows[0].AllRows[1].Series, result_.CountryData[1].Rows[0].Series);
}

TEST_F(TimingSignalsTest, NoSignalGridIsAModelFailure) {
  for (TCountry& c : result_.Countries.Edit()) Asset(c, atSignal, "QVSIGNAL").clear();
  for (TTimingKind kind : {TTimingKind::EQBL, TTimingKind::EQQV})
    EXPECT_THROW(models::LoadTimingSignals(kind, result_), EModelError);
  // A grid that starts after EndDate cannot be placed either.
  Asset(result_.Countries.Edit()[0], atSignal, "QVSIGNAL") = Monthly(2001, 1, {1.0, 1.0});
  EXPECT_THROW(models::LoadTimingSignals(TTimingKind::EQQV, result_), EModelError);
}

}  // namespace
