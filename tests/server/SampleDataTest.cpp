#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>

#include "PasswordHash.h"
#include "SampleData.h"
#include "ServerStore.h"
#include "ServerTestSupport.h"
#include "common/CountryHelpers.h"
#include "common/DefaultSettings.h"
#include "common/Globals.h"
#include "platform/DateTime.h"

using platform::EncodeDate;
using qvserver::TSqliteDb;
using qvserver::TSqliteStmt;

namespace {

std::int64_t Count(const TSqliteDb& db, const std::string& sql, double bound = 0.0) {
  TSqliteStmt stmt(db, sql);
  if (sql.find("?1") != std::string::npos) stmt.Bind(1, bound);
  stmt.Step();
  return stmt.Integer(0);
}

// The stored (date, value) points of one series, in date order.
std::vector<std::pair<double, double>> SeriesOf(const TSqliteDb& db, const std::string& table,
                                                const std::string& country, const std::string& asset) {
  TSqliteStmt stmt(db, "SELECT DATE, VALUE FROM " + table + " WHERE COUNTRYNAME=?1 AND ASSETID=?2 ORDER BY DATE");
  stmt.Bind(1, country).Bind(2, asset);
  std::vector<std::pair<double, double>> points;
  while (stmt.Step()) points.emplace_back(stmt.Real(0), stmt.Real(1));
  return points;
}

// FNV-1a over every row of a table in storage order.
std::uint64_t TableHash(const TSqliteDb& db, const std::string& table) {
  TSqliteStmt stmt(db, "SELECT COUNTRYNAME || '|' || ASSETID || '|' || quote(DATE) || '|' || quote(VALUE) FROM " +
                           table + " ORDER BY rowid");
  std::uint64_t hash = 1469598103934665603ULL;
  while (stmt.Step()) {
    for (const char c : stmt.Text(0) + "\n") {
      hash ^= static_cast<unsigned char>(c);
      hash *= 1099511628211ULL;
    }
  }
  return hash;
}

class SampleDataTest : public ::testing::Test {
 protected:
  SampleDataTest() : Db_(qvtest::TSampleDatabase::Shared().Path()) {}
  TSqliteDb Db_;
};

TEST(SampleCalendar, MonthEndsStopBeforeTodayAndBusinessDaysFillTheMonth) {
  // 12 March 2026 is a Thursday; 1 March 2026 a Sunday.
  const qvserver::TSampleCalendar march = qvserver::SampleCalendar(EncodeDate(2026, 3, 12));
  ASSERT_EQ(march.MonthEnds.size(), 36u * 12u + 2u);
  EXPECT_EQ(march.MonthEnds.front(), EncodeDate(1990, 1, 31));
  EXPECT_EQ(march.MonthEnds.back(), EncodeDate(2026, 2, 28));
  const std::vector<double> expectedDays{EncodeDate(2026, 3, 2),  EncodeDate(2026, 3, 3),  EncodeDate(2026, 3, 4),
                                         EncodeDate(2026, 3, 5),  EncodeDate(2026, 3, 6),  EncodeDate(2026, 3, 9),
                                         EncodeDate(2026, 3, 10), EncodeDate(2026, 3, 11), EncodeDate(2026, 3, 12)};
  EXPECT_EQ(march.BusinessDays, expectedDays);

  // On the last day of a month that month's end is not yet a monthly date.
  const qvserver::TSampleCalendar monthEnd = qvserver::SampleCalendar(EncodeDate(2024, 2, 29));
  EXPECT_EQ(monthEnd.MonthEnds.back(), EncodeDate(2024, 1, 31));
  EXPECT_EQ(monthEnd.BusinessDays.size(), 21u);  // Thu 1 .. Thu 29 February 2024

  // A Saturday the 1st has no business day yet.
  EXPECT_TRUE(qvserver::SampleCalendar(EncodeDate(2025, 11, 1)).BusinessDays.empty());
}

TEST(SampleData, RefusesADayWithoutAnyMonthEnd) {
  qvtest::TTempDir dir;
  qvserver::TServerStore store(dir.File("early.sqlite"));
  EXPECT_THROW(qvserver::WriteSampleData(store, qvtest::TestSampleOptions(EncodeDate(1990, 1, 20))),
               std::runtime_error);
  EXPECT_TRUE(store.IsEmpty());
}

TEST_F(SampleDataTest, EveryPairHasARowAtEveryDate) {
  EXPECT_EQ(Count(Db_, "SELECT COUNT(*) FROM DATA"), 40 * 18 * (36 * 12 + 2));
  // One daily snapshot: the latest business day of the month (Thursday 12 March 2026).
  EXPECT_EQ(Count(Db_, "SELECT COUNT(*) FROM DATA_BIS"), 40 * 18);
  EXPECT_EQ(Count(Db_, "SELECT COUNT(DISTINCT DATE) FROM DATA_BIS"), 1);
  for (const std::string table : {"DATA", "DATA_BIS"}) {
    EXPECT_EQ(Count(Db_, "SELECT COUNT(*) FROM (SELECT DATE FROM " + table +
                             " GROUP BY DATE HAVING COUNT(DISTINCT COUNTRYNAME || '|' || ASSETID) <> 720 "
                             "OR COUNT(*) <> 720)"),
              0)
        << table;
  }
}

TEST_F(SampleDataTest, EveryCutOffLeavesAMultipleOf18Rows) {
  const std::vector<double> cutOffs{2.0,
                                    1.0,
                                    EncodeDate(1990, 1, 31),
                                    EncodeDate(1994, 4, 15),
                                    EncodeDate(1999, 1, 1),
                                    EncodeDate(2008, 9, 30) + 0.5,
                                    EncodeDate(2026, 1, 31),
                                    EncodeDate(2026, 2, 28),
                                    EncodeDate(2026, 3, 4),
                                    EncodeDate(2026, 3, 12)};
  for (const std::string table : {"DATA", "DATA_BIS"}) {
    for (const double cutOff : cutOffs) {
      const std::int64_t n = Count(Db_, "SELECT COUNT(*) FROM " + table + " WHERE DATE>?1", cutOff);
      EXPECT_EQ(n % 18, 0) << table << " after " << cutOff << ": " << n;
    }
  }
  EXPECT_EQ(Count(Db_, "SELECT COUNT(*) FROM DATA WHERE DATE>?1", EncodeDate(2026, 1, 31)), 720);
}

TEST_F(SampleDataTest, SouthAfricaEquityCarriesTheLatestDateOfEachTable) {
  for (const std::string table : {"DATA", "DATA_BIS"}) {
    TSqliteStmt latest(Db_, "SELECT MAX(DATE) FROM " + table);
    ASSERT_TRUE(latest.Step());
    TSqliteStmt series(Db_, "SELECT DATE, VALUE FROM " + table +
                                " WHERE COUNTRYNAME='SOUTH AFRICA' AND ASSETID='EQINDEX' ORDER BY DATE DESC LIMIT 1");
    ASSERT_TRUE(series.Step());
    EXPECT_EQ(series.Real(0), latest.Real(0)) << table;
    EXPECT_NE(series.Real(1), kStoredMissingValue) << table;
  }
  TSqliteStmt latest(Db_, "SELECT MAX(DATE) FROM DATA_BIS");
  latest.Step();
  EXPECT_EQ(latest.Real(0), qvtest::FixedToday());
}

TEST_F(SampleDataTest, CountriesFallIntoTheirRegionsAfterTheDisplayOrdering) {
  // Place p of the display shows the country at this 1-based position of
  // the list read in ascending rank.
  const std::array<int, 40> source{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                                   35, 36, 33, 22, 23, 37, 38, 39, 40, 21, 24, 25, 26, 27, 28, 29, 30, 31, 32, 34};
  const std::array<std::pair<int, int>, 6> regionPlaces{{{1, 2}, {3, 14}, {15, 22}, {23, 29}, {30, 30}, {31, 40}}};
  std::set<std::string> forty;
  for (const TCountryCode& code : kCountryCodes) forty.insert(code.Name);
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Path());
  const std::vector<TCountry> byRank = store.Countries();
  ASSERT_EQ(byRank.size(), 40u);
  std::set<std::string> names;
  for (std::size_t i = 0; i < byRank.size(); ++i) {
    EXPECT_EQ(byRank[i].Rank, static_cast<int>(i) + 1);
    names.insert(byRank[i].Name);
    EXPECT_FALSE(byRank[i].Currency.empty());
    EXPECT_FALSE(byRank[i].IndexName.empty());
    EXPECT_FALSE(byRank[i].IndexTicker.empty());
  }
  EXPECT_EQ(names, forty);
  for (int place = 1; place <= 40; ++place) {
    const TCountry& c = byRank[static_cast<std::size_t>(source[static_cast<std::size_t>(place - 1)] - 1)];
    int region = 0;
    while (place > regionPlaces[static_cast<std::size_t>(region)].second) ++region;
    EXPECT_EQ(c.RegionRank, region + 1) << c.Name << " at place " << place;
    EXPECT_EQ(c.RegionName, strRegionNameList[static_cast<std::size_t>(region)]) << c.Name;
  }
  EXPECT_EQ(byRank[0].Name, "USA");
  EXPECT_EQ(byRank[static_cast<std::size_t>(source[29] - 1)].Name, "JAPAN");
  for (const TCountry& c : byRank) {
    if (c.RegionRank == 2) {
      EXPECT_EQ(c.Currency, "EUR") << c.Name;
    }
  }
}

