// Market-data lists (countries, assets, portfolio templates) and the two
// series tables of the local market-data file.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <string>

#include "common/CountryHelpers.h"
#include "data/LocalQuorvaneDB.h"
#include "data/LocalSqlHelpers.h"
#include "data/SeriesRowRules.h"
#include "platform/DateTime.h"

using localdb::StoredName;
using localdb::TResetOnExit;

namespace {

// Row count from which an insert drops and rebuilds the series index.
constexpr std::size_t kBulkInsertRows = 10000;
// Rows written by one run of the insert statement.
constexpr std::size_t kInsertBatchRows = 32;

// "DATA" or "DATA_BIS" (any case) as written in statements; other names fail.
std::string SeriesTableName(const platform::SqliteConnection& db, const std::string& table) {
  const std::string name = UpperCaseText(table);
  if (name != "DATA" && name != "DATA_BIS") db.Fail("unknown series table: " + table);
  return name;
}

// A table name made of letters, digits and underscores; other names fail.
std::string PlainTableName(const platform::SqliteConnection& db, const std::string& table) {
  bool plain = !table.empty();
  for (const char c : table) {
    plain = plain && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_');
  }
  if (!plain) db.Fail("invalid table name: " + table);
  return table;
}

}  // namespace

// ------------------------------------------------------------------ countries

std::vector<TCountry> TLocalQuorvaneDB::LoadCountryList() {
  auto query = Open().Prepare(
      "SELECT NAME,REGIONNAME,CURRENCY,INDEXNAME,INDEXTICKER,RANK,REGIONRANK,ISDEVELOPPED,REVERSEQUOTE,"
      "ESTIMATIONDATE,ESTIMATEDSIGNAL FROM COUNTRY_LIST ORDER BY RANK ASC");
  std::vector<TCountry> countries;
  while (query.Step()) {
    TCountry country;
    country.Name = ProperCaseCountryName(StoredName(query.ColumnText(0)));
    country.RegionName = query.ColumnText(1);
    country.Currency = StoredName(query.ColumnText(2));
    country.IndexName = query.ColumnText(3);
    country.IndexTicker = query.ColumnText(4);
    country.Rank = query.ColumnInt(5);
    country.RegionRank = query.ColumnInt(6);
    country.IsDevelopped = query.ColumnInt(7) == 1;
    country.ReverseQuote = query.ColumnInt(8) == 1;
    country.EstimationDate = query.ColumnDouble(9);
    country.EstimatedSignal = query.ColumnDouble(10);
    countries.push_back(std::move(country));
  }
  return countries;
}

void TLocalQuorvaneDB::SaveCountryList(const std::vector<TCountry>& countries) {
  auto& db = Open();
  platform::SqliteTransaction transaction(db);
  ClearCountryList();
  auto insert = db.Prepare(
      "INSERT INTO COUNTRY_LIST (NAME,RANK,REGIONNAME,REGIONRANK,ISDEVELOPPED,CURRENCY,REVERSEQUOTE,INDEXNAME,"
      "INDEXTICKER,ESTIMATIONDATE,ESTIMATEDSIGNAL) VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11)");
  for (const TCountry& country : countries) {
    insert.BindText(1, StoredName(country.Name))
        .BindInt(2, country.Rank)
        .BindText(3, country.RegionName)
        .BindInt(4, country.RegionRank)
        .BindInt(5, country.IsDevelopped ? 1 : 0)
        .BindText(6, country.Currency)
        .BindInt(7, country.ReverseQuote ? 1 : 0)
        .BindText(8, country.IndexName)
        .BindText(9, country.IndexTicker)
        .BindDouble(10, country.EstimationDate)
        .BindDouble(11, country.EstimatedSignal);
    insert.Execute();
  }
  transaction.Commit();
}

void TLocalQuorvaneDB::ClearCountryList() { Open().Exec("DELETE FROM COUNTRY_LIST"); }

std::vector<TDataPoint> TLocalQuorvaneDB::LoadCountryEstimates() {
  auto query = Open().Prepare("SELECT ESTIMATIONDATE,ESTIMATEDSIGNAL FROM COUNTRY_LIST ORDER BY RANK ASC");
  std::vector<TDataPoint> estimates;
  while (query.Step()) estimates.push_back(TDataPoint{query.ColumnDouble(0), query.ColumnDouble(1)});
  return estimates;
}

