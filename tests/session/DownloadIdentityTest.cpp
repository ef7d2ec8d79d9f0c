// What a full download stores and what the work-data load builds from it,
// pinned to the last bit: digests of the stored rows (in series order, with
// their stored types) and of every field of the loaded country list, taken
// on the fixed sample set before the download and the load were made
// faster (the same figures come from the download and load of commit
// 20fe7c5). The monthly reply (7 MB) arrives in pieces, so the rows are
// read as they come.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

#include "SessionTestSupport.h"
#include "common/Globals.h"
#include "platform/DateTime.h"

namespace {

// FNV-1a, 64 bits.
std::uint64_t Digest(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

// The bits of a number, so that the texts differ when a bit does.
std::string Bits(double value) {
  char text[20];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
  return text;
}

std::string StoredRows(TLocalQuorvaneDB& db, const char* table) {
  std::string text;
  platform::SqliteStatement rows(
      db.Connection(), std::string("SELECT COUNTRYNAME,ASSETID,typeof(DATE),DATE,typeof(VALUE),VALUE FROM ") + table +
                           " ORDER BY COUNTRYNAME,ASSETID,DATE,VALUE");
  while (rows.Step())
    text += rows.ColumnText(0) + "|" + rows.ColumnText(1) + "|" + rows.ColumnText(2) + Bits(rows.ColumnDouble(3)) +
            "|" + rows.ColumnText(4) + Bits(rows.ColumnDouble(5)) + "\n";
  return text;
}

std::string LoadedWorkData() {
  std::string text;
  for (const TCountry& c : vcMyExternCountryList) {
    text += c.Name + "|" + c.RegionName + "|" + c.Currency + "|" + c.IndexName + "|" + c.IndexTicker + "|" +
            std::to_string(c.Rank) + "|" + std::to_string(c.RegionRank) + "|" + std::to_string(c.IsDevelopped) +
            std::to_string(c.ReverseQuote) + "|" + Bits(c.EstimationDate) + Bits(c.EstimatedSignal) + "\n";
    for (int type = atIndex; type <= atSpotFx; ++type) {
      for (const TAssetSeries& a : *AssetsOfType(c, type)) {
        text += " " + a.CountryName + "|" + a.ID + "|" + a.Title + "|" + std::to_string(a.Type) + "|" +
                Bits(a.FirstDailyPoint.Date) + Bits(a.FirstDailyPoint.Value) + "|" + std::to_string(a.Series.size()) +
                ":";
        for (const TDataPoint& p : a.Series) text += Bits(p.Date) + Bits(p.Value);
        text += "\n";
      }
    }
  }
  for (const TPortfolioTemplate& t : vptMyExternPortfolioTemplateList) {
    text += t.ID + ":";
    for (const double w : t.Weights) text += Bits(w);
    text += "\n";
  }
  return text + Bits(usMyExternUserSettings.InceptionDate);
}

TEST(DownloadIdentityTest, StoredRowsAndLoadedCountriesAreThoseOfBefore) {
  qvtest::TTempDir dir;
  const std::string serverFile = dir.File("server.sqlite");
  qvtest::WriteTestSample(serverFile, platform::EncodeDate(2000, 2, 15));
  qvtest::TRunningServer server(serverFile);
  sessiontest::TStepBench bench;
  bench.Transport.Forward = true;
  bench.Client.SetBaseUrl(server.BaseUrl());
  for (const int kind : {4, 5, 6}) ASSERT_EQ(bench.Run(kind).ErrorText, "") << kind;
  EXPECT_EQ(bench.Count("SELECT count(*) FROM DATA"), 720 * 121);
  const std::string data = StoredRows(bench.Db, "DATA");
  const std::string daily = StoredRows(bench.Db, "DATA_BIS");
  const std::string loaded = LoadedWorkData();
  EXPECT_EQ(Digest(data), 17824458880410739553ull) << data.size() << " bytes";
  EXPECT_EQ(Digest(daily), 9918241539673604241ull) << daily.size() << " bytes";
  EXPECT_EQ(Digest(loaded), 13148000945839152128ull) << loaded.size() << " bytes";
}

}  // namespace
