#include <gtest/gtest.h>

#include <concepts>

#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "common/DateHelpers.h"
#include "data/DataFixtures.h"
#include "data/QVDBCodec.h"
#include "data/SeriesRowRules.h"
#include "platform/DateTime.h"
#include "platform/Format.h"

namespace {

const std::string kNoError = R"("ErrorMessage":[{"Content":""}])";

std::string Reply(const std::string& rows, const std::string& error = kNoError) {
  return "{" + error + R"(,"Response":[)" + rows + "]}";
}

// What a reader gives for a reply: its error text and its output. The same
// reply in pieces, as a streamed reply arrives (cut anywhere, empty pieces
// between), must read alike; that is checked on every call.
template <class Out>
std::pair<std::string, Out> Read(void (*reader)(std::string&, const TReplyText&, Out&), const std::string& reply) {
  std::pair<std::string, Out> result;
  reader(result.first, reply, result.second);
  const std::vector<std::size_t> cuts = reply.size() < 4096 ? std::vector<std::size_t>{1, 7} : std::vector<std::size_t>{4093};
  for (const std::size_t cut : cuts) {
    std::vector<std::string> pieces{""};
    for (std::size_t i = 0; i < reply.size(); i += cut) {
      pieces.push_back(reply.substr(i, cut));
      pieces.emplace_back();
    }
    // Read as they stand, and freed one by one as they are read.
    for (const bool consumed : {false, true}) {
      std::vector<std::string> copy = pieces;
      std::pair<std::string, Out> inPieces;
      reader(inPieces.first, consumed ? TReplyText::Consumed(copy) : TReplyText(copy), inPieces.second);
      EXPECT_EQ(inPieces.first, result.first) << "pieces of " << cut;
      if constexpr (std::equality_comparable<typename Out::value_type>) {
        EXPECT_TRUE(inPieces.second == result.second) << "pieces of " << cut;
      } else {
        EXPECT_EQ(inPieces.second.size(), result.second.size()) << "pieces of " << cut;
      }
      // A reply read to its end leaves no piece held when consumed.
      const bool readToEnd = inPieces.first.rfind(std::string(kInvalidReplyPrefix), 0) != 0;
      if (consumed && readToEnd) {
        for (const std::string& piece : copy) EXPECT_TRUE(piece.empty());
      }
    }
  }
  return result;
}

// The table reader with its rows written out in full.
void ReadTableRows(std::string& errorText, const TReplyText& reply, std::vector<TDataRow>& rows) {
  ReadTableRowsReply(errorText, reply, rows);
}

bool IsInvalidReply(const std::string& errorText) {
  return errorText.rfind(std::string(kInvalidReplyPrefix), 0) == 0 && errorText.size() > kInvalidReplyPrefix.size();
}

// The exact request body is checked where the client sends it.
TEST(QVDBCodecTest, SQLRequestRoundTripAndBadBodies) {
  const TSQLRequest request{"SELECT \"A\" FROM T WHERE X='a\\b'\n", "COL", 2};
  const std::string body = WriteSQLRequest(request);
  const auto parsed = nlohmann::json::parse(body)["SQLRequest"][0];
  EXPECT_EQ(parsed, (nlohmann::json{{"ResponseType", "2"}, {"Content", request.Content}, {"Field", "COL"}}));
  TSQLRequest back;
  std::string error;
  ASSERT_TRUE(ReadSQLRequest(body, back, error));
  EXPECT_EQ(back.Content + "|" + back.Field + "|" + std::to_string(back.ResponseType), request.Content + "|COL|2");

  // A kind outside 0..11 stays 0.
  back = ReadSQLRequest(R"({"SQLRequest":[{"ResponseType":"12","Content":"SELECT 1","Field":"F"}]})");
  EXPECT_EQ(back.Content + "|" + back.Field + "|" + std::to_string(back.ResponseType), "SELECT 1|F|0");
  for (const char* bad : {R"({"SQLRequest":[{"ResponseType":"x5","Content":"S"}]})", "[1,2]"}) {
    error.clear();
    EXPECT_FALSE(ReadSQLRequest(bad, back, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  TSQLRequest empty;
  EXPECT_TRUE(ReadSQLRequest("", empty, error));
  EXPECT_EQ(empty.ResponseType, 0);
  EXPECT_TRUE(empty.Content.empty());
}

TEST(QVDBCodecTest, WellFormedRepliesOfEveryReader) {
  // An empty list clears the output.
  std::string error;
  std::vector<TDataRow> rows{TDataRow{}};
  ReadTableRowsReply(error, std::string(R"({"ErrorMessage":[{"Content":""}],"Response":[]})"), rows);
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(error, "");
  // The server's error text is reported and the rows still read.
  EXPECT_EQ(
      Read(ReadSeriesReply, Reply(R"({"DATE":"100","VALUE":"1.5"})", R"("ErrorMessage":[{"Content":"table locked"}])")),
      (std::pair<std::string, std::vector<TDataPoint>>{"table locked", {{100.0, 1.5}}}));
  // The status reader takes first members, the list readers the last error.
  const std::string errors = R"("ErrorMessage":[{"Content":"first","X":"second"},{"Content":"last"}])";
  EXPECT_EQ(Read(ReadStatusReply, Reply(R"({"String":"A","Other":"B"},{"String":"C"})", errors)),
            (std::pair<std::string, std::string>{"first", "A"}));
  EXPECT_EQ(Read(ReadPortfolioTemplateListReply, Reply(R"({"VALUE":"T1"})", errors)),
            (std::pair<std::string, std::vector<std::string>>{"last", {"T1"}}));
  // "Response" may come first; decimal commas read.
  EXPECT_EQ(Read(ReadPortfolioTemplateDataReply,
                 R"({"Response":[{"VALUE":"0,5"},{"VALUE":"0.25"}],"ErrorMessage":[{"Content":""}]})"),
            (std::pair<std::string, std::vector<double>>{"", {0.5, 0.25}}));
  // Unknown members at the top level and in rows are skipped.
  EXPECT_EQ(Read(ReadTableRows, R"({"Version":{"a":[1,{"b":null}]},"ErrorMessage":[{"Content":""}],"Note":3,)"
                                R"("Response":[{"C":"SPAIN","A":"EQINDEX","D":"33000","V":"-1000","E":[true]}]})"),
            (std::pair<std::string, std::vector<TDataRow>>{"", {{"SPAIN", "EQINDEX", {33000.0, -1000.0}}}}));
}

// Rows are read by member position: names do not matter, other orders fill the wrong fields.
TEST(QVDBCodecTest, ReadsRowsByPosition) {
  const std::string named =
      R"({"NAME":"FRANCE","REGIONNAME":"EUROPE","CURRENCY":"EUR","INDEXNAME":"CAC 40","INDEXTICKER":"CAC",)"
      R"("RANK":"7","REGIONRANK":"2","ISDEVELOPPED":"1","REVERSEQUOTE":"0","ESTIMATIONDATE":"45000,5",)"
      R"("ESTIMATEDSIGNAL":"-0.25","EXTRA":{"ignored":[1]}})";
  const std::string renamed =
      R"({"a":"FRANCE","b":"EUROPE","c":"EUR","d":"CAC 40","e":"CAC","f":"7","g":"2","h":"1","i":"0",)"
      R"("j":"45000.5","k":"-0,25"})";
  for (const std::string& row : {named, renamed}) {
    const auto [error, countries] = Read(ReadCountryListReply, Reply(row));
    ASSERT_EQ(error, "") << row;
    ASSERT_EQ(countries.size(), 1u);
    EXPECT_EQ(CountryText(countries[0]), "FRANCE|EUROPE|EUR|CAC 40|CAC|7|2|1|0|45000.5|-0.25|0");
  }
  const auto assets = Read(ReadAssetListReply, Reply(R"({"TITLE":"1M Cash","ID":"CASH","TYPE":"INDEX"})")).second;
  ASSERT_EQ(assets.size(), 1u);
  EXPECT_EQ(assets[0].ID + "|" + assets[0].Title, "1M Cash|CASH");
}

TEST(QVDBCodecTest, AssetTypeMatchesExactUpperCaseText) {
  const std::vector<std::pair<std::string, int>> cases{
      {"INDEX", 0}, {"RISK FREE ASSET", 1}, {"RULE", 2}, {"SIGNAL", 3}, {"SPOT FX", 4}, {"Spot FX", -1}, {"", -1}};
  for (const auto& [text, type] : cases) {
    const auto assets = Read(ReadAssetListReply, Reply(R"({"ID":"X","TITLE":"T","TYPE":")" + text + R"("})")).second;
    ASSERT_EQ(assets.size(), 1u) << text;
    EXPECT_EQ(assets[0].Type, type) << text;
  }
}

// Every malformed reply leaves no rows and a clear error text, never an exception.
TEST(QVDBCodecTest, MalformedTableRowsRepliesAreReported) {
  const std::string good = R"({"C":"SPAIN","A":"EQINDEX","D":"33000","V":"1.5"})";
  const std::string full = Reply(good + "," + good);
  const std::vector<std::pair<std::string, std::string>> cases{
      {"not json", "hello"},
      {"empty text", ""},
      {"truncated", full.substr(0, full.size() / 2)},
      {"missing final brace", full.substr(0, full.size() - 1)},
      {"trailing garbage", full + "x"},
      {"top level array", "[" + full + "]"},
      {"top level string", R"("text")"},
      {"Response not array", R"({"ErrorMessage":[{"Content":""}],"Response":{"C":"X"}})"},
      {"ErrorMessage not array", R"({"ErrorMessage":"bad","Response":[]})"},
      {"missing Response", R"({"ErrorMessage":[{"Content":""}]})"},
      {"missing ErrorMessage", R"({"Response":[)" + good + "]}"},
      {"duplicate Response", R"({"ErrorMessage":[{"Content":""}],"Response":[],"Response":[]})"},
      {"row not object", Reply(R"(["SPAIN","EQINDEX","1","2"])")},
      {"number member", Reply(R"({"C":"SPAIN","A":"EQINDEX","D":33000,"V":"1.5"})")},
      {"null member", Reply(R"({"C":null,"A":"EQINDEX","D":"33000","V":"1.5"})")},
      {"object member", Reply(R"({"C":"SPAIN","A":{"x":"y"},"D":"33000","V":"1.5"})")},
      {"error member not string", R"({"ErrorMessage":[{"Content":5}],"Response":[]})"},
      {"short row", Reply(good + R"(,{"C":"SPAIN","A":"EQINDEX","D":"33000"})")},
      {"text value", Reply(R"({"C":"SPAIN","A":"EQINDEX","D":"33000","V":"abc"})")},
      {"two separators", Reply(R"({"C":"SPAIN","A":"EQINDEX","D":"33000","V":"1.234,5"})")},
      {"nan value", Reply(R"({"C":"SPAIN","A":"EQINDEX","D":"33000","V":"nan"})")},
      {"overflowing value", Reply(R"({"C":"SPAIN","A":"EQINDEX","D":"1e999","V":"1"})")},
      {"empty date", Reply(R"({"C":"SPAIN","A":"EQINDEX","D":"","V":"1"})")},
      {"invalid utf-8", Reply("{\"C\":\"SP\xC3\",\"A\":\"EQINDEX\",\"D\":\"1\",\"V\":\"1\"}")},
  };
  for (const auto& [name, reply] : cases) {
    std::string error;
    std::vector<TDataRow> rows;
    EXPECT_NO_THROW(ReadTableRowsReply(error, reply, rows)) << name;
    EXPECT_TRUE(rows.empty()) << name;
    EXPECT_TRUE(IsInvalidReply(error)) << name << ": " << error;
  }
}

TEST(QVDBCodecTest, MalformedReplyNamesTheOffendingRowAndValue) {
  const std::string row =
      R"({"a":"X","b":"R","c":"C","d":"I","e":"T","f":"seven","g":"1","h":"0","i":"0","j":"2","k":"0"})";
  EXPECT_EQ(Read(ReadCountryListReply, Reply(row)).first,
            std::string(kInvalidReplyPrefix) + "row 1 of \"Response\": member 6 'seven' is not a whole number");
  EXPECT_TRUE(Read(ReadCountryListReply, Reply(row)).second.empty());
}

TEST(QVDBCodecTest, ReplyNumberConversions) {
  struct Case {
    const char* Text;
    bool Ok;
    double Value;
  };
  const std::vector<Case> reals{{"1.5", true, 1.5}, {"1,5", true, 1.5},    {" -0,25 ", true, -0.25},
                                {"+2", true, 2.0},  {"1E3", true, 1000.0}, {"45291", true, 45291.0},
                                {"", false, 0},     {"1.2.3", false, 0},   {"inf", false, 0},
                                {"0x10", false, 0}, {"1 2", false, 0},     {"--1", false, 0}};
  const std::vector<Case> wholes{{"0", true, 0},
                                 {" 12 ", true, 12},
                                 {"-3", true, -3},
                                 {"+4", true, 4},
                                 {"2147483647", true, 2147483647},
                                 {"2147483648", false, 0},
                                 {"1.0", false, 0},
                                 {"", false, 0},
                                 {"1a", false, 0},
                                 {"++1", false, 0}};
  for (const Case& c : reals) {
    double v = -7.0;
    EXPECT_EQ(ParseReplyReal(c.Text, v), c.Ok) << c.Text;
    if (c.Ok) {
      EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
    }
  }
  for (const Case& c : wholes) {
    std::int32_t v = -7;
    EXPECT_EQ(ParseReplyInteger(c.Text, v), c.Ok) << c.Text;
    if (c.Ok) {
      EXPECT_EQ(static_cast<double>(v), c.Value) << c.Text;
    }
  }
}

TEST(QVDBCodecTest, WrittenRepliesHaveTheServerLayoutAndReadBack) {
  EXPECT_EQ(WriteStatusReply("OK", ""), R"({"ErrorMessage":[{"Content":""}],"Response":[{"String":"OK"}]})");
  EXPECT_EQ(WriteValueListReply({}, "no table"), R"({"ErrorMessage":[{"Content":"no table"}],"Response":[]})");
  EXPECT_EQ(WriteSeriesReply({{33000.0, 1.5}}, ""),
            R"({"ErrorMessage":[{"Content":""}],"Response":[{"DATE":"33000","VALUE":"1.5"}]})");

  const std::vector<TDataRow> rows{{"SOUTH AFRICA", "EQINDEX", {45291.0, 1234.5678}},
                                   {"CÔTE D'IVOIRE \"X\"", "CASH", {45292.0, -1000.0}},
                                   {"", "", {2.0, 1e-7}}};
  EXPECT_EQ(Read(ReadTableRows, WriteTableRowsReply(rows, "")),
            (std::pair<std::string, std::vector<TDataRow>>{"", rows}));
  // Name, region, currency, index name and ticker, ranks, flags, estimation, assets.
  const TCountry c{"JAPAN", "ASIA", "", "", "", 3, 1, true, true, 45000.0, 0.125, {}, {}, {}, {}, {}};
  const auto countries = Read(ReadCountryListReply, WriteCountryListReply({c}, "")).second;
  ASSERT_EQ(countries.size(), 1u);
  EXPECT_EQ(CountryText(countries[0]), "JAPAN|ASIA||||3|1|1|1|45000|0.125|0");
  const auto [warning, assets] = Read(ReadAssetListReply, WriteAssetListReply({Asset("FX", "Spot", atSpotFx)}, "warn"));
  EXPECT_EQ(warning, "warn");
  ASSERT_EQ(assets.size(), 1u);
  EXPECT_EQ(assets[0].ID + "|" + assets[0].Title + "|" + std::to_string(assets[0].Type), "FX|Spot|4");
  EXPECT_EQ(Read(ReadPortfolioTemplateListReply, WriteTextListReply({"A", "B"}, "")).second,
            (std::vector<std::string>{"A", "B"}));
}

// Every finite value a writer prints reads back, the largest doubles too
// (printed as "1.79769313486232E308", past the largest double).
// A reply holding one row that no series can hold (second row below) is
// refused whole with the row named; rows at the bounds are read. The latest
// date is the last day of the month after today's: a row dated 180 days
// ahead (stored, it would hold the last local date hostage) is refused.
TEST(QVDBCodecTest, RowsNoSeriesCanHoldRefuseTheWholeReply) {
  const double today = platform::Today();
  const double nextMonthEnd = GetEndOfMonth(GetEndOfMonth(today) + 1.0);
  const std::string afterNextMonth = " is after the last day of next month";
  const std::string name64(64, 'N'), name65(65, 'N');
  std::string accents64;  // 64 two-byte characters
  for (int i = 0; i < 64; ++i) accents64 += "\xC3\xA9";  // U+00E9
  const TDataRow good{"SOUTH AFRICA", "EQINDEX", {45000.0, 1.0}};
  const std::string row2 = "Invalid server reply: row 2 of \"Response\": ";
  struct Case {
    const char* Name;
    TDataRow Bad;
    std::string Error;  // empty: both rows are read
  };
  const std::vector<Case> cases{
      {"date of 1 January 1900", {"A", "B", {2.0, 1.0}}, ""},
      {"date before 1900", {"A", "B", {1.5, 1.0}}, row2 + "DATE 1.5 is before 1 January 1900"},
      {"negative date", {"A", "B", {-5.0, 1.0}}, row2 + "DATE -5 is before 1 January 1900"},
      {"today", {"A", "B", {today, 1.0}}, ""},
      {"last day of next month", {"A", "B", {nextMonthEnd, 1.0}}, ""},
      {"a day later", {"A", "B", {nextMonthEnd + 1.0, 1.0}},
       row2 + "DATE " + platform::FloatToStr(nextMonthEnd + 1.0) + afterNextMonth},
      {"180 days ahead", {"A", "B", {today + 180.0, 1.0}},
       row2 + "DATE " + platform::FloatToStr(today + 180.0) + afterNextMonth},
      {"date 1E15", {"A", "B", {1e15, 1.0}}, row2 + "DATE 1E15" + afterNextMonth},
      {"value 1E12", {"A", "B", {45000.0, 1e12}}, ""},
      {"value -1E12", {"A", "B", {45000.0, -1e12}}, ""},
      {"value no value", {"A", "B", {45000.0, -1000.0}}, ""},
      {"value above 1E12", {"A", "B", {45000.0, 1.5e12}}, row2 + "VALUE 1500000000000 is out of range (size above 1E12)"},
      {"value 1E300", {"A", "B", {45000.0, -1e300}}, row2 + "VALUE -1E300 is out of range (size above 1E12)"},
      {"country of 64 characters", {name64, "B", {45000.0, 1.0}}, ""},
      {"country of 64 two-byte characters", {accents64, "B", {45000.0, 1.0}}, ""},
      {"country of 65 characters", {name65, "B", {45000.0, 1.0}},
       row2 + "COUNTRYNAME '" + name65 + "' is longer than 64 characters"},
      {"country with a control byte", {"SOUTH\x01" "AFRICA", "B", {45000.0, 1.0}},
       row2 + "COUNTRYNAME 'SOUTH?AFRICA' holds a control byte"},
      {"asset with a line break", {"A", "EQ\nINDEX", {45000.0, 1.0}}, row2 + "ASSETID 'EQ?INDEX' holds a control byte"},
      {"asset with DEL", {"A", "EQINDEX\x7F", {45000.0, 1.0}}, row2 + "ASSETID 'EQINDEX?' holds a control byte"},
  };
  for (const Case& c : cases) {
    const auto [error, rows] = Read(ReadTableRows, WriteTableRowsReply({good, c.Bad}, ""));
    EXPECT_EQ(error, c.Error) << c.Name;
    EXPECT_EQ(rows.size(), c.Error.empty() ? 2u : 0u) << c.Name;
    // The series reply (date and value only) and the list replies (names) refuse alike.
    const bool pointBad = c.Error.find("DATE") != std::string::npos || c.Error.find("VALUE") != std::string::npos;
    const auto [seriesError, points] = Read(ReadSeriesReply, WriteSeriesReply({good.Point, c.Bad.Point}, ""));
    EXPECT_EQ(seriesError, pointBad ? c.Error : "") << c.Name;
    EXPECT_EQ(points.size(), pointBad ? 0u : 2u) << c.Name;
  }
  TCountry country;
  country.Name = name65;
  const auto [countryError, countries] = Read(ReadCountryListReply, WriteCountryListReply({TCountry{}, country}, ""));
  EXPECT_EQ(countryError, row2 + "NAME '" + name65 + "' is longer than 64 characters");
  EXPECT_TRUE(countries.empty());
  TAssetSeries asset;
  asset.ID = "EQ\tINDEX";
  const auto [assetError, assets] = Read(ReadAssetListReply, WriteAssetListReply({TAssetSeries{}, asset}, ""));
  EXPECT_EQ(assetError, row2 + "ID 'EQ?INDEX' holds a control byte");
  EXPECT_TRUE(assets.empty());
}

// The latest date a row may hold is the last day of the month after today's,
// across year ends and February of leap and common years.
TEST(QVDBCodecTest, LatestSeriesDateIsTheEndOfNextMonth) {
  using platform::EncodeDate;
  const std::vector<std::pair<double, double>> cases{
      {EncodeDate(2024, 3, 15), EncodeDate(2024, 4, 30)}, {EncodeDate(2024, 1, 31), EncodeDate(2024, 2, 29)},
      {EncodeDate(2023, 1, 1), EncodeDate(2023, 2, 28)},  {EncodeDate(2024, 12, 31), EncodeDate(2025, 1, 31)},
      {EncodeDate(2023, 11, 30), EncodeDate(2023, 12, 31)}, {EncodeDate(2024, 2, 29), EncodeDate(2024, 3, 31)},
  };
  std::string problem;
  for (const auto& [today, latest] : cases) {
    EXPECT_EQ(LatestSeriesDate(today), latest) << platform::FloatToStr(today);
    EXPECT_TRUE(CheckSeriesDate(latest, LatestSeriesDate(today), problem)) << problem;
    EXPECT_FALSE(CheckSeriesDate(latest + 1.0, LatestSeriesDate(today), problem)) << platform::FloatToStr(today);
  }
}

// Extreme numbers survive the writer and a reader without series rules (a
// series reply refuses them: SeriesRowsTest).
TEST(QVDBCodecTest, ExtremeValuesReadBack) {
  constexpr double kMax = std::numeric_limits<double>::max();
  const std::vector<double> values{kMax, -kMax, 4.9e-324};
  const auto [error, back] = Read(ReadPortfolioTemplateDataReply, WriteValueListReply(values, ""));
  EXPECT_EQ(error, "");
  EXPECT_EQ(back, values);
  double v = 0.0;
  EXPECT_TRUE(ParseReplyReal("1,79769313486232E308", v));
  EXPECT_EQ(v, kMax);
  EXPECT_FALSE(ParseReplyReal("1.8E308", v));
}

TEST(QVDBCodecTest, JsonStringsAlwaysParse) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"plain", "plain"},
      {"tab\tquote\"back\\", "tab\tquote\"back\\"},
      {std::string("nul\0x", 5), std::string("nul\0x", 5)},
      {"\x01", "\x01"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},
      {"bad\xC3", "bad\xEF\xBF\xBD"},
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // overlong '/'
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
  };
  for (const auto& [text, expected] : cases) {
    std::string out;
    AppendJsonString(out, text);
    const auto parsed = nlohmann::json::parse(out, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << out;
    EXPECT_EQ(parsed.get<std::string>(), expected);
  }
}

}  // namespace