// The settings pages grey fixed rows 3, 5-14 and 23: the countries without
// bond weights must sit exactly there once the client has ordered the list.
TEST_F(SampleDataTest, CountriesWithoutBondWeightsSitOnTheGreyedRows) {
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Path());
  const std::vector<TCountry> shown = SortCountryList(store.Countries());
  ASSERT_EQ(shown.size(), 40u);
  const std::vector<std::string> names = qvserver::SampleCountryNames();
  for (std::size_t p = 0; p < shown.size(); ++p) EXPECT_EQ(shown[p].Name, names[p]) << "place " << p + 1;
  EXPECT_EQ(shown[2].Currency, "EUR");
  EXPECT_EQ(shown[3].Name, "GERMANY");
  EXPECT_EQ(shown[22].Name, "RUSSIA");

  const TUserSettings defaults = BuildDefaultUserSettings(shown);
  ASSERT_EQ(defaults.CountrySettings.size(), 40u);
  for (int place = 1; place <= 40; ++place) {
    const bool greyed = place == 3 || (place >= 5 && place <= 14) || place == 23;
    const double fiWeight = defaults.CountrySettings[static_cast<std::size_t>(place - 1)].FiWeight;
    EXPECT_EQ(fiWeight == 0.0, greyed) << shown[static_cast<std::size_t>(place - 1)].Name << " at place " << place;
  }

  // The generator agrees: Germany carries inflation-linked bonds, place 3 and Russia none.
  auto hasIlb = [&](const std::string& country) {
    return Count(Db_, "SELECT COUNT(*) FROM DATA WHERE COUNTRYNAME='" + country +
                          "' AND ASSETID='IBINDEX2' AND VALUE<>-1000.0") > 0;
  };
  EXPECT_FALSE(hasIlb(shown[2].Name));
  EXPECT_TRUE(hasIlb("GERMANY"));
  EXPECT_FALSE(hasIlb("RUSSIA"));
}

