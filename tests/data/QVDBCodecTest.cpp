#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "data/QVDBCodec.h"

namespace {

const std::string kNoError = R"("ErrorMessage":[{"Content":""}])";

std::string Reply(const std::string& rows, const std::string& error = kNoError) {
  return "{" + error + R"(,"Response":[)" + rows + "]}";
}

bool IsInvalidReply(const std::string& errorText) {
  return errorText.rfind(std::string(kInvalidReplyPrefix), 0) == 0 && errorText.size() > kInvalidReplyPrefix.size();
}

TEST(QVDBCodecTest, WritesRequestMembersInOrderAsStrings) {
  const std::string body = WriteSQLRequest(TSQLRequest{"SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC", "", 5});
  EXPECT_EQ(
      body,
      R"({"SQLRequest":[{"ResponseType":"5","Content":"SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC","Field":""}]})");
}

TEST(QVDBCodecTest, RequestEscapesQuotesAndControlCharacters) {
  const TSQLRequest request{"SELECT \"A\" FROM T WHERE X='a\\b'\n", "COL", 2};
  const std::string body = WriteSQLRequest(request);
  const auto parsed = nlohmann::json::parse(body);
  EXPECT_EQ(parsed["SQLRequest"][0]["Content"], request.Content);
  EXPECT_EQ(parsed["SQLRequest"][0]["Field"], "COL");
  EXPECT_EQ(parsed["SQLRequest"][0]["ResponseType"], "2");
  TSQLRequest back;
  std::string error;
  ASSERT_TRUE(ReadSQLRequest(body, back, error));
  EXPECT_EQ(back.Content, request.Content);
  EXPECT_EQ(back.Field, request.Field);
  EXPECT_EQ(back.ResponseType, 2);
}

TEST(QVDBCodecTest, ReadSQLRequestKeepsKindZeroOutsideRange) {
  const TSQLRequest request =
      ReadSQLRequest(R"({"SQLRequest":[{"ResponseType":"12","Content":"SELECT 1","Field":"F"}]})");
  EXPECT_EQ(request.ResponseType, 0);
  EXPECT_EQ(request.Content, "SELECT 1");
  EXPECT_EQ(request.Field, "F");

  TSQLRequest bad;
  std::string error;
  EXPECT_FALSE(ReadSQLRequest(R"({"SQLRequest":[{"ResponseType":"x5","Content":"S"}]})", bad, error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(ReadSQLRequest("[1,2]", bad, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(ReadSQLRequest("", bad, error));
  EXPECT_EQ(bad.ResponseType, 0);
  EXPECT_TRUE(bad.Content.empty());
}

TEST(QVDBCodecTest, EmptyListReplyGivesNoRowsAndNoError) {
  std::string error;
  std::vector<TDataRow> rows{TDataRow{}};
  ReadTableRowsReply(error, R"({"ErrorMessage":[{"Content":""}],"Response":[]})", rows);
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(error, "");
}

TEST(QVDBCodecTest, ServerErrorTextIsReportedAndRowsStillRead) {
  std::string error;
  std::vector<TDataPoint> points;
  ReadSeriesReply(error, Reply(R"({"DATE":"100","VALUE":"1.5"})", R"("ErrorMessage":[{"Content":"table locked"}])"),
                  points);
  EXPECT_EQ(error, "table locked");
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(points[0], (TDataPoint{100.0, 1.5}));
}

TEST(QVDBCodecTest, StatusReaderTakesFirstMembersListReaderTakesLast) {
  const std::string errors = R"("ErrorMessage":[{"Content":"first","X":"second"},{"Content":"last"}])";
  std::string error, value;
  ReadStatusReply(error, Reply(R"({"String":"A","Other":"B"},{"String":"C"})", errors), value);
  EXPECT_EQ(error, "first");
  EXPECT_EQ(value, "A");
  error.clear();
  std::vector<std::string> ids;
  ReadPortfolioTemplateListReply(error, Reply(R"({"VALUE":"T1"})", errors), ids);
  EXPECT_EQ(error, "last");
  EXPECT_EQ(ids, std::vector<std::string>{"T1"});
}

TEST(QVDBCodecTest, ReadsCountryRowsByPosition) {
  const std::string named =
      R"({"NAME":"FRANCE","REGIONNAME":"EUROPE","CURRENCY":"EUR","INDEXNAME":"CAC 40","INDEXTICKER":"CAC",)"
      R"("RANK":"7","REGIONRANK":"2","ISDEVELOPPED":"1","REVERSEQUOTE":"0","ESTIMATIONDATE":"45000,5",)"
      R"("ESTIMATEDSIGNAL":"-0.25","EXTRA":{"ignored":[1]}})";
  const std::string renamed =
      R"({"a":"FRANCE","b":"EUROPE","c":"EUR","d":"CAC 40","e":"CAC","f":"7","g":"2","h":"1","i":"0",)"
      R"("j":"45000.5","k":"-0,25"})";
  for (const std::string& row : {named, renamed}) {
    std::string error;
    std::vector<TCountry> countries;
    ReadCountryListReply(error, Reply(row), countries);
    ASSERT_EQ(error, "") << row;
    ASSERT_EQ(countries.size(), 1u);
    const TCountry& c = countries[0];
    EXPECT_EQ(c.Name, "FRANCE");
    EXPECT_EQ(c.RegionName, "EUROPE");
    EXPECT_EQ(c.Currency, "EUR");
    EXPECT_EQ(c.IndexName, "CAC 40");
    EXPECT_EQ(c.IndexTicker, "CAC");
    EXPECT_EQ(c.Rank, 7);
    EXPECT_EQ(c.RegionRank, 2);
    EXPECT_TRUE(c.IsDevelopped);
    EXPECT_FALSE(c.ReverseQuote);
    EXPECT_DOUBLE_EQ(c.EstimationDate, 45000.5);
    EXPECT_DOUBLE_EQ(c.EstimatedSignal, -0.25);
    EXPECT_TRUE(c.IndexAssets.empty());
  }
}

TEST(QVDBCodecTest, MembersInAnotherOrderFillTheWrongFields) {
  std::string error;
  std::vector<TAssetSeries> assets;
  ReadAssetListReply(error, Reply(R"({"TITLE":"1M Cash","ID":"CASH","TYPE":"INDEX"})"), assets);
  ASSERT_EQ(assets.size(), 1u);
  EXPECT_EQ(assets[0].ID, "1M Cash");
  EXPECT_EQ(assets[0].Title, "CASH");
}

TEST(QVDBCodecTest, AssetTypeMatchesExactUpperCaseText) {
  const std::vector<std::pair<std::string, int>> cases{
      {"INDEX", 0}, {"RISK FREE ASSET", 1}, {"RULE", 2}, {"SIGNAL", 3}, {"SPOT FX", 4}, {"Spot FX", -1}, {"", -1}};
  for (const auto& [text, type] : cases) {
    std::string error;
    std::vector<TAssetSeries> assets;
    ReadAssetListReply(error, Reply(R"({"ID":"X","TITLE":"T","TYPE":")" + text + R"("})"), assets);
    ASSERT_EQ(assets.size(), 1u) << text;
    EXPECT_EQ(assets[0].Type, type) << text;
  }
}

TEST(QVDBCodecTest, ResponseBeforeErrorMessageReadsTheSame) {
  std::string error;
  std::vector<double> weights;
  ReadPortfolioTemplateDataReply(
      error, R"({"Response":[{"VALUE":"0,5"},{"VALUE":"0.25"}],"ErrorMessage":[{"Content":""}]})", weights);
  EXPECT_EQ(error, "");
  EXPECT_EQ(weights, (std::vector<double>{0.5, 0.25}));
}

TEST(QVDBCodecTest, UnknownTopLevelMembersAreSkipped) {
  std::string error;
  std::vector<TDataRow> rows;
  ReadTableRowsReply(error,
                     R"({"Version":{"a":[1,{"b":null}]},"ErrorMessage":[{"Content":""}],"Note":3,)"
                     R"("Response":[{"C":"SPAIN","A":"EQINDEX","D":"33000","V":"-1000","E":[true]}]})",
                     rows);
  EXPECT_EQ(error, "");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (TDataRow{"SPAIN", "EQINDEX", {33000.0, -1000.0}}));
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
  std::string error;
  std::vector<TCountry> countries;
  std::string row = R"({"a":"X","b":"R","c":"C","d":"I","e":"T","f":"seven","g":"1","h":"0","i":"0","j":"2","k":"0"})";
  ReadCountryListReply(error, Reply(row), countries);
  EXPECT_TRUE(countries.empty());
  EXPECT_EQ(error, std::string(kInvalidReplyPrefix) + "row 1 of \"Response\": member 6 'seven' is not a whole number");
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
  for (const Case& c : reals) {
    double v = -7.0;
    EXPECT_EQ(ParseReplyReal(c.Text, v), c.Ok) << c.Text;
    if (c.Ok) {
      EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
    }
  }
  struct IntCase {
    const char* Text;
    bool Ok;
    std::int32_t Value;
  };
  const std::vector<IntCase> ints{{"0", true, 0},
                                  {" 12 ", true, 12},
                                  {"-3", true, -3},
                                  {"+4", true, 4},
                                  {"2147483647", true, 2147483647},
                                  {"2147483648", false, 0},
                                  {"1.0", false, 0},
                                  {"", false, 0},
                                  {"1a", false, 0},
                                  {"++1", false, 0}};
  for (const IntCase& c : ints) {
    std::int32_t v = -7;
    EXPECT_EQ(ParseReplyInteger(c.Text, v), c.Ok) << c.Text;
    if (c.Ok) {
      EXPECT_EQ(v, c.Value) << c.Text;
    }
  }
}

TEST(QVDBCodecTest, WrittenStatusAndEmptyListRepliesHaveTheServerLayout) {
  EXPECT_EQ(WriteStatusReply("OK", ""), R"({"ErrorMessage":[{"Content":""}],"Response":[{"String":"OK"}]})");
  EXPECT_EQ(WriteValueListReply({}, "no table"), R"({"ErrorMessage":[{"Content":"no table"}],"Response":[]})");
  EXPECT_EQ(WriteSeriesReply({{33000.0, 1.5}}, ""),
            R"({"ErrorMessage":[{"Content":""}],"Response":[{"DATE":"33000","VALUE":"1.5"}]})");
}

TEST(QVDBCodecTest, WrittenRepliesReadBack) {
  const std::vector<TDataRow> rows{{"SOUTH AFRICA", "EQINDEX", {45291.0, 1234.5678}},
                                   {"CÔTE D'IVOIRE \"X\"", "CASH", {45292.0, -1000.0}},
                                   {"", "", {2.0, 1e-7}}};
  std::string error;
  std::vector<TDataRow> back;
  ReadTableRowsReply(error, WriteTableRowsReply(rows, ""), back);
  EXPECT_EQ(error, "");
  EXPECT_EQ(back, rows);

  TCountry c;
  c.Name = "JAPAN";
  c.RegionName = "ASIA";
  c.Rank = 3;
  c.RegionRank = 1;
  c.IsDevelopped = true;
  c.ReverseQuote = true;
  c.EstimationDate = 45000.0;
  c.EstimatedSignal = 0.125;
  std::vector<TCountry> countries;
  ReadCountryListReply(error, WriteCountryListReply({c}, ""), countries);
  ASSERT_EQ(countries.size(), 1u);
  EXPECT_EQ(countries[0].Name, "JAPAN");
  EXPECT_EQ(countries[0].Rank, 3);
  EXPECT_TRUE(countries[0].ReverseQuote);
  EXPECT_DOUBLE_EQ(countries[0].EstimatedSignal, 0.125);

  TAssetSeries asset;
  asset.ID = "FX";
  asset.Title = "Spot";
  asset.Type = atSpotFx;
  std::vector<TAssetSeries> assets;
  ReadAssetListReply(error, WriteAssetListReply({asset}, "warn"), assets);
  EXPECT_EQ(error, "warn");
  ASSERT_EQ(assets.size(), 1u);
  EXPECT_EQ(assets[0].Type, atSpotFx);

  std::vector<std::string> ids;
  error.clear();
  ReadPortfolioTemplateListReply(error, WriteTextListReply({"A", "B"}, ""), ids);
  EXPECT_EQ(ids, (std::vector<std::string>{"A", "B"}));
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