bool TLocalQuorvaneDB::SaveCountryEstimates(const std::vector<TDataPoint>& estimates) {
  auto& db = Open();
  platform::SqliteTransaction transaction(db);
  std::vector<std::int64_t> rows;
  {
    auto query = db.Prepare("SELECT rowid FROM COUNTRY_LIST ORDER BY RANK ASC");
    while (query.Step()) rows.push_back(query.ColumnInt64(0));
  }
  if (rows.empty() || rows.size() != estimates.size()) return false;
  auto update = db.Prepare("UPDATE COUNTRY_LIST SET ESTIMATIONDATE=?1,ESTIMATEDSIGNAL=?2 WHERE rowid=?3");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    update.BindDouble(1, estimates[i].Date).BindDouble(2, estimates[i].Value).BindInt(3, rows[i]);
    update.Execute();
  }
  transaction.Commit();
  return true;
}

// --------------------------------------------------------------------- assets

std::vector<TAssetSeries> TLocalQuorvaneDB::LoadAssetList(const std::string& countryName, int type) {
  auto& query = CachedQuery(cqAssetList, "SELECT ID,TITLE FROM ASSET_LIST WHERE TYPE=?1 ORDER BY ID ASC");
  const TResetOnExit reset(query);
  // An unknown type code selects the empty text, which matches no row.
  query.BindText(1, AssetTypeName(type));
  std::vector<TAssetSeries> assets;
  while (query.Step()) {
    TAssetSeries asset;
    asset.CountryName = countryName;
    asset.ID = query.ColumnText(0);
    asset.Title = ProperCaseCountryName(query.ColumnText(1));
    asset.Type = type;
    assets.push_back(std::move(asset));
  }
  return assets;
}

void TLocalQuorvaneDB::SaveAssetList(const std::vector<TAssetSeries>& assets) {
  auto& db = Open();
  platform::SqliteTransaction transaction(db);
  ClearAssetList();
  auto insert = db.Prepare("INSERT INTO ASSET_LIST (ID,TITLE,TYPE) VALUES (?1,?2,?3)");
  for (const TAssetSeries& asset : assets) {
    insert.BindText(1, StoredName(asset.ID)).BindText(2, StoredName(asset.Title));
    const std::string type = AssetTypeName(asset.Type);
    // An unknown type leaves TYPE without a value: the NOT NULL constraint
    // refuses the row and the whole replace is undone.
    if (type.empty()) {
      insert.BindNull(3);
    } else {
      insert.BindText(3, type);
    }
    insert.Execute();
  }
  transaction.Commit();
}

void TLocalQuorvaneDB::ClearAssetList() { Open().Exec("DELETE FROM ASSET_LIST"); }

// ---------------------------------------------------------- portfolio templates

std::vector<TPortfolioTemplate> TLocalQuorvaneDB::LoadPortfolioTemplateList() {
  auto query = Open().Prepare("SELECT ID FROM PORTFOLIO_TEMPLATE_LIST ORDER BY ID ASC");
  std::vector<TPortfolioTemplate> templates;
  while (query.Step()) templates.push_back(TPortfolioTemplate{query.ColumnText(0), {}});
  return templates;
}

void TLocalQuorvaneDB::SavePortfolioTemplateList(const std::vector<TPortfolioTemplate>& templates) {
  auto& db = Open();
  platform::SqliteTransaction transaction(db);
  ClearPortfolioTemplateList();
  auto insert = db.Prepare("INSERT INTO PORTFOLIO_TEMPLATE_LIST (ID) VALUES (?1)");
  for (const TPortfolioTemplate& item : templates) {
    insert.BindText(1, item.ID);
    insert.Execute();
  }
  transaction.Commit();
}

void TLocalQuorvaneDB::ClearPortfolioTemplateList() { Open().Exec("DELETE FROM PORTFOLIO_TEMPLATE_LIST"); }

std::vector<double> TLocalQuorvaneDB::LoadPortfolioTemplateData(const std::string& id) {
  auto query = Open().Prepare("SELECT WEIGHT FROM PORTFOLIO_TEMPLATE_DATA WHERE PORTFOLIOID=?1 ORDER BY RANK ASC");
  query.BindText(1, id);
  std::vector<double> weights;
  while (query.Step()) weights.push_back(query.ColumnDouble(0));
  return weights;
}

void TLocalQuorvaneDB::SavePortfolioTemplateData(const std::vector<TPortfolioTemplate>& templates) {
  auto& db = Open();
  platform::SqliteTransaction transaction(db);
  ClearPortfolioTemplateData();
  auto insert = db.Prepare("INSERT INTO PORTFOLIO_TEMPLATE_DATA (PORTFOLIOID,RANK,WEIGHT) VALUES (?1,?2,?3)");
  for (const TPortfolioTemplate& item : templates) {
    for (std::size_t j = 0; j < item.Weights.size(); ++j) {
      insert.BindText(1, item.ID).BindInt(2, static_cast<std::int64_t>(j)).BindDouble(3, item.Weights[j]);
      insert.Execute();
    }
  }
  transaction.Commit();
}

