#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/Globals.h"
#include "session/MainTitles.h"

namespace session {
namespace {

// A first country whose risk-free assets carry the three standard titles and one other.
class MainTitlesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TCountry country;
    for (const auto& [id, title] : std::vector<std::pair<std::string, std::string>>{
             {"RF1", "10Y Gov Bond"}, {"RF2", "2Y Gov Bond"}, {"RF3", "1M Cash"}, {"RF4", "5Y Gov && Note"}}) {
      TAssetSeries asset;
      asset.ID = id;
      asset.Title = title;
      country.RiskFreeAssets.push_back(asset);
    }
    saved_ = std::exchange(vcMyExternCountryList, {country});
    countries_.resize(2);
    countries_[0].Name = "Atlantis";
    countries_[1].Name = "Borduria";
  }
  void TearDown() override { vcMyExternCountryList = saved_; }

  TMainTitles Titles(int tab, int sub, int view, const std::string& riskFree = "RF1", int country = 0) {
    TViewState state;
    state.SelectedMainTab = tab;
    (tab == 0 ? state.GlobalSubIndex : tab == 1 ? state.EquitySubIndex : state.BondSubIndex) = sub;
    state.CountryListIndex = country;
    return UpdateMainTitles(state, view, riskFree, countries_);
  }

  std::vector<TCountry> saved_;
  std::vector<TCountryModelData> countries_;
};

struct ViewCase {
  int Tab, Sub, View;
  const char *Title1, *Title2, *Title3, *Title4;
};

TEST_F(MainTitlesTest, ViewsOfEachTable) {
  const std::string eqsl = "Portfolio excess return above cash versus equity benchmark";
  const ViewCase cases[] = {
      {0, 0, 0, "Global Equity/Bond Strategy", "In a one-shot view", "", ""},
      {0, 0, 12, "Global Equity/Bond Strategy", "Combines global equity strategy and global bond strategy", "",
       "Model parameters"},
      {1, 0, 0, "Global Equity Strategy", "Combines portfolio concentration, macro risk, and behavioral risk",
       "Historical equity & 10Y bond allocations", ""},
      {1, 1, 8, "Equity Risk Premium Ranking", nullptr, eqsl.c_str(), "Successive Dradowns"},
      {1, 1, 10, nullptr, nullptr, "Portfolio excess return above cash", "Model parameters"},
      {1, 2, 0, "Macro Equity Risk", "Equity indices when macro risk On, risk-free when Off", "", ""},
      {1, 2, 2, nullptr, nullptr, "7 macro factors combined to calculate risk position", "Atlantis"},
      {1, 3, 2, "Behavioral Equity Risk", nullptr, "Behavioral strategy to calculate risk position", "Atlantis"},
      {1, 2, 8, nullptr, nullptr, "Strategy total return", "Atlantis - Selected Model Parameters"},
      {1, 3, 11, nullptr, nullptr, "Equity equity & 10Y bond allocations", ""},
      {1, 2, 14, nullptr, nullptr, "          Historical 10Y bond allocations", ""},
      {1, 2, 17, nullptr, nullptr, nullptr, "Successive Dradowns"},
      {1, 3, 17, nullptr, nullptr, nullptr, "Successive Drawdowns"},
      {1, 2, 19, nullptr, nullptr, "Strategy total return", "Model parameters"},
      {1, 3, 19, nullptr, nullptr, "Strategy total return", "Selected Model Parameters"},
      {2, 0, 1, "Global Bond Strategy", nullptr, "Asset class allocations versus bond benchmark", ""},
      {2, 1, 6, "Fixed-Rate Bond Ranking", nullptr, "Portfolio excess return above cash versus bond bernchmark",
       "Excess Performance"},
      {2, 2, 4, "Currency Ranking", "Best currency portfolio given the selected maximum FX risk",
       "Historical currency Allocations", ""},
      {2, 2, 7, nullptr, nullptr, "Strategy total return versus porfolio currency return", "Net Asset values"},
      {2, 3, 0, "Monetary Debasement Risk", nullptr, "FIAT currencies\xE2\x80\x99 debasement", ""},
      {2, 3, 9, nullptr, nullptr, "Strategy excess return above cash versus bond benchmark", "1 Year Rolling Returns"},
  };
  for (const ViewCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "tab " << c.Tab << " sub " << c.Sub << " view " << c.View);
    const TMainTitles t = Titles(c.Tab, c.Sub, c.View);
    if (c.Title1) {
      EXPECT_EQ(t.Title1, c.Title1);
    }
    if (c.Title2) {
      EXPECT_EQ(t.Title2, c.Title2);
    }
    if (c.Title3) {
      EXPECT_EQ(t.Title3, c.Title3);
    }
    EXPECT_EQ(t.Title4, c.Title4);
  }
}

TEST_F(MainTitlesTest, UnlistedSelectionsAndViewsAreEmpty) {
  const int cases[][3] = {{3, 0, 0},  {0, -1, 1}, {1, 4, 1},  {2, -1, 1}, {0, 0, 13}, {1, 0, 10}, {1, 1, 11},
                          {1, 2, 20}, {1, 3, 20}, {2, 0, 10}, {2, 1, 11}, {2, 2, 11}, {2, 3, 11}, {1, 2, 7},
                          {1, 3, 7},  {2, 3, 2},  {2, 3, 3},  {0, 0, -1}, {1, 0, -1}};
  for (const auto& c : cases) {
    const TMainTitles t = Titles(c[0], c[1], c[2]);
    EXPECT_EQ(t.Title1 + t.Title2 + t.Title3 + t.Title4, "") << c[0] << " " << c[1] << " " << c[2];
  }
}

TEST_F(MainTitlesTest, RiskFreeLabelAndCountryName) {
  EXPECT_EQ(Titles(1, 2, 15, "RF1").Title3, "10Y bond allocations");
  EXPECT_EQ(Titles(1, 2, 15, "RF2").Title3, "2Y bond allocations");
  EXPECT_EQ(Titles(1, 3, 15, "RF3").Title3, "1M cash allocations");
  EXPECT_EQ(Titles(1, 0, 1, "RF4").Title3, "Equity & 5Y Gov & Note allocations");
  EXPECT_EQ(Titles(1, 2, 15, "MISSING").Title3, " allocations");
  vcMyExternCountryList.clear();
  EXPECT_EQ(Titles(1, 0, 0, "RF1").Title3, "Historical equity &  allocations");

  EXPECT_EQ(Titles(1, 2, 3, "RF1", 1).Title4, "Borduria - Performance");
  EXPECT_EQ(Titles(1, 3, 3, "RF1", 1).Title4, "Borduria - Performance");
  EXPECT_EQ(Titles(1, 2, 3, "RF1", 2).Title4, " - Performance");  // outside the list: no name
  EXPECT_EQ(Titles(1, 3, 2, "RF1", -1).Title4, "");
}

}  // namespace
}  // namespace session