TEST_F(SampleDataTest, AssetListHoldsTheEighteenAssetsTheModelsLookFor) {
  // Every asset in ascending ID, the order in which the client loads each type.
  const std::vector<std::array<std::string, 3>> expected{
      {"10YRATEINDEX", "10Y Rate", "INDEX"},
      {"AUINDEX", "Gold", "INDEX"},
      {"BLSIGNAL", "Behavioral Signal", "SIGNAL"},
      {"CASH", "1M Cash", "RISK FREE ASSET"},
      {"EQINDEX", "Equity Index", "INDEX"},
      {"IBINDEX1", "Inflation Linked Bonds 1-10Y", "INDEX"},
      {"IBINDEX2", "Inflation Linked Bonds", "INDEX"},
      {"QVSIGNAL", "Macro Signal", "SIGNAL"},
      {"RISKFREEASSET1", "10Y Gov Bond", "RISK FREE ASSET"},
      {"RISKFREEASSET2", "2Y Gov Bond", "RISK FREE ASSET"},
      {"RULE1", "Four Quadrants", "RULE"},
      {"RULE2", "World USD Base", "RULE"},
      {"RULE3", "Valuation", "RULE"},
      {"RULE4", "Wealth Effect", "RULE"},
      {"RULE5", "FX Rate", "RULE"},
      {"RULE6", "World Trade", "RULE"},
      {"RULE7", "Commodity Price", "RULE"},
      {"SPOTFX", "Spot FX", "SPOT FX"},
  };
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Path());
  const std::vector<qvserver::TAssetRow> stored = store.Assets();
  const std::vector<qvserver::TSampleAsset>& generated = qvserver::SampleAssets();
  ASSERT_EQ(stored.size(), expected.size());
  ASSERT_EQ(generated.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& [id, title, type] = expected[i];
    EXPECT_EQ(stored[i].ID, id) << "position " << i;
    EXPECT_EQ(stored[i].Title, title) << id;
    EXPECT_EQ(stored[i].Type, type) << id;
    EXPECT_EQ(generated[i].ID, id) << "position " << i;
  }

  int cashTitles = 0, tenYearRiskFree = 0;
  std::vector<std::string> indexIds, ruleTitles;
  for (const auto& a : stored) {
    std::string title = a.Title;
    std::transform(title.begin(), title.end(), title.begin(), ::toupper);
    if (title.find("CASH") != std::string::npos) ++cashTitles;
    if (a.Type == "RISK FREE ASSET" && title.find("10Y") != std::string::npos) ++tenYearRiskFree;
    if (a.Type == "INDEX") indexIds.push_back(a.ID);
    if (a.Type == "RULE") ruleTitles.push_back(a.Title);
  }
  // The cash lookup and the default risk-free asset each find exactly one.
  EXPECT_EQ(cashTitles, 1);
  EXPECT_EQ(tenYearRiskFree, 1);
  // The inflation-linked index keeps the position the evaluator falls back on.
  ASSERT_GT(indexIds.size(), 4u);
  EXPECT_EQ(indexIds[4], "IBINDEX2");
  // The rules in list order title the equity macro page's groups after the first.
  EXPECT_EQ(ruleTitles, (std::vector<std::string>{"Four Quadrants", "World USD Base", "Valuation", "Wealth Effect",
                                                  "FX Rate", "World Trade", "Commodity Price"}));
}

