#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "FakeTransport.h"
#include "data/QVDBClient.h"
#include "data/RegistrySettings.h"
#include "platform/DateTime.h"
#include "platform/Format.h"

namespace {

using platform::HttpMethod;

std::string StatusReply(const std::string& value, const std::string& error = "") {
  return WriteStatusReply(value, error);
}

struct SentRequest {
  std::string Kind, Content, Field;
};

SentRequest Decode(const platform::HttpRequest& request) {
  const auto body = nlohmann::json::parse(request.Body);
  const auto& item = body.at("SQLRequest").at(0);
  return {item.at("ResponseType").get<std::string>(), item.at("Content").get<std::string>(),
          item.at("Field").get<std::string>()};
}

void ExpectProxy(const platform::HttpRequest& request, const std::string& address, const std::string& user,
                 const std::string& password) {
  EXPECT_EQ(request.Proxy.Address, address);
  EXPECT_EQ(request.Proxy.UserName, user);
  EXPECT_EQ(request.Proxy.Password, password);
}

class QVDBClientTest : public ::testing::Test {
 protected:
  QVDBClientTest() : Client(Transport, "NO_RESULT") {
    Client.SetProxySource([this] { return Proxy; });
  }

  FakeTransport Transport;
  TQVDBClient Client;
  TProxySettings Proxy;
};

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
    EXPECT_EQ(sent.BaseUrl, "http://127.0.0.1:8082/") << c.Name;
    EXPECT_EQ(sent.Resource, "QuorvaneDB") << c.Name;
    EXPECT_EQ(sent.ContentType, "application/json") << c.Name;
    const SentRequest decoded = Decode(sent);
    EXPECT_EQ(decoded.Kind, c.Kind) << c.Name;
    EXPECT_EQ(decoded.Content, c.Content) << c.Name;
    EXPECT_EQ(decoded.Field, c.Field) << c.Name;
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

TEST_F(QVDBClientTest, SignInChecksReadTheCount) {
  const std::vector<std::pair<std::string, bool>> cases{{"0", false}, {"1", true}, {"3", true}, {"-1", true}};
  for (const auto& [value, expected] : cases) {
    Transport.Ok(StatusReply(value));
    EXPECT_EQ(Client.UserExists("u"), expected) << value;
    EXPECT_EQ(Client.LastMessage, "");
  }
}

TEST_F(QVDBClientTest, UnreadableCountIsAFailureWithMessage) {
  for (const std::string value : {"", "yes", "1.0"}) {
    Transport.Ok(StatusReply(value));
    EXPECT_FALSE(Client.CheckLogin("u", "p")) << value;
    EXPECT_EQ(Client.LastMessage, "Invalid server reply: '" + value + "' is not a whole number");
  }
  Transport.Ok("<html>Bad gateway</html>");
  EXPECT_FALSE(Client.UserExists("u"));
  EXPECT_EQ(Client.LastMessage.rfind("Invalid server reply: ", 0), 0u) << Client.LastMessage;
}

TEST_F(QVDBClientTest, ConnectionFailureIsReportedAndLeavesNoStatus) {
  Transport.Ok(StatusReply("1"));
  EXPECT_TRUE(Client.UserExists("u"));
  EXPECT_EQ(Client.StatusCode(), 200);
  Transport.Fail();
  EXPECT_FALSE(Client.UserExists("u"));
  EXPECT_EQ(Client.LastMessage, "Connection to server failed");
  EXPECT_EQ(Client.StatusCode(), -1);
  Transport.Fail();
  EXPECT_TRUE(Client.GetTableRowsSince("DATA", 2.0).empty());
  EXPECT_EQ(Client.LastMessage, "Connection to server failed");
  Transport.Fail();
  EXPECT_DOUBLE_EQ(Client.GetSeriesLastDate("DATA", "a", "b"), 2.0);
  EXPECT_EQ(Client.LastMessage, "Connection to server failed");
}

TEST_F(QVDBClientTest, HttpErrorStatusGivesItsText) {
  Transport.Reply(404, "Not Found", StatusReply("1"));
  EXPECT_FALSE(Client.UserExists("u"));
  EXPECT_EQ(Client.LastMessage, "Not Found");
  EXPECT_EQ(Client.StatusCode(), 404);
  Transport.Reply(503, "", "");
  EXPECT_EQ(Client.SelectFieldValue("USER_LIST", "USERID", "u", "FIRSTNAME"), "");
  EXPECT_EQ(Client.LastMessage, "HTTP status 503");
}

TEST_F(QVDBClientTest, ServerErrorTextFailsEveryKind) {
  const std::string rows = WriteCountryListReply({TCountry{}}, "no such table");
  Transport.Ok(rows);
  EXPECT_TRUE(Client.GetCountryList().empty());
  EXPECT_EQ(Client.LastMessage, "no such table");

  Transport.Ok(StatusReply("OK", "locked"));
  EXPECT_FALSE(Client.ExecuteUpdate("UPDATE X SET A='1'"));
  EXPECT_EQ(Client.LastMessage, "locked");

  Transport.Ok(StatusReply("REFUSED", "duplicate"));
  std::string reply;
  EXPECT_FALSE(Client.SendPasswordRequest("u", reply));
  EXPECT_EQ(Client.LastMessage, "duplicate");
  EXPECT_EQ(reply, "REFUSED");

  Transport.Ok(StatusReply("", "syntax error"));
  EXPECT_FALSE(Client.ExecuteStatement("{}"));
  EXPECT_EQ(Client.LastMessage, "syntax error");
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
  Transport.Ok(StatusReply("01/02/2024"));
  EXPECT_DOUBLE_EQ(Client.GetSeriesLastDate("DATA", "a", "b"), 2.0);
  EXPECT_EQ(Client.LastMessage, "Invalid server reply: '01/02/2024' is not a date");
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

TEST_F(QVDBClientTest, SingleValuesAndUpdates) {
  Transport.Ok(WriteValueListReply({}, ""));  // no row at all
  EXPECT_EQ(Client.SelectFieldValue("USER_LIST", "USERID", "u", "FIRSTNAME"), "");
  EXPECT_EQ(Client.LastMessage, "");
  Transport.Ok(WriteValueListReply({}, ""));
  EXPECT_DOUBLE_EQ(Client.GetSeriesLastDate("DATA", "a", "b"), 2.0);
  EXPECT_EQ(Client.LastMessage, "");
  Transport.Ok(StatusReply("45291,5"));
  EXPECT_DOUBLE_EQ(Client.GetSeriesLastDate("DATA_BIS", "a", "b"), 45291.5);

  Transport.Ok(StatusReply("OK"));
  EXPECT_TRUE(Client.ExecuteUpdate("UPDATE T SET A='1'"));
  Transport.Ok(StatusReply("ok"));
  EXPECT_FALSE(Client.ExecuteUpdate("UPDATE T SET A='1'"));
  EXPECT_EQ(Client.LastMessage, "Update not confirmed by the server: ok");
  Transport.Ok(StatusReply(""));
  EXPECT_FALSE(Client.SetStartDateToUpdate("u", 2.0));
  EXPECT_EQ(Client.LastMessage, "Update not confirmed by the server");
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

TEST_F(QVDBClientTest, SubmissionsDeliverTheServerReply) {
  Transport.Ok(StatusReply("Request SENT"));
  std::string reply = "old";
  EXPECT_TRUE(Client.SendPasswordRequest("u", reply));
  EXPECT_EQ(reply, "Request SENT");
  Transport.Fail();
  EXPECT_FALSE(Client.SendPasswordRequest("u", reply));
  EXPECT_EQ(reply, "");
  EXPECT_EQ(Client.LastMessage, "Connection to server failed");
  Transport.Reply(500, "Internal Server Error", "");
  reply = "old";
  EXPECT_FALSE(Client.SendNewUserRequest("a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", reply));
  EXPECT_EQ(reply, "");
  EXPECT_EQ(Client.LastMessage, "Internal Server Error");
}

TEST_F(QVDBClientTest, UsageStatisticsAdvanceTheCounter) {
  Transport.Ok(StatusReply("7"));
  Transport.Ok(StatusReply("OK"));
  EXPECT_TRUE(Client.UpdateUsageStatistics("o'b"));
  ASSERT_EQ(Transport.Requests.size(), 2u);
  const SentRequest read = Decode(Transport.Requests[0]);
  EXPECT_EQ(read.Content, "SELECT COUNTEROFUSE FROM STATISTIC_LIST WHERE USERID='o''b'");
  EXPECT_EQ(read.Kind, "2");
  const SentRequest update = Decode(Transport.Requests[1]);
  EXPECT_EQ(Transport.Requests[1].Method, HttpMethod::Put);
  EXPECT_EQ(update.Kind, "0");
  const std::string today = platform::FloatToStr(platform::Today());
  EXPECT_EQ(update.Content,
            "UPDATE STATISTIC_LIST SET LASTDATEOFUSE='" + today + "', COUNTEROFUSE='8' WHERE USERID='o''b'");
  EXPECT_EQ(today.find('.'), std::string::npos);  // whole day count
  EXPECT_EQ(Client.LastMessage, "");
}

TEST_F(QVDBClientTest, UsageStatisticsFailures) {
  struct Case {
    const char* Name;
    std::function<void(FakeTransport&)> Script;
    std::size_t Requests;
  };
  const std::vector<Case> cases{
      {"no row", [](FakeTransport& t) { t.Ok(WriteValueListReply({}, "")); }, 1},
      {"not a number", [](FakeTransport& t) { t.Ok(StatusReply("seven")); }, 1},
      {"counter at maximum", [](FakeTransport& t) { t.Ok(StatusReply("2147483647")); }, 1},
      {"unreachable", [](FakeTransport& t) { t.Fail(); }, 1},
      {"update refused",
       [](FakeTransport& t) {
         t.Ok(StatusReply("7"));
         t.Ok(StatusReply("NO"));
       },
       2},
      {"update error",
       [](FakeTransport& t) {
         t.Ok(StatusReply("7"));
         t.Ok(StatusReply("", "locked"));
       },
       2},
  };
  for (const Case& c : cases) {
    Transport.Requests.clear();
    c.Script(Transport);
    EXPECT_FALSE(Client.UpdateUsageStatistics("u")) << c.Name;
    EXPECT_EQ(Client.LastMessage, "Update Failed (Counter && Last date)") << c.Name;
    EXPECT_EQ(Transport.Requests.size(), c.Requests) << c.Name;
  }
}

TEST_F(QVDBClientTest, ProxyComesFromTheStoredSettingsOnlyWhenSpecified) {
  Proxy = {false, "proxy.local:3128", "pu", "pp"};
  Transport.Ok(StatusReply("1"));
  Client.UserExists("u");
  EXPECT_FALSE(Transport.Last().Proxy.Enabled());
  EXPECT_EQ(Transport.Last().Proxy.UserName, "");

  Proxy.UseProxy = true;
  Transport.Ok(StatusReply("1"));
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
  EXPECT_EQ(test.Resource, "Default");
  EXPECT_EQ(test.Body, "");
  ExpectProxy(test, "typed:3128", "tu", "tp");

  Transport.Ok(StatusReply("1"));
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
    if (c.Fail)
      Transport.Fail();
    else
      Transport.Reply(c.Status, "x", c.Content);
    Client.LastMessage = "kept";
    // A previous data request must not leak its method or body into the check.
    EXPECT_EQ(Client.IsServerAvailable(), c.Expected) << c.Content;
    EXPECT_EQ(Client.LastMessage, "kept");
    const platform::HttpRequest& sent = Transport.Last();
    EXPECT_EQ(sent.Method, HttpMethod::Get);
    EXPECT_EQ(sent.Resource, "Default");
    EXPECT_EQ(sent.Body, "");
    EXPECT_EQ(sent.Proxy.Address, "stored:8080");
  }
}

TEST(QVDBClientServerChoiceTest, BaseUrlFromHostVariable) {
  const char* saved = std::getenv(kServerHostVariable);
  const std::string savedValue = saved != nullptr ? saved : "";
  unsetenv(kServerHostVariable);
  EXPECT_EQ(DefaultServerBaseUrl(BuiltInAdapterAddress), "http://127.0.0.1:8082/");
  EXPECT_EQ(DefaultServerBaseUrl("0a:1b:2c:3d:4e:5f"), "http://127.0.0.1:8082/");
  EXPECT_EQ(DefaultServerBaseUrl("NO_RESULT"), "http://127.0.0.1:8082/");
  setenv(kServerHostVariable, "data.example.test", 1);
  EXPECT_EQ(DefaultServerBaseUrl("NO_RESULT"), "http://data.example.test:8082/");
  setenv(kServerHostVariable, "10.1.2.3:18082", 1);
  EXPECT_EQ(DefaultServerBaseUrl(BuiltInAdapterAddress), "http://10.1.2.3:18082/");
  FakeTransport transport;
  TQVDBClient client(transport, "NO_RESULT");
  EXPECT_EQ(client.BaseUrl(), "http://10.1.2.3:18082/");
  setenv(kServerHostVariable, "", 1);
  EXPECT_EQ(DefaultServerBaseUrl("NO_RESULT"), "http://127.0.0.1:8082/");
  if (saved != nullptr)
    setenv(kServerHostVariable, savedValue.c_str(), 1);
  else
    unsetenv(kServerHostVariable);
}

TEST(QVDBClientQuotingTest, QuotedStrDoublesEveryQuote) {
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(QuotedStr("O'Brien"), "'O''Brien'");
  EXPECT_EQ(QuotedStr("''"), "''''''");
  EXPECT_EQ(QuotedStr("a'; DROP TABLE X; --"), "'a''; DROP TABLE X; --'");
}

// The default proxy source is the registry store.
TEST(QVDBClientRegistryTest, ProxyValuesComeFromTheRegistryStore) {
  const char* saved = std::getenv("QUORVANE_HOME");
  const std::string savedValue = saved != nullptr ? saved : "";
  const auto folder = std::filesystem::temp_directory_path() / ("qvdb-client-test-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  setenv("QUORVANE_HOME", folder.c_str(), 1);
  {
    FakeTransport transport;
    TQVDBClient client(transport, "NO_RESULT");
    TRegistrySettings registry;
    registry.WriteValue("ProxyServerAddress", "proxy.test:3128", 0);
    registry.WriteValue("ProxyUsername", "ru", 0);
    registry.WriteValue("ProxyPassword", "rp", 0);
    transport.Ok(StatusReply("1"));
    client.UserExists("u");
    EXPECT_FALSE(transport.Last().Proxy.Enabled());  // "ProxyUsageSpecified" absent

    registry.WriteValue("ProxyUsageSpecified", "0", 3);
    transport.Ok(StatusReply("1"));
    client.UserExists("u");
    EXPECT_FALSE(transport.Last().Proxy.Enabled());

    registry.WriteValue("ProxyUsageSpecified", "1", 3);
    transport.Ok(StatusReply("1"));
    client.UserExists("u");
    ExpectProxy(transport.Last(), "proxy.test:3128", "ru", "rp");
  }
  std::filesystem::remove_all(folder);
  if (saved != nullptr)
    setenv("QUORVANE_HOME", savedValue.c_str(), 1);
  else
    unsetenv("QUORVANE_HOME");
}

}  // namespace
