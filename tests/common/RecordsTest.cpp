#include <gtest/gtest.h>

#include <array>
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