TEST_F(SampleDataTest, SeriesReachEveryModelBranch) {
  auto values = [&](const std::string& country, const std::string& asset) {
    TSqliteStmt stmt(Db_, "SELECT VALUE FROM DATA WHERE COUNTRYNAME=?1 AND ASSETID=?2 ORDER BY DATE");
    stmt.Bind(1, country).Bind(2, asset);
    std::vector<double> v;
    while (stmt.Step()) v.push_back(stmt.Real(0));
    return v;
  };
  auto distinct = [](const std::vector<double>& v) {
    std::set<double> s(v.begin(), v.end());
    s.erase(kStoredMissingValue);
    return s;
  };
  EXPECT_EQ(distinct(values("USA", "RULE2")), (std::set<double>{1.0, 2.0, 3.0}));
  int lateStarters = 0, withoutIlb = 0, withIlb = 0;
  for (const std::string& country : qvserver::SampleCountryNames()) {
    EXPECT_EQ(distinct(values(country, "QVSIGNAL")), (std::set<double>{0.0, 1.0})) << country;
    EXPECT_EQ(distinct(values(country, "BLSIGNAL")), (std::set<double>{0.0, 1.0})) << country;
    const std::vector<double> equity = values(country, "EQINDEX");
    if (!equity.empty() && equity.front() == kStoredMissingValue) ++lateStarters;
    const std::set<double> ilb = distinct(values(country, "IBINDEX2"));
    (ilb.empty() ? withoutIlb : withIlb)++;
    // A missing value only opens a series: once it starts it has no gap.
    for (const auto& asset : qvserver::SampleAssets()) {
      const std::vector<double> v = values(country, asset.ID);
      const auto first = std::find_if(v.begin(), v.end(), [](double x) { return x != kStoredMissingValue; });
      EXPECT_EQ(std::count(first, v.end(), kStoredMissingValue), 0) << country << " " << asset.ID;
      if (std::string(asset.Type) == "INDEX" || std::string(asset.Type) == "RISK FREE ASSET") {
        if (std::string(asset.ID) != "10YRATEINDEX") {
          EXPECT_TRUE(std::all_of(first, v.end(), [](double x) { return x > 0.0; })) << country << " " << asset.ID;
        }
      }
    }
  }
  EXPECT_GE(lateStarters, 3);
  EXPECT_GE(withoutIlb, 3);
  EXPECT_GE(withIlb, 3);
  const std::set<double> usd = distinct(values("USA", "SPOTFX"));
  EXPECT_EQ(usd, std::set<double>{1.0});
}