void TLocalQuorvaneDB::ClearPortfolioTemplateData() { Open().Exec("DELETE FROM PORTFOLIO_TEMPLATE_DATA"); }

bool TLocalQuorvaneDB::OpenTable(const std::string& table) {
  auto& db = Open();
  auto query = db.Prepare("SELECT 1 FROM " + PlainTableName(db, table) + " LIMIT 1");
  return !query.Step();
}

// --------------------------------------------------------------------- series

double TLocalQuorvaneDB::SeriesBoundDate(const std::string& table, const std::string& countryName,
                                         const std::string& assetId, bool last, double before) {
  auto& db = Open();
  // Dates that no series can hold (before 1900, after the end of next month) are
  // not counted: a poisoned row never decides what is fetched.
  auto query = db.Prepare("SELECT DATE FROM " + SeriesTableName(db, table) +
                          " WHERE COUNTRYNAME=?1 AND ASSETID=?2 AND DATE>=?3 AND DATE<=?4 AND DATE<?5 ORDER BY DATE " +
                          (last ? "DESC" : "ASC") + " LIMIT 1");
  query.BindText(1, StoredName(countryName)).BindText(2, StoredName(assetId));
  query.BindDouble(3, kEarliestSeriesDate).BindDouble(4, LatestSeriesDate(platform::Today()));
  query.BindDouble(5, before);  // NaN binds NULL, which no date is below
  return query.Step() ? query.ColumnDouble(0) : kMissingDate;
}

double TLocalQuorvaneDB::GetSeriesLastDate(const std::string& table, const std::string& countryName,
                                           const std::string& assetId) {
  return SeriesBoundDate(table, countryName, assetId, true, std::numeric_limits<double>::infinity());
}

double TLocalQuorvaneDB::GetSeriesFirstDate(const std::string& table, const std::string& countryName,
                                            const std::string& assetId) {
  return SeriesBoundDate(table, countryName, assetId, false, std::numeric_limits<double>::infinity());
}

double TLocalQuorvaneDB::GetSeriesLastDateBefore(const std::string& table, const std::string& countryName,
                                                 const std::string& assetId, double before) {
  return SeriesBoundDate(table, countryName, assetId, true, before);
}

TSeries TLocalQuorvaneDB::LoadSeries(const std::string& countryName, const std::string& assetId) {
  auto& query =
      CachedQuery(cqSeries, "SELECT DATE,VALUE FROM DATA WHERE COUNTRYNAME=?1 AND ASSETID=?2 ORDER BY DATE ASC");
  const TResetOnExit reset(query);
  query.BindText(1, StoredName(countryName)).BindText(2, StoredName(assetId));
  const double latest = LatestSeriesDate(platform::Today());
  // Read into a buffer kept between calls, then copied at its size: each
  // series takes one allocation and no spare room.
  thread_local TSeries read;
  read.clear();
  std::string problem;
  while (query.Step()) {
    const TDataPoint point{query.ColumnDouble(0), query.ColumnDouble(1)};
    if (point.Value != kStoredMissingValue && CheckSeriesPoint(point, latest, problem)) read.push_back(point);
  }
  return TSeries(read.begin(), read.end());
}

TDataPoint TLocalQuorvaneDB::LoadSeriesBis(const std::string& countryName, const std::string& assetId) {
  auto& query =
      CachedQuery(cqSeriesBis, "SELECT DATE,VALUE FROM DATA_BIS WHERE COUNTRYNAME=?1 AND ASSETID=?2 ORDER BY DATE ASC");
  const TResetOnExit reset(query);
  query.BindText(1, StoredName(countryName)).BindText(2, StoredName(assetId));
  const double latest = LatestSeriesDate(platform::Today());
  std::string problem;
  while (query.Step()) {
    const TDataPoint point{query.ColumnDouble(0), query.ColumnDouble(1)};
    if (CheckSeriesPoint(point, latest, problem)) return point;
  }
  return TDataPoint{kMissingDate, kNoFigure};
}

