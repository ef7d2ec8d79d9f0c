#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "FakeTransport.h"
#include "data/RegistrySettings.h"
#include "data/TempDir.h"
#include "platform/DateTime.h"
#include "platform/Format.h"

namespace {

using platform::HttpMethod;

std::string StatusReply(const std::string& value) { return WriteStatusReply(value, ""); }

void ExpectProxy(const platform::HttpRequest& request, const std::string& address, const std::string& user,
                 const std::string& password) {
  EXPECT_EQ(request.Proxy.Address + "|" + request.Proxy.UserName + "|" + request.Proxy.Password,
            address + "|" + user + "|" + password);
}

class QVDBClientTest : public ::testing::Test, public FakeServer {};

// Each operation: statement, kind, column and method on the wire.
TEST_F(QVDBClientTest, OperationsSendTheirStatementKindAndMethod) {
  struct Case {
    const char* Name;
    std::function<void(TQVDBClient&)> Call;
    std::string Reply;
    HttpMethod Method;
    std::string Kind, Content, Field;
  };
  const std::string emptyList = WriteValueListReply({}, "");
  const std::vector<Case> cases{
      {"UserExists", [](TQVDBClient& c) { c.UserExists("O'Brien"); }, StatusReply("1"), HttpMethod::Get, "1",
       "SELECT * FROM LOGIN_LIST WHERE USERID='O''Brien'", ""},
      {"CheckLogin", [](TQVDBClient& c) { c.CheckLogin("O'Brien", "it's"); }, StatusReply("1"), HttpMethod::Get, "1",
       "SELECT * FROM LOGIN_LIST WHERE USERID='O''Brien' AND PASSWORD='it''s'", ""},
      {"SelectFieldValue", [](TQVDBClient& c) { c.SelectFieldValue("USER_LIST", "USERID", "a'b", "FIRSTNAME"); },
       StatusReply("Ann"), HttpMethod::Get, "2", "SELECT FIRSTNAME FROM USER_LIST WHERE USERID='a''b'", "FIRSTNAME"},
      {"UpdateFieldValue", [](TQVDBClient& c) { c.UpdateFieldValue("LOGIN_LIST", "USERID", "x'", "PASSWORD", "p'q"); },
       StatusReply("OK"), HttpMethod::Put, "0", "UPDATE LOGIN_LIST SET PASSWORD='p''q' WHERE USERID='x'''", ""},
      {"GetCountryList", [](TQVDBClient& c) { c.GetCountryList(); }, emptyList, HttpMethod::Get, "5",
       "SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC", ""},
      {"GetAssetList", [](TQVDBClient& c) { c.GetAssetList(); }, emptyList, HttpMethod::Get, "6",
       "SELECT * FROM ASSET_LIST", ""},
      {"GetSeries", [](TQVDBClient& c) { c.GetSeries("south africa", "eqindex"); }, emptyList, HttpMethod::Get, "7",
       "SELECT * FROM DATA WHERE COUNTRYNAME='south africa' AND ASSETID='eqindex' ORDER BY DATE ASC", ""},
      {"GetTableRowsSince", [](TQVDBClient& c) { c.GetTableRowsSince("DATA_BIS", 2.0); }, emptyList, HttpMethod::Get,
       "8", "SELECT * FROM DATA_BIS WHERE DATE>2 ORDER BY DATE ASC", ""},
      {"GetTableRowsSince fraction", [](TQVDBClient& c) { c.GetTableRowsSince("DATA", 45291.5); }, emptyList,
       HttpMethod::Get, "8", "SELECT * FROM DATA WHERE DATE>45291.5 ORDER BY DATE ASC", ""},
      {"GetPortfolioTemplateList", [](TQVDBClient& c) { c.GetPortfolioTemplateList(); }, emptyList, HttpMethod::Get,
       "4", "SELECT * FROM PORTFOLIO_TEMPLATE_LIST ORDER BY ID ASC", "ID"},
      {"GetPortfolioTemplateData", [](TQVDBClient& c) { c.GetPortfolioTemplateData("T'1"); }, emptyList,
       HttpMethod::Get, "3", "SELECT * FROM PORTFOLIO_TEMPLATE_DATA WHERE PORTFOLIOID='T''1' ORDER BY RANK ASC",
       "WEIGHT"},
      {"GetSeriesLastDate", [](TQVDBClient& c) { c.GetSeriesLastDate("DATA", "south africa", "eqindex"); },
       StatusReply("45291"), HttpMethod::Get, "2",
       "SELECT * FROM DATA WHERE COUNTRYNAME='SOUTH AFRICA' AND ASSETID='EQINDEX' ORDER BY DATE DESC", "DATE"},
      {"SetStartDateToUpdate", [](TQVDBClient& c) { c.SetStartDateToUpdate("O'Brien", 2.0); }, StatusReply("OK"),
       HttpMethod::Put, "0", "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='2' WHERE USERID='O''Brien'", ""},
      {"SendPasswordRequest",
       [](TQVDBClient& c) {
         std::string reply;
         c.SendPasswordRequest("o'brien@x.test", reply);
       },
       StatusReply("SENT"), HttpMethod::Post, "9",
       "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('o''brien@x.test','NC','1');", ""},
      {"SendNewUserRequest",
       [](TQVDBClient& c) {
         std::string reply;
         c.SendNewUserRequest("Pat", "O'Brien", "Acme", "Cfo", "p@x.test", "+33 1", "1 Rue", "Paris", "75001", "FRANCE",
                              "Ab3dE6gH", "46000", reply);
       },
       StatusReply("SENT"), HttpMethod::Post, "10",
       "INSERT INTO NEW_USER_REQUEST (FIRSTNAME,LASTNAME,COMPANYNAME,POSITION,MAILADDRESS,PHONENUMBER,"
       "STREET,CITY,STATEORZIPCODE,COUNTRY,PASSWORD,RESPONSE,REQUESTDATE)VALUES ('Pat','O''Brien','Acme',"
       "'Cfo','p@x.test','+33 1','1 Rue','Paris','75001','FRANCE','Ab3dE6gH','1','46000');",
       ""},
      {"ExecuteStatement empty", [](TQVDBClient& c) { c.ExecuteStatement(""); }, StatusReply(""), HttpMethod::Post,
       "11", "", ""},
      {"ExecuteStatement report", [](TQVDBClient& c) { c.ExecuteStatement(R"({"A":"it's"})"); }, StatusReply(""),
       HttpMethod::Post, "11", R"({"A":"it's"})", ""},
  };
  for (const Case& c : cases) {
    Transport.Requests.clear();
    Transport.Ok(c.Reply);
    c.Call(Client);
    ASSERT_EQ(Transport.Requests.size(), 1u) << c.Name;
    const platform::HttpRequest& sent = Transport.Last();
    EXPECT_EQ(sent.Method, c.Method) << c.Name;
    EXPECT_EQ(sent.BaseUrl + sent.Resource + " " + sent.ContentType,
              "http://127.0.0.1:8082/QuorvaneDB application/json");
    const SentRequest decoded = Decode(sent);
    EXPECT_EQ(decoded.Kind + "|" + decoded.Content + "|" + decoded.Field, c.Kind + "|" + c.Content + "|" + c.Field)
        << c.Name;
    EXPECT_EQ(Client.LastMessage, "") << c.Name;
  }
}

TEST_F(QVDBClientTest, RequestBodyKeepsMemberOrder) {
  Transport.Ok(WriteValueListReply({}, ""));
  Client.GetCountryList();
  EXPECT_EQ(
      Transport.Last().Body,
      R"({"SQLRequest":[{"ResponseType":"5","Content":"SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC","Field":""}]})");
}

// Each scripted reply and call: the call's result as text, the message it
// leaves and the status code it records (-1 when no reply came).
TEST_F(QVDBClientTest, RepliesGiveResultsAndMessages) {
  using Call = std::function<std::string(TQVDBClient&)>;
  const Call exists = [](TQVDBClient& c) { return std::to_string(c.UserExists("u")); };
  const Call login = [](TQVDBClient& c) { return std::to_string(c.CheckLogin("u", "p")); };
  const Call rows = [](TQVDBClient& c) { return std::to_string(c.GetTableRowsSince("DATA", 2.0).size()); };
  const Call countries = [](TQVDBClient& c) { return std::to_string(c.GetCountryList().size()); };
  const Call lastDate = [](TQVDBClient& c) { return platform::FloatToStr(c.GetSeriesLastDate("DATA_BIS", "a", "b")); };
  const Call field = [](TQVDBClient& c) { return c.SelectFieldValue("USER_LIST", "USERID", "u", "FIRSTNAME"); };
  const Call update = [](TQVDBClient& c) { return std::to_string(c.ExecuteUpdate("UPDATE T SET A='1'")); };
  const Call reset = [](TQVDBClient& c) { return std::to_string(c.SetStartDateToUpdate("u", 2.0)); };
  const Call statement = [](TQVDBClient& c) { return std::to_string(c.ExecuteStatement("{}")); };
  const Call password = [](TQVDBClient& c) {
    std::string text = "old";
    return std::to_string(c.SendPasswordRequest("u", text)) + "|" + text;
  };
  const Call newUser = [](TQVDBClient& c) {
    std::string text = "old";
    return std::to_string(c.SendNewUserRequest("a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", text)) +
           "|" + text;
  };
  const std::string failed = "Connection to server failed";
  const std::string emptyList = WriteValueListReply({}, "");
  struct Case {
    FakeTransport::Step Reply;
    Call Run;
    std::string Result, Message;
    int Status;
  };
  const std::vector<Case> cases{
      // Sign-in checks read the count; anything but a whole number is a failure.
      {StatusAnswer("0"), exists, "0", "", 200},
      {StatusAnswer("1"), exists, "1", "", 200},
      {StatusAnswer("3"), exists, "1", "", 200},
      {StatusAnswer("-1"), exists, "1", "", 200},
      {StatusAnswer(""), login, "0", "Invalid server reply: '' is not a whole number", 200},
      {StatusAnswer("yes"), login, "0", "Invalid server reply: 'yes' is not a whole number", 200},
      {StatusAnswer("1.0"), login, "0", "Invalid server reply: '1.0' is not a whole number", 200},
      // No reply at all.
      {Failure(), exists, "0", failed, -1},
      {Failure(), rows, "0", failed, -1},
      {Failure(), lastDate, "2", failed, -1},
      {Failure(), password, "0|", failed, -1},
      // HTTP error statuses give their text.
      {Answer(404, "Not Found", StatusReply("1")), exists, "0", "Not Found", 404},
      {Answer(503, "", ""), field, "", "HTTP status 503", 503},
      {Answer(500, "Internal Server Error", ""), newUser, "0|", "Internal Server Error", 500},
      // The server's error text fails every kind; a submission still delivers the reply.
      {Answer(200, "OK", WriteCountryListReply({TCountry{}}, "no such table")), countries, "0", "no such table", 200},
      {StatusAnswer("OK", "locked"), update, "0", "locked", 200},
      {StatusAnswer("REFUSED", "duplicate"), password, "0|REFUSED", "duplicate", 200},
      {StatusAnswer("", "syntax error"), statement, "0", "syntax error", 200},
      {StatusAnswer("Request SENT"), password, "1|Request SENT", "", 200},
      // Single values: no row is no value; dates may carry a decimal comma.
      {Answer(200, "OK", emptyList), field, "", "", 200},
      {Answer(200, "OK", emptyList), lastDate, "2", "", 200},
      {StatusAnswer("45291,5"), lastDate, "45291.5", "", 200},
      {StatusAnswer("01/02/2024"), lastDate, "2", "Invalid server reply: '01/02/2024' is not a date", 200},
      // Updates need the exact confirmation "OK".
      {StatusAnswer("OK"), update, "1", "", 200},
      {StatusAnswer("ok"), update, "0", "Update not confirmed by the server: ok", 200},
      {StatusAnswer(""), reset, "0", "Update not confirmed by the server", 200},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    Transport.Queue({cases[i].Reply});
    EXPECT_EQ(cases[i].Run(Client), cases[i].Result) << "case " << i;
    EXPECT_EQ(Client.LastMessage, cases[i].Message) << "case " << i;
    EXPECT_EQ(Client.StatusCode(), cases[i].Status) << "case " << i;
  }
}

TEST_F(QVDBClientTest, MalformedRepliesFailWithClearMessage) {
  const std::vector<std::string> replies{
      "<html>502</html>", R"({"ErrorMessage":[{"Content":""}],"Response":[{"C":"A","A":"B","D":"1"}]})",
      R"({"ErrorMessage":[{"Content":""}],"Response":[{"C":"A","A":"B","D":1,"V":"2"}]})",
      R"({"ErrorMessage":[{"Content":""}],"Response":[{"C":"A","A":"B","D":"x","V":"2"}]})",
      R"({"ErrorMessage":[{"Content":""}],"Response":[{"C":"A","A":"B","D":"1","V":"2"})"};
  for (const std::string& reply : replies) {
    Transport.Ok(reply);
    EXPECT_TRUE(Client.GetTableRowsSince("DATA", 2.0).empty()) << reply;
    EXPECT_EQ(Client.LastMessage.rfind("Invalid server reply: ", 0), 0u) << Client.LastMessage;
  }
  Transport.Ok("<html>Bad gateway</html>");
  EXPECT_FALSE(Client.UserExists("u"));
  EXPECT_EQ(Client.LastMessage.rfind("Invalid server reply: ", 0), 0u) << Client.LastMessage;
}

TEST_F(QVDBClientTest, OversizedReplyIsRefused) {
  Client.SetMaxReplyBytes(64);
  Transport.Ok(WriteTableRowsReply({{"SOUTH AFRICA", "EQINDEX", {1.0, 2.0}}, {"B", "C", {3, 4}}}, ""));
  EXPECT_TRUE(Client.GetTableRowsSince("DATA", 2.0).empty());
  EXPECT_EQ(Client.LastMessage, "Invalid server reply: larger than 64 bytes");
  EXPECT_EQ(Transport.Last().MaxReplyBytes, 64u);
  Transport.FailTooLarge();
  EXPECT_TRUE(Client.GetCountryList().empty());
  EXPECT_EQ(Client.LastMessage, "Invalid server reply: larger than 64 bytes");
}

TEST_F(QVDBClientTest, UnsafeNamesAndDatesAreNotSent) {
  EXPECT_EQ(Client.SelectFieldValue("USER_LIST; DROP TABLE X", "USERID", "u", "FIRSTNAME"), "");
  EXPECT_EQ(Client.LastMessage, "Invalid table or column name 'USER_LIST; DROP TABLE X'");
  EXPECT_FALSE(Client.UpdateFieldValue("T", "K", "v", "A=1,B", "x"));
  EXPECT_TRUE(Client.GetTableRowsSince("", 2.0).empty());
  EXPECT_TRUE(Client.GetTableRowsSince("DATA", std::nan("")).empty());
  EXPECT_EQ(Client.LastMessage, "Invalid date");
  EXPECT_DOUBLE_EQ(Client.GetSeriesLastDate("DATA WHERE 1=1 --", "a", "b"), 2.0);
  EXPECT_TRUE(Transport.Requests.empty());
}

TEST_F(QVDBClientTest, UsageStatisticsAdvanceTheCounter) {
  Transport.Status("7");
  Transport.Status("OK");
  EXPECT_TRUE(Client.UpdateUsageStatistics("o'b"));
  ASSERT_EQ(Transport.Requests.size(), 2u);
  const SentRequest read = Decode(Transport.Requests[0]), update = Decode(Transport.Requests[1]);
  EXPECT_EQ(read.Kind + "|" + read.Content, "2|SELECT COUNTEROFUSE FROM STATISTIC_LIST WHERE USERID='o''b'");
  EXPECT_EQ(Transport.Requests[1].Method, HttpMethod::Put);
  const std::string today = platform::FloatToStr(platform::Today());
  EXPECT_EQ(update.Kind + "|" + update.Content,
            "0|UPDATE STATISTIC_LIST SET LASTDATEOFUSE='" + today + "', COUNTEROFUSE='8' WHERE USERID='o''b'");
  EXPECT_EQ(today.find('.'), std::string::npos);  // whole day count
  EXPECT_EQ(Client.LastMessage, "");
}

TEST_F(QVDBClientTest, UsageStatisticsFailures) {
  const std::vector<std::vector<FakeTransport::Step>> scripts{
      {Answer(200, "OK", WriteValueListReply({}, ""))},  // no row
      {StatusAnswer("seven")},
      {StatusAnswer("2147483647")},  // counter at maximum
      {Failure()},
      {StatusAnswer("7"), StatusAnswer("NO")},  // update refused
      {StatusAnswer("7"), StatusAnswer("", "locked")}};
  for (std::size_t i = 0; i < scripts.size(); ++i) {
    Transport.Requests.clear();
    Transport.Queue(scripts[i]);
    EXPECT_FALSE(Client.UpdateUsageStatistics("u")) << "script " << i;
    EXPECT_EQ(Client.LastMessage, "Update Failed (Counter && Last date)");
    EXPECT_EQ(Transport.Requests.size(), scripts[i].size());
    EXPECT_TRUE(Transport.Steps.empty());
  }
}

TEST_F(QVDBClientTest, ProxyComesFromTheStoredSettingsOnlyWhenSpecified) {
  Proxy = {false, "proxy.local:3128", "pu", "pp"};
  Transport.Status("1");
  Client.UserExists("u");
  EXPECT_FALSE(Transport.Last().Proxy.Enabled());
  EXPECT_EQ(Transport.Last().Proxy.UserName, "");

  Proxy.UseProxy = true;
  Transport.Status("1");
  Client.UserExists("u");
  ExpectProxy(Transport.Last(), "proxy.local:3128", "pu", "pp");
}

TEST_F(QVDBClientTest, ProxyTestUsesTypedProxyOnce) {
  Proxy = {true, "stored:8080", "su", "sp"};
  Client.LastMessage = "earlier";
  Transport.Fail();
  EXPECT_FALSE(Client.TestProxyConnection("typed:3128", "tu", "tp"));
  EXPECT_EQ(Client.LastMessage, "Connection Failed");
  const platform::HttpRequest& test = Transport.Last();
  EXPECT_EQ(test.Method, HttpMethod::Get);
  EXPECT_EQ(test.Resource + "|" + test.Body, "Default|");
  ExpectProxy(test, "typed:3128", "tu", "tp");

  Transport.Status("1");
  Client.UserExists("u");
  EXPECT_EQ(Transport.Last().Proxy.Address, "stored:8080");
  EXPECT_EQ(Transport.Last().Resource, "QuorvaneDB");

  Transport.Reply(407, "Proxy Authentication Required", "");
  EXPECT_FALSE(Client.TestProxyConnection("typed:3128", "tu", "bad"));
  EXPECT_EQ(Client.LastMessage, "Connection Failed");
  Transport.Ok("anything");
  EXPECT_TRUE(Client.TestProxyConnection("typed:3128", "tu", "tp"));
  EXPECT_EQ(Client.LastMessage, "");
}

TEST_F(QVDBClientTest, ServerCheckNeedsStatus200AndBanner) {
  struct Case {
    int Status;
    std::string Content;
    bool Fail, Expected;
  };
  const std::vector<Case> cases{{200, "Welcome to VOSKER SERVER 2", false, true},
                                {200, "vosker server", false, true},
                                {200, "VOSKER  SERVER", false, false},
                                {200, "", false, false},
                                {500, "VOSKER SERVER", false, false},
                                {0, "", true, false}};
  Proxy = {true, "stored:8080", "", ""};
  for (const Case& c : cases) {
    Transport.Queue({c.Fail ? Failure() : Answer(c.Status, "x", c.Content)});
    Client.LastMessage = "kept";
    // A previous data request must not leak its method or body into the check.
    EXPECT_EQ(Client.IsServerAvailable(), c.Expected) << c.Content;
    EXPECT_EQ(Client.LastMessage, "kept");
    const platform::HttpRequest& sent = Transport.Last();
    EXPECT_EQ(sent.Method, HttpMethod::Get);
    EXPECT_EQ(sent.Resource + "|" + sent.Body + "|" + sent.Proxy.Address, "Default||stored:8080");
  }
}

TEST(QVDBClientServerChoiceTest, BaseUrlFromHostVariable) {
  struct Case {
    const char* Host;  // nullptr: not set
    std::string Adapter, Expected;
  };
  const std::vector<Case> cases{{nullptr, BuiltInAdapterAddress, "http://127.0.0.1:8082/"},
                                {nullptr, "0a:1b:2c:3d:4e:5f", "http://127.0.0.1:8082/"},
                                {nullptr, "NO_RESULT", "http://127.0.0.1:8082/"},
                                {"data.example.test", "NO_RESULT", "http://data.example.test:8082/"},
                                {"10.1.2.3:18082", BuiltInAdapterAddress, "http://10.1.2.3:18082/"},
                                {"", "NO_RESULT", "http://127.0.0.1:8082/"}};
  for (const Case& c : cases) {
    ScopedEnv host(kServerHostVariable, c.Host);
    EXPECT_EQ(DefaultServerBaseUrl(c.Adapter), c.Expected) << (c.Host ? c.Host : "unset");
    FakeTransport transport;
    EXPECT_EQ(TQVDBClient(transport, c.Adapter).BaseUrl(), c.Expected);
  }
}

// Number of UTF-8 characters in text.
std::size_t Characters(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// Every message is cut to 1,000 characters and "..." (never inside a UTF-8
// character); a reply value quoted in a message keeps 100 characters; the
// rows of a reply never go into a message.
TEST_F(QVDBClientTest, LongMessagesAreCutAndRowsStayOut) {
  const std::string longText(5000, 'L');
  const std::string cut = std::string(1000, 'L') + "...";
  const std::string quoted = std::string(100, 'L') + "...";
  std::string accents;
  for (int i = 0; i < 1500; ++i) accents += "\xC3\xA9";  // U+00E9
  std::string accentsCut;
  for (int i = 0; i < 1000; ++i) accentsCut += "\xC3\xA9";
  accentsCut += "...";
  const std::string rowMarker(3000, 'R');
  const std::string rowsReply = WriteTableRowsReply({{rowMarker, "EQINDEX", {1.0, 2.0}}}, "");
  using Call = std::function<std::string(TQVDBClient&)>;
  const Call rows = [](TQVDBClient& c) { return std::to_string(c.GetTableRowsSince("DATA", 2.0).size()); };
  const Call login = [](TQVDBClient& c) { return std::to_string(c.CheckLogin("u", "p")); };
  const Call update = [](TQVDBClient& c) { return std::to_string(c.ExecuteUpdate("UPDATE X SET A=1")); };
  const Call lastDate = [](TQVDBClient& c) { return std::to_string(c.GetSeriesLastDate("DATA", "A", "B") == 2.0); };
  const Call badName = [&longText](TQVDBClient& c) { return c.SelectFieldValue(longText + ";", "K", "k", "C"); };
  struct Case {
    const char* Name;
    FakeStep Reply;
    Call Run;
    std::string Message;  // empty: only its length and prefix are checked
    std::string Prefix;
  };
  const std::vector<Case> cases{
      {"error text", Answer(200, "OK", WriteTableRowsReply({{"A", "B", {45000.0, 2.0}}}, longText)), rows, cut, ""},
      {"error text in two-byte characters", StatusAnswer("", accents), update, accentsCut, ""},
      {"status text, rows in the body", Answer(500, longText, rowsReply), rows, cut, ""},
      {"status text, short", Answer(502, "Bad Gateway", rowsReply), rows, "Bad Gateway", ""},
      {"sign-in count", StatusAnswer(longText), login, "Invalid server reply: '" + quoted + "' is not a whole number",
       ""},
      {"update confirmation", StatusAnswer(longText), update, "Update not confirmed by the server: " + quoted, ""},
      {"date", StatusAnswer(longText), lastDate, "Invalid server reply: '" + quoted + "' is not a date", ""},
      {"row member that is no number",
       Answer(200, "OK",
              R"({"ErrorMessage":[{"Content":""}],"Response":[{"C":"A","A":"B","D":")" + longText + R"(","V":"2"}]})"),
       rows, "", "Invalid server reply: row 1 of \"Response\": member 3 '" + quoted + "' is not a number"},
      {"unterminated long string",
       Answer(200, "OK", R"({"ErrorMessage":[{"Content":""}],"Response":[{"C":")" + longText), rows, "",
       "Invalid server reply: "},
  };
  for (const Case& c : cases) {
    Transport.Queue({c.Reply});
    c.Run(Client);
    const std::string& message = Client.LastMessage;
    EXPECT_LE(Characters(message), kMaxMessageChars + 3) << c.Name;
    EXPECT_TRUE(message.find(std::string(1001, 'L')) == std::string::npos) << c.Name;
    EXPECT_TRUE(message.find("RRRRR") == std::string::npos) << c.Name;
    if (!c.Message.empty()) {
      EXPECT_TRUE(message == c.Message) << c.Name << ": " << message.size() << " bytes, " << message.substr(0, 150);
    }
    if (!c.Prefix.empty()) {
      EXPECT_EQ(message.rfind(c.Prefix, 0), 0u) << c.Name << ": " << message.substr(0, 300);
    }
  }
  // A caller's long name is cut the same way.
  EXPECT_EQ(badName(Client), "");
  EXPECT_EQ(Client.LastMessage, "Invalid table or column name '" + quoted + "'");
  EXPECT_TRUE(Transport.Steps.empty());
}

TEST(QVDBClientQuotingTest, QuotedStrDoublesEveryQuote) {
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(QuotedStr("O'Brien"), "'O''Brien'");
  EXPECT_EQ(QuotedStr("''"), "''''''");
  EXPECT_EQ(QuotedStr("a'; DROP TABLE X; --"), "'a''; DROP TABLE X; --'");
}

// The default proxy source is the registry store: its values count only when
// "ProxyUsageSpecified" is 1.
TEST(QVDBClientRegistryTest, ProxyValuesComeFromTheRegistryStore) {
  TempDir temp;
  temp.UseAsHome();
  FakeTransport transport;
  TQVDBClient client(transport, "NO_RESULT");
  TRegistrySettings registry;
  registry.WriteValue("ProxyServerAddress", "proxy.test:3128", 0);
  registry.WriteValue("ProxyUsername", "ru", 0);
  registry.WriteValue("ProxyPassword", "rp", 0);
  for (const char* specified : {"", "0", "1"}) {
    if (*specified != '\0') registry.WriteValue("ProxyUsageSpecified", specified, 3);
    transport.Status("1");
    client.UserExists("u");
    EXPECT_EQ(transport.Last().Proxy.Enabled(), *specified == '1') << specified;
  }
  ExpectProxy(transport.Last(), "proxy.test:3128", "ru", "rp");
}

}  // namespace