// Every stored value of both tables is plausible for its asset: prices and
// exchange rates positive, rates in percent, signals and rules 0/1, RULE2
// states 1 to 3.
TEST_F(SampleDataTest, ValuesArePlausibleInBothTables) {
  for (const std::string table : {"DATA", "DATA_BIS"}) {
    for (const auto& asset : qvserver::SampleAssets()) {
      TSqliteStmt range(
          Db_, "SELECT MIN(VALUE), MAX(VALUE), COUNT(*) FROM " + table + " WHERE ASSETID=?1 AND VALUE<>-1000.0");
      range.Bind(1, std::string(asset.ID)).Step();
      const double low = range.Real(0), high = range.Real(1);
      const std::string what = table + " " + asset.ID;
      ASSERT_GT(range.Integer(2), 0) << what;
      const std::string id = asset.ID, type = asset.Type;
      if (id == "10YRATEINDEX") {
        EXPECT_GE(low, -2.0) << what;
        EXPECT_LE(high, 40.0) << what;
        EXPECT_GT(high, 2.0) << what;  // percent, not a fraction
      } else if (type == "SIGNAL") {
        EXPECT_EQ(low, 0.0) << what;
        EXPECT_EQ(high, 1.0) << what;
      } else if (type == "RULE") {
        // Every state shows in the monthly table; the daily rows of one month
        // may hold only some of them.
        const double first = id == "RULE2" ? 1.0 : 0.0, last = id == "RULE2" ? 3.0 : 1.0;
        if (table == "DATA") {
          EXPECT_EQ(low, first) << what;
          EXPECT_EQ(high, last) << what;
        } else {
          EXPECT_GE(low, first) << what;
          EXPECT_LE(high, last) << what;
        }
      } else {
        EXPECT_GT(low, 0.0) << what;  // prices, indices and spot rates
      }
      if (type == "SIGNAL" || type == "RULE") {
        TSqliteStmt fractions(Db_,
                              "SELECT COUNT(*) FROM " + table + " WHERE ASSETID=?1 AND VALUE<>CAST(VALUE AS INTEGER)");
        fractions.Bind(1, id).Step();
        EXPECT_EQ(fractions.Integer(0), 0) << what << ": states are whole numbers";
      }
    }
  }
  // Daily values go on from the last month end: no jump of more than a third.
  TSqliteStmt jumps(Db_,
                    "SELECT COUNT(*) FROM DATA_BIS d JOIN DATA m ON m.COUNTRYNAME=d.COUNTRYNAME AND "
                    "m.ASSETID=d.ASSETID AND m.DATE=(SELECT MAX(DATE) FROM DATA) WHERE d.VALUE<>-1000.0 AND "
                    "m.VALUE>0 AND d.ASSETID NOT IN (SELECT ID FROM ASSET_LIST WHERE TYPE IN ('SIGNAL','RULE')) "
                    "AND ABS(d.VALUE/m.VALUE-1.0)>0.34");
  jumps.Step();
  EXPECT_EQ(jumps.Integer(0), 0);
}