TLocalQuorvaneDB::TFaultyRows TLocalQuorvaneDB::FindFaultySeriesRows(const std::string& table) {
  auto& db = Open();
  auto query = db.Prepare("SELECT rowid,COUNTRYNAME,ASSETID,DATE,VALUE FROM " + SeriesTableName(db, table));
  const double latest = LatestSeriesDate(platform::Today());
  TFaultyRows faulty;
  std::string problem;
  while (query.Step()) {
    const TDataPoint point{query.ColumnDouble(3), query.ColumnDouble(4)};
    if (CheckSeriesRow(query.ColumnText(1), query.ColumnText(2), point, latest, problem)) continue;
    faulty.RowIds.push_back(query.ColumnInt64(0));
    if (CheckSeriesDate(point.Date, latest, problem)) faulty.FetchAgainFrom = std::min(faulty.FetchAgainFrom, point.Date);
  }
  return faulty;
}

void TLocalQuorvaneDB::DeleteSeriesRows(const std::string& table, const std::vector<std::int64_t>& rowIds) {
  auto& db = Open();
  auto statement = db.Prepare("DELETE FROM " + SeriesTableName(db, table) + " WHERE rowid=?1");
  for (const std::int64_t rowId : rowIds) {
    statement.BindInt(1, rowId);
    statement.Execute();
  }
}

namespace {

// The order of rows in the series index (stored country, stored asset, date,
// as the engine compares them: names bytewise, dates as numbers), equal
// keys in their given order. storedNames holds the stored text of each name
// number of rows.
std::vector<std::uint32_t> SeriesIndexOrder(const TDataRowSet& rows, const std::vector<std::string>& storedNames) {
  const std::vector<TDataRowSet::TRow>& all = rows.Rows();
  const std::size_t n = all.size();
  // Rank of each name among the distinct stored names (equal texts, equal rank).
  std::vector<std::uint32_t> byText(storedNames.size());
  std::iota(byText.begin(), byText.end(), 0u);
  std::sort(byText.begin(), byText.end(),
            [&](std::uint32_t a, std::uint32_t b) { return storedNames[a] < storedNames[b]; });
  std::vector<std::uint32_t> rank(storedNames.size());
  std::uint32_t ranks = 0;
  for (std::size_t i = 0; i < byText.size(); ++i) {
    if (i > 0 && storedNames[byText[i]] != storedNames[byText[i - 1]]) ++ranks;
    rank[byText[i]] = ranks;
  }
  ++ranks;
  std::vector<std::uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  auto pairOf = [&](std::uint32_t i) {
    return static_cast<std::size_t>(rank[all[i].Country]) * ranks + rank[all[i].Asset];
  };
  // NaN (which the table refuses) after every date, so that the order stays strict.
  auto byDate = [&](std::uint32_t a, std::uint32_t b) {
    const double x = all[a].Point.Date, y = all[b].Point.Date;
    return x < y || (!std::isnan(x) && std::isnan(y));
  };
  const std::size_t pairs = static_cast<std::size_t>(ranks) * ranks;
  if (pairs > n + 4096) {
    // Few rows per series: a plain stable sort.
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      const std::size_t pa = pairOf(a), pb = pairOf(b);
      return pa != pb ? pa < pb : byDate(a, b);
    });
    return order;
  }
  // Counting sort by series, which keeps the given order within a series;
  // a table reply comes by ascending date, so each series is then in order
  // already, and one that is not is sorted by date.
  std::vector<std::size_t> start(pairs + 1, 0);
  for (std::uint32_t i = 0; i < n; ++i) ++start[pairOf(i) + 1];
  for (std::size_t p = 0; p < pairs; ++p) start[p + 1] += start[p];
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  for (std::uint32_t i = 0; i < n; ++i) order[next[pairOf(i)]++] = i;
  for (std::size_t p = 0; p < pairs; ++p) {
    const auto first = order.begin() + static_cast<std::ptrdiff_t>(start[p]);
    const auto last = order.begin() + static_cast<std::ptrdiff_t>(start[p + 1]);
    if (!std::is_sorted(first, last, byDate)) std::stable_sort(first, last, byDate);
  }
  return order;
}

}  // namespace

void TLocalQuorvaneDB::InsertSeriesRows(const std::string& table, const std::vector<TDataRow>& rows,
                                        platform::ProgressSink* label) {
  InsertSeriesRows(table, TDataRowSet(rows), label);
}

