#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "common/Records.h"

namespace {

TEST(RecordsTest, GlobalsStartEmpty) {
  EXPECT_TRUE(vcMyExternCountryList.empty());
  EXPECT_TRUE(vptMyExternPortfolioTemplateList.empty());
  EXPECT_TRUE(usMyExternUserSettings.CountrySettings.empty());
  EXPECT_EQ(usMyExternUserSettings.InceptionDate, 0.0);
  EXPECT_EQ(usMyExternUserSettings.EndDate, 0.0);
  EXPECT_EQ(usMyExternUserSettings.PortfolioCcy, "");
  EXPECT_EQ(usMyExternUserSettings.RiskFreeId, "");
}

TEST(RecordsTest, NewAssetHasTheMissingDailyPoint) {
  const TAssetSeries asset;
  EXPECT_TRUE(asset.ID.empty() && asset.Title.empty() && asset.CountryName.empty() && asset.Series.empty());
  // The month end of the missing date 2.0 (31 Jan 1900) with no value.
  EXPECT_EQ(asset.FirstDailyPoint, (TDataPoint{32.0, -1000000.0}));
}

TEST(RecordsTest, CopiedCountryOwnsItsSeries) {
  TCountry country;
  country.Name = "Japan";
  TAssetSeries index;
  index.ID = "EQINDEX";
  index.Series = {{1.0, 100.0}, {2.0, 101.0}};
  country.IndexAssets.push_back(index);
  country.SpotFxAssets.push_back(index);
  TCountry copy = country;
  copy.IndexAssets[0].Series[1].Value = 5.0;
  copy.SpotFxAssets.clear();
  EXPECT_EQ(country.IndexAssets[0].Series[1].Value, 101.0);
  EXPECT_EQ(country.SpotFxAssets.size(), 1u);
}

// Every member of two lists, series bit for bit.
bool SameLists(const std::vector<TCountry>& a, const std::vector<TCountry>& b) {
  const auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
  const auto sameSeries = [&](const TSeries& x, const TSeries& y) {
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i)
      if (bits(x[i].Date) != bits(y[i].Date) || bits(x[i].Value) != bits(y[i].Value)) return false;
    return true;
  };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const TCountry& x = a[i];
    const TCountry& y = b[i];
    if (x.Name != y.Name || x.RegionName != y.RegionName || x.Currency != y.Currency || x.IndexName != y.IndexName ||
        x.IndexTicker != y.IndexTicker || x.Rank != y.Rank || x.RegionRank != y.RegionRank ||
        x.IsDevelopped != y.IsDevelopped || x.ReverseQuote != y.ReverseQuote ||
        bits(x.EstimationDate) != bits(y.EstimationDate) || bits(x.EstimatedSignal) != bits(y.EstimatedSignal))
      return false;
    for (int type = atIndex; type <= atSpotFx; ++type) {
      const std::vector<TAssetSeries>& p = *AssetsOfType(x, type);
      const std::vector<TAssetSeries>& q = *AssetsOfType(y, type);
      if (p.size() != q.size()) return false;
      for (std::size_t k = 0; k < p.size(); ++k)
        if (p[k].CountryName != q[k].CountryName || p[k].ID != q[k].ID || p[k].Title != q[k].Title ||
            p[k].Type != q[k].Type || !(p[k].FirstDailyPoint == q[k].FirstDailyPoint) ||
            !sameSeries(p[k].Series, q[k].Series))
          return false;
    }
  }
  return true;
}

// A country with one asset of every type, its values shifted by `shift`.
TCountry ListCountry(const std::string& name, double shift) {
  TCountry c;
  c.Name = name;
  c.RegionName = name + " region";
  c.Currency = name.substr(0, 3);
  c.IndexName = name + " index";
  c.IndexTicker = "T" + name;
  c.Rank = 3 + static_cast<std::int32_t>(shift);
  c.RegionRank = 2 + static_cast<std::int32_t>(shift);
  c.IsDevelopped = shift == 0.0;
  c.ReverseQuote = shift > 1.0;
  c.EstimationDate = 45000.0 + shift;
  c.EstimatedSignal = shift;
  for (int type = atIndex; type <= atSpotFx; ++type) {
    TAssetSeries asset;
    asset.CountryName = name;
    asset.ID = name + std::to_string(type);
    asset.Title = "Title " + name;
    asset.Type = type + static_cast<std::int32_t>(shift);
    asset.Series = {{1.0, 0.0}, {2.0, 1.5 + shift}, {3.0, -2.0}};
    asset.FirstDailyPoint = {4.0, shift};
    AssetsOfType(c, type)->push_back(asset);
  }
  return c;
}