TEST_F(SampleDataTest, CashAndSpotAreSharedByTheCountriesOfACurrency) {
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Path());
  std::map<std::string, std::vector<std::string>> byCurrency;
  for (const TCountry& c : store.Countries()) byCurrency[c.Currency].push_back(c.Name);
  ASSERT_EQ(byCurrency["EUR"].size(), 12u);
  // A late euro starter carries the euro cash and spot before its own first
  // month, where its equity index has no value yet.
  const auto lateEquity = SeriesOf(Db_, "DATA", "EURO AREA", "EQINDEX");
  ASSERT_FALSE(lateEquity.empty());
  EXPECT_EQ(lateEquity.front().second, kStoredMissingValue);
  for (const std::string asset : {"CASH", "SPOTFX"}) {
    const auto late = SeriesOf(Db_, "DATA", "EURO AREA", asset);
    ASSERT_FALSE(late.empty());
    EXPECT_NE(late.front().second, kStoredMissingValue) << asset;
  }

  struct TCase {
    std::string Table;
    std::string Asset;
  };
  for (const TCase& tc :
       std::vector<TCase>{{"DATA", "CASH"}, {"DATA", "SPOTFX"}, {"DATA_BIS", "CASH"}, {"DATA_BIS", "SPOTFX"}}) {
    std::map<std::string, std::vector<std::pair<double, double>>> shared;
    for (const auto& [currency, names] : byCurrency) {
      const auto reference = SeriesOf(Db_, tc.Table, names.front(), tc.Asset);
      EXPECT_TRUE(std::any_of(reference.begin(), reference.end(),
                              [](const auto& p) { return p.second != kStoredMissingValue; }))
          << tc.Table << " " << tc.Asset << " " << currency;
      for (std::size_t i = 1; i < names.size(); ++i) {
        EXPECT_EQ(SeriesOf(Db_, tc.Table, names[i], tc.Asset), reference)
            << tc.Table << " " << tc.Asset << ": " << names[i] << " against " << names.front();
      }
      shared[currency] = reference;
    }
    // The sharing goes by currency: two currencies keep two series.
    EXPECT_NE(shared["EUR"], shared["USD"]) << tc.Table << " " << tc.Asset;
    EXPECT_NE(shared["EUR"], shared["GBP"]) << tc.Table << " " << tc.Asset;
  }
}

TEST_F(SampleDataTest, RulesSwitchInRunsWithinTheirStates) {
  const std::vector<std::pair<std::string, std::set<double>>> rules{
      {"RULE1", {0.0, 1.0}}, {"RULE2", {1.0, 2.0, 3.0}}, {"RULE3", {0.0, 1.0}}, {"RULE4", {0.0, 1.0}},
      {"RULE5", {0.0, 1.0}}, {"RULE6", {0.0, 1.0}},      {"RULE7", {0.0, 1.0}}};
  for (const auto& [rule, states] : rules) {
    for (const std::string& country : qvserver::SampleCountryNames()) {
      std::vector<double> v;
      for (const auto& [date, value] : SeriesOf(Db_, "DATA", country, rule))
        if (value != kStoredMissingValue) v.push_back(value);
      ASSERT_FALSE(v.empty()) << rule << " " << country;
      EXPECT_EQ(std::set<double>(v.begin(), v.end()), states) << rule << " " << country;
      std::size_t switches = 0;
      for (std::size_t i = 1; i < v.size(); ++i) switches += v[i] != v[i - 1] ? 1 : 0;
      EXPECT_GE(switches, 1u) << rule << " " << country;
      // In runs: a state holds four months on average at least.
      EXPECT_LE(switches * 4, v.size()) << rule << " " << country << ": " << switches << " switches";
    }
  }
}

TEST_F(SampleDataTest, IndexNamesAndTickersNameNoIndexProduct) {
  // Every name is the country's own followed by " Equity Index" and every
  // ticker a made-up code ending in "EQ": no index product is named.
  const std::string suffix = " Equity Index";
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Path());
  const std::vector<TCountry> countries = store.Countries();
  ASSERT_EQ(countries.size(), 40u);
  std::set<std::string> tickers;
  for (const TCountry& c : countries) {
    const std::string& name = c.IndexName;
    const std::string& ticker = c.IndexTicker;
    ASSERT_GT(name.size(), suffix.size()) << c.Name;
    EXPECT_EQ(name.substr(name.size() - suffix.size()), suffix) << c.Name;
    EXPECT_EQ(name, ProperCaseCountryName(c.Name) + suffix) << c.Name;
    EXPECT_GE(ticker.size(), 4u) << c.Name;
    EXPECT_LE(ticker.size(), 6u) << c.Name;
    EXPECT_TRUE(std::all_of(ticker.begin(), ticker.end(), [](char ch) { return ch >= 'A' && ch <= 'Z'; })) << ticker;
    EXPECT_EQ(ticker.substr(ticker.size() - 2), "EQ") << c.Name;
    EXPECT_TRUE(tickers.insert(ticker).second) << "ticker " << ticker << " twice";
  }
  for (const auto& [country, name, ticker] :
       std::vector<std::array<std::string, 3>>{{"USA", "USA Equity Index", "USAEQ"},
                                               {"EURO AREA", "Euro Area Equity Index", "EUAEQ"},
                                               {"UNITED KINGDOM", "United Kingdom Equity Index", "GBREQ"}}) {
    const auto found =
        std::find_if(countries.begin(), countries.end(), [&](const TCountry& c) { return c.Name == country; });
    ASSERT_NE(found, countries.end()) << country;
    EXPECT_EQ(found->IndexName, name);
    EXPECT_EQ(found->IndexTicker, ticker);
  }
}