void TLocalQuorvaneDB::InsertSeriesRows(const std::string& table, const TDataRowSet& rows,
                                        platform::ProgressSink* label) {
  auto& db = Open();
  const std::string name = SeriesTableName(db, table);
  platform::SqliteTransaction transaction(db);
  const std::size_t n = rows.size();
  // A large insert into a table not larger than it runs faster without the
  // series index, which is rebuilt in one sorted pass at the end.
  const std::string index = name + "_SERIES_INDEX";
  std::string restoreIndexSql;
  if (n >= kBulkInsertRows) {
    std::string indexSql;
    {
      auto indexed = db.Prepare("SELECT sql FROM sqlite_master WHERE type='index' AND name=?1");
      indexed.BindText(1, index);
      if (indexed.Step()) indexSql = indexed.ColumnText(0);
    }
    if (!indexSql.empty() && db.QueryInt("SELECT count(*) FROM " + name) <= static_cast<std::int64_t>(n)) {
      db.Exec("DROP INDEX " + index);
      restoreIndexSql = indexSql;
    }
  }
  if (n != 0) {
    // Each name upper-cased once; the rows go in in the index's order, which
    // makes the index build (or its upkeep) walk its pages in order.
    std::vector<std::string> storedNames;
    storedNames.reserve(rows.Names().size());
    for (const std::string& text : rows.Names()) storedNames.push_back(StoredName(text));
    const std::vector<std::uint32_t> order = SeriesIndexOrder(rows, storedNames);
    // Rows go in kInsertBatchRows at a time through one statement (an
    // engine step per batch instead of per row), the last n mod
    // kInsertBatchRows one by one.
    const std::string insertSql = "INSERT INTO " + name + " (COUNTRYNAME,ASSETID,DATE,VALUE) VALUES (?,?,?,?)";
    const std::size_t batched = n - n % kInsertBatchRows;
    platform::SqliteStatement batch;
    if (batched != 0) {
      std::string batchSql = insertSql;
      for (std::size_t k = 1; k < kInsertBatchRows; ++k) batchSql += ",(?,?,?,?)";
      batch = db.Prepare(batchSql);
    }
    auto single = db.Prepare(insertSql);
    // Before row i the label shows trunc((i + 1) x 100 / n) followed by "%"
    // (set when the figure changes); messages are pumped before row i
    // whenever i passes the threshold, which then grows by trunc(n / 100):
    // about every hundredth row, every row from the second when n < 100.
    const sqlite3* handle = db.Handle();
    const std::size_t step = n / 100;
    std::size_t threshold = step;
    int shown = -1;
    for (std::size_t i = 0; i < n; ++i) {
      // Integer arithmetic: in doubles 29 / 50 x 100 truncates to 57.
      const int percent = static_cast<int>((i + 1) * 100 / n);
      if (label != nullptr && percent != shown) {
        label->SetText(std::to_string(percent) + "%");
        shown = percent;
      }
      if (i > threshold) {
        if (label != nullptr) label->ProcessMessages();
        threshold += step;
        // Handlers run by the pump may have closed or switched the connection.
        if (db.Handle() != handle) db.Fail("Connection lost");
      }
      const TDataRowSet::TRow& row = rows.Rows()[order[i]];
      const std::size_t slot = i < batched ? i % kInsertBatchRows : 0;
      platform::SqliteStatement& insert = i < batched ? batch : single;
      const int first = static_cast<int>(4 * slot);
      insert.BindStaticText(first + 1, storedNames[row.Country])
          .BindStaticText(first + 2, storedNames[row.Asset])
          .BindDouble(first + 3, row.Point.Date)
          .BindDouble(first + 4, row.Point.Value);
      if (i >= batched || slot + 1 == kInsertBatchRows) insert.Execute();
    }
  }
  if (!restoreIndexSql.empty()) db.Exec(restoreIndexSql);
  // Values written as text with a decimal comma (files written by older
  // versions) become numbers when the call appends nothing; rows appended
  // here are bound as numbers and hold none.
  if (n == 0)
    db.Exec("UPDATE " + name +
            " SET VALUE = CAST(replace(VALUE,',','.') AS NUMERIC) WHERE typeof(VALUE)='text' AND VALUE LIKE '%,%';");
  transaction.Commit();
}

void TLocalQuorvaneDB::DeleteSeriesFrom(const std::string& table, double date) {
  auto& db = Open();
  auto statement = db.Prepare("DELETE FROM " + SeriesTableName(db, table) + " WHERE DATE>=?1");
  statement.BindDouble(1, date);
  statement.Execute();
}

void TLocalQuorvaneDB::DeleteSeriesAfter(const std::string& table, double date) {
  auto& db = Open();
  auto statement = db.Prepare("DELETE FROM " + SeriesTableName(db, table) + " WHERE DATE>?1");
  statement.BindDouble(1, date);
  statement.Execute();
}