// CopyCountryList leaves the target equal to the source whatever it held:
// nothing, the source itself, another and longer list, or the source with
// -0.0 in place of 0.0 (equal by value, not by bits).
TEST(RecordsTest, CopiedListEqualsTheSourceWhateverTheTargetHeld) {
  const std::vector<TCountry> source{ListCountry("FRANCE", 0.0), ListCountry("ITALY", 0.25)};
  std::vector<TCountry> negativeZero = source;
  negativeZero[1].RiskFreeAssets[0].Series[0].Value = -0.0;
  std::vector<TCountry> other{ListCountry("SPAIN", 9.0), ListCountry("GREECE", 1.0), ListCountry("MALTA", 2.0)};
  other[0].IndexAssets.clear();
  other[1].RuleAssets.push_back(other[1].RuleAssets[0]);
  for (std::vector<TCountry> target : {std::vector<TCountry>{}, source, other, negativeZero}) {
    CopyCountryList(target, source);
    EXPECT_TRUE(SameLists(target, source));
  }
  std::vector<TCountry> self = source;
  CopyCountryList(self, self);
  EXPECT_TRUE(SameLists(self, source));
  TSeries series{{1.0, -0.0}};
  AssignSeries(series, TSeries{{1.0, 0.0}});
  EXPECT_FALSE(std::signbit(series[0].Value));
}

TEST(RecordsTest, AssetTypeCodesAndTexts) {
  const char* const names[] = {"INDEX", "RISK FREE ASSET", "RULE", "SIGNAL", "SPOT FX"};
  TCountry country;
  const std::vector<TAssetSeries>* arrays[] = {&country.IndexAssets, &country.RiskFreeAssets, &country.RuleAssets,
                                               &country.SignalAssets, &country.SpotFxAssets};
  for (int type = 0; type < 5; ++type) {
    EXPECT_STREQ(AssetTypeName(type), names[type]);
    EXPECT_EQ(AssetTypeFromName(names[type]), type);
    EXPECT_EQ(AssetsOfType(country, type), arrays[type]);
    EXPECT_EQ(AssetsOfType(static_cast<const TCountry&>(country), type), arrays[type]);
  }
  for (int type : {-1, 5}) {
    EXPECT_STREQ(AssetTypeName(type), "");
    EXPECT_EQ(AssetsOfType(country, type), nullptr);
  }
  EXPECT_EQ(AssetTypeFromName("index"), -1);
  EXPECT_EQ(AssetTypeFromName(""), -1);
}

// The region list and the colour tables as the drawing code and the models expect them.
TEST(RecordsTest, RegionListAndColourTables) {
  EXPECT_EQ(strRegionNameList, (std::array<std::string, 6>{"North America", "Europe (Euro)", "Europe (Non Euro)",
                                                           "Commodity Exporters", "Japan", "Developing Asia"}));
  // A country's RegionRank - 1 indexes both the region name and its colour: "Japan" is rank 5.
  EXPECT_EQ(strRegionNameList[5 - 1], "Japan");
  EXPECT_EQ(claRegionColors[5 - 1], 0xFFF8C296u);
  EXPECT_EQ(claRegionColors,
            (std::array<TAlphaColor, 6>{0xFF248CAC, 0xFF5758BB, 0xFF9980FA, 0xFF9CC9AD, 0xFFF8C296, 0xFFF46075}));
  EXPECT_EQ(claGraphicPalette, (std::array<TAlphaColor, 9>{0xFFF17A7E, 0xFF355C7D, 0xFF343D46, 0xFF37424D, 0xFF506070,
                                                           0xFF8395A7, 0xFF77A1B5, 0xFFF7DC68, 0xFFE4E4E4}));
  EXPECT_EQ(claReferenceColors, (std::array<TAlphaColor, 3>{0xFF293556, 0xFF4A8DB7, 0xFFE4E4E4}));
  EXPECT_EQ(claTabColorSets, (std::array<TAlphaColor, 8>{0xFFC5D2DD, 0xFFFFFFFF, 0xFF21366B, 0xFFFFFFFF, 0xFFC5D2DD,
                                                         0xFFFFFFFF, 0xFF3454A5, 0xFFFFFFFF}));
  EXPECT_EQ(claButtonColorSet, (std::array<TAlphaColor, 4>{0xFFC5D2DD, 0xFFFFFFFF, 0xFF708CD5, 0xFFFFFFFF}));
  EXPECT_EQ(claTitleColorPair, (std::array<TAlphaColor, 4>{0xFFFDFDFD, 0xFF005890, 0xFFFDFDFD, 0xFF005890}));
}

}  // namespace