TEST_F(SampleDataTest, DemoUserIsStoredWithASaltedHash) {
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Path());
  const auto hash = store.PasswordHashOf(qvserver::kSampleUserId);
  ASSERT_TRUE(hash.has_value());
  EXPECT_EQ(hash->rfind("$argon2id$", 0), 0u);
  EXPECT_EQ(hash->find("demo"), std::string::npos);
  EXPECT_TRUE(qvserver::VerifyPassword(*hash, "demo"));
  EXPECT_FALSE(qvserver::VerifyPassword(*hash, "Demo"));
  EXPECT_FALSE(qvserver::VerifyPassword(*hash, ""));
  EXPECT_EQ(store.UserValue("LOGIN_LIST", "AUTHORIZEUPDATE", qvserver::kSampleUserId), "1");
  EXPECT_EQ(store.UserValue("LOGIN_LIST", "STARTDATETOUPDATE", qvserver::kSampleUserId), "2");
  EXPECT_EQ(store.UserValue("STATISTIC_LIST", "COUNTEROFUSE", qvserver::kSampleUserId), "0");
  EXPECT_EQ(store.UserValue("USER_LIST", "FIRSTNAME", qvserver::kSampleUserId), "Demo");
  // Two hashes of one password differ: each has its own salt.
  const auto limits = qvserver::MinimalHashLimits();
  EXPECT_NE(qvserver::HashPassword("demo", limits), qvserver::HashPassword("demo", limits));
}

TEST_F(SampleDataTest, TemplateWeightsAddUpToOne) {
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Path());
  const std::vector<std::string> ids = store.TemplateIds();
  ASSERT_FALSE(ids.empty());
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  for (const std::string& id : ids) {
    const std::vector<double> w = store.TemplateWeights(id);
    ASSERT_FALSE(w.empty()) << id;
    double total = 0.0;
    for (const double x : w) total += x;
    EXPECT_NEAR(total, 1.0, 1e-12) << id;
  }
}

TEST(SampleData, SameSeedGivesTheSameRowsAndAnotherSeedOthers) {
  qvtest::TTempDir dir;
  auto hashes = [&](const std::string& name, std::uint64_t seed) {
    const std::string path = dir.File(name);
    qvtest::WriteTestSample(path, EncodeDate(1996, 6, 14), seed);
    TSqliteDb db(path);
    return std::pair{TableHash(db, "DATA"), TableHash(db, "DATA_BIS")};
  };
  const auto first = hashes("a.sqlite", 7);
  const auto again = hashes("b.sqlite", 7);
  const auto other = hashes("c.sqlite", 8);
  EXPECT_EQ(first, again);
  EXPECT_NE(first.first, other.first);
  EXPECT_NE(first.second, other.second);
}

TEST(SampleData, RewritingReplacesInsteadOfAppending) {
  qvtest::TTempDir dir;
  qvserver::TServerStore store(dir.File("twice.sqlite"));
  const qvserver::TSampleDataOptions options = qvtest::TestSampleOptions(EncodeDate(1991, 2, 5));
  qvserver::WriteSampleData(store, options);
  const std::int64_t rows = store.CountRows("DATA");
  qvserver::WriteSampleData(store, options);
  EXPECT_EQ(store.CountRows("DATA"), rows);
  EXPECT_EQ(rows, 720 * 13);
  EXPECT_EQ(store.CountUsers(qvserver::kSampleUserId), 1);
}

TEST(SampleRng, UniformStaysInRangeAndNormalHasUnitSpread) {
  qvserver::TSampleRng rng(42);
  double sum = 0.0, squares = 0.0;
  const int n = 20000;
  for (int i = 0; i < n; ++i) {
    const double u = rng.Uniform();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    const double z = rng.Normal();
    ASSERT_TRUE(std::isfinite(z));
    sum += z;
    squares += z * z;
  }
  EXPECT_NEAR(sum / n, 0.0, 0.05);
  EXPECT_NEAR(squares / n, 1.0, 0.05);
}

}  // namespace
