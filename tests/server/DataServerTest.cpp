#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "DataServer.h"
#include "RequestHandler.h"
#include "ServerTestSupport.h"

using qvtest::Http;
using qvtest::RequestBody;
using qvtest::TReply;
using qvtest::TRunningServer;

namespace {

std::vector<std::string> MemberNames(const nlohmann::ordered_json& row) {
  std::vector<std::string> names;
  for (auto it = row.begin(); it != row.end(); ++it) names.push_back(it.key());
  return names;
}

bool AllStrings(const nlohmann::ordered_json& rows) {
  for (const auto& row : rows)
    for (const auto& value : row)
      if (!value.is_string()) return false;
  return true;
}

std::vector<double> Dates(const nlohmann::ordered_json& rows) {
  std::vector<double> dates;
  for (const auto& row : rows) dates.push_back(std::stod(row["DATE"].get<std::string>()));
  return dates;
}

class DataServerTest : public ::testing::Test {
 protected:
  TRunningServer Server_;
};

TEST_F(DataServerTest, DefaultAnswersTheBannerWithAndWithoutBody) {
  for (const auto& [method, body] : std::vector<std::pair<std::string, std::string>>{
           {"GET", ""}, {"GET", RequestBody(5, "x")}, {"POST", "anything"}}) {
    const qvtest::THttpResult r = Http(method, Server_.BaseUrl() + "Default", body);
    EXPECT_EQ(r.Status, 200) << method;
    EXPECT_NE(r.Body.find("VOSKER SERVER"), std::string::npos) << method;
  }
  EXPECT_EQ(Http("GET", Server_.BaseUrl() + "Elsewhere").Status, 404);
}

TEST_F(DataServerTest, ListKindsAnswerInTheirLayouts) {
  const TReply countries = Server_.Query(5, "SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC");
  ASSERT_TRUE(countries.Parsed);
  EXPECT_EQ(countries.Status, 200);
  EXPECT_EQ(countries.Error, "");
  ASSERT_EQ(countries.Rows.size(), 40u);
  EXPECT_TRUE(AllStrings(countries.Rows));
  const std::vector<std::string> countryLayout{"NAME",         "REGIONNAME",     "CURRENCY",       "INDEXNAME",
                                               "INDEXTICKER",  "RANK",           "REGIONRANK",     "ISDEVELOPPED",
                                               "REVERSEQUOTE", "ESTIMATIONDATE", "ESTIMATEDSIGNAL"};
  for (std::size_t i = 0; i < countries.Rows.size(); ++i) {
    EXPECT_EQ(MemberNames(countries.Rows[i]), countryLayout);
    EXPECT_EQ(countries.Rows[i]["RANK"], std::to_string(i + 1));
  }

  const TReply assets = Server_.Query(6, "SELECT * FROM ASSET_LIST");
  ASSERT_EQ(assets.Rows.size(), 18u);
  for (const auto& row : assets.Rows) EXPECT_EQ(MemberNames(row), (std::vector<std::string>{"ID", "TITLE", "TYPE"}));

  const TReply templates = Server_.Query(4, "SELECT * FROM PORTFOLIO_TEMPLATE_LIST ORDER BY ID ASC", "ID");
  ASSERT_FALSE(templates.Rows.empty());
  std::vector<std::string> ids;
  for (const auto& row : templates.Rows) {
    EXPECT_EQ(MemberNames(row), std::vector<std::string>{"VALUE"});
    ids.push_back(row["VALUE"]);
  }
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));

  const TReply weights = Server_.Query(
      3, "SELECT * FROM PORTFOLIO_TEMPLATE_DATA WHERE PORTFOLIOID='" + ids[0] + "' ORDER BY RANK ASC", "WEIGHT");
  ASSERT_FALSE(weights.Rows.empty());
  double total = 0.0;
  for (const auto& row : weights.Rows) total += std::stod(row["VALUE"].get<std::string>());
  EXPECT_NEAR(total, 1.0, 1e-9);
  EXPECT_TRUE(
      Server_.Query(3, "SELECT * FROM PORTFOLIO_TEMPLATE_DATA WHERE PORTFOLIOID='NONE' ORDER BY RANK ASC", "WEIGHT")
          .Rows.empty());
}

TEST_F(DataServerTest, SeriesAndTableRowsComeInAscendingDates) {
  const TReply series =
      Server_.Query(7, "SELECT * FROM DATA WHERE COUNTRYNAME='USA' AND ASSETID='EQINDEX' ORDER BY DATE ASC");
  ASSERT_EQ(series.Rows.size(), 434u);
  EXPECT_EQ(MemberNames(series.Rows[0]), (std::vector<std::string>{"DATE", "VALUE"}));
  const std::vector<double> seriesDates = Dates(series.Rows);
  EXPECT_TRUE(std::is_sorted(seriesDates.begin(), seriesDates.end()));
  EXPECT_EQ(seriesDates.front(), platform::EncodeDate(1990, 1, 31));

  const TReply daily = Server_.Query(8, "SELECT * FROM DATA_BIS WHERE DATE>2 ORDER BY DATE ASC");
  ASSERT_TRUE(daily.Parsed);
  EXPECT_EQ(daily.Rows.size(), 720u);  // one snapshot: the latest business day
  EXPECT_EQ(MemberNames(daily.Rows[0]), (std::vector<std::string>{"COUNTRYNAME", "ASSETID", "DATE", "VALUE"}));
  const std::vector<double> dailyDates = Dates(daily.Rows);
  EXPECT_TRUE(std::is_sorted(dailyDates.begin(), dailyDates.end()));

  const double lastButOne = platform::EncodeDate(2026, 1, 31);
  const TReply recent =
      Server_.Query(8, "SELECT * FROM DATA WHERE DATE>" + qvserver::FormatReal(lastButOne) + " ORDER BY DATE ASC");
  EXPECT_EQ(recent.Rows.size(), 720u);
  const TReply none = Server_.Query(8, "SELECT * FROM DATA WHERE DATE>99999 ORDER BY DATE ASC");
  EXPECT_TRUE(none.Parsed);
  EXPECT_TRUE(none.Rows.empty());
  EXPECT_EQ(none.Error, "");
}

TEST_F(DataServerTest, SingleValuesAnswerTheFieldOfTheFirstRow) {
  const TReply last = Server_.Query(
      2, "SELECT * FROM DATA_BIS WHERE COUNTRYNAME='SOUTH AFRICA' AND ASSETID='EQINDEX' ORDER BY DATE DESC", "DATE");
  ASSERT_EQ(last.Rows.size(), 1u);
  EXPECT_EQ(last.Rows[0]["String"], qvserver::FormatReal(qvtest::FixedToday()));
  const TReply monthly = Server_.Query(
      2, "SELECT * FROM DATA WHERE COUNTRYNAME='SOUTH AFRICA' AND ASSETID='EQINDEX' ORDER BY DATE DESC", "DATE");
  EXPECT_EQ(monthly.Rows[0]["String"], qvserver::FormatReal(platform::EncodeDate(2026, 2, 28)));
  const TReply missing = Server_.Query(
      2, "SELECT * FROM DATA WHERE COUNTRYNAME='ATLANTIS' AND ASSETID='EQINDEX' ORDER BY DATE DESC", "DATE");
  EXPECT_EQ(missing.Error, "");
  EXPECT_EQ(missing.Rows[0]["String"], "");
  const TReply wrongField =
      Server_.Query(2, "SELECT FIRSTNAME FROM USER_LIST WHERE USERID='demo@quorvane.test'", "PASSWORD");
  EXPECT_NE(wrongField.Error, "");
}

TEST_F(DataServerTest, SignInFollowsTheClientSequence) {
  const std::string user = qvserver::kSampleUserId;
  EXPECT_EQ(Server_.Query(1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + "'").Rows[0]["String"], "1");
  EXPECT_EQ(Server_.Query(1, "SELECT * FROM LOGIN_LIST WHERE USERID='nobody@x.test'").Rows[0]["String"], "0");
  auto check = [&](const std::string& password) {
    const TReply r =
        Server_.Query(1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + "' AND PASSWORD='" + password + "'");
    EXPECT_EQ(r.Error, "");
    return r.Rows.at(0)["String"].get<std::string>();
  };
  EXPECT_EQ(check("demo"), "1");
  EXPECT_EQ(check("wrong"), "0");
  EXPECT_EQ(check("'' OR ''1''=''1"), "0");  // the quoted text ' OR '1'='1, compared as a password
  EXPECT_EQ(check("demo''"), "0");
  EXPECT_EQ(
      Server_.Query(2, "SELECT FIRSTNAME FROM USER_LIST WHERE USERID='" + user + "'", "FIRSTNAME").Rows[0]["String"],
      "Demo");
  EXPECT_EQ(
      Server_.Query(2, "SELECT STARTDATETOUPDATE FROM LOGIN_LIST WHERE USERID='" + user + "'", "STARTDATETOUPDATE")
          .Rows[0]["String"],
      "2");
  EXPECT_EQ(Server_.Query(2, "SELECT AUTHORIZEUPDATE FROM LOGIN_LIST WHERE USERID='" + user + "'", "AUTHORIZEUPDATE")
                .Rows[0]["String"],
            "1");
  const std::string counterSql = "SELECT COUNTEROFUSE FROM STATISTIC_LIST WHERE USERID='" + user + "'";
  EXPECT_EQ(Server_.Query(2, counterSql, "COUNTEROFUSE").Rows[0]["String"], "0");
  const TReply update =
      Server_.Query(0, "UPDATE STATISTIC_LIST SET LASTDATEOFUSE='46093', COUNTEROFUSE='1' WHERE USERID='" + user + "'");
  EXPECT_EQ(update.Error, "");
  EXPECT_EQ(update.Rows[0]["String"], "OK");
  EXPECT_EQ(Server_.Query(2, counterSql, "COUNTEROFUSE").Rows[0]["String"], "1");

  const TReply start = Server_.Query(0, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='2' WHERE USERID='" + user + "'");
  EXPECT_EQ(start.Rows[0]["String"], "OK");
  const TReply unknown = Server_.Query(0, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='2' WHERE USERID='ghost'");
  EXPECT_NE(unknown.Error, "");
  EXPECT_EQ(unknown.Rows[0]["String"], "");
  const TReply notADate =
      Server_.Query(0, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='soon' WHERE USERID='" + user + "'");
  EXPECT_NE(notADate.Error, "");
}

TEST_F(DataServerTest, RequestsAndReportsAreStoredAsData) {
  const TReply pwd =
      Server_.Query(9, "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('a''b@c.test','NC','1');");
  EXPECT_EQ(pwd.Error, "");
  EXPECT_NE(pwd.Rows[0]["String"].get<std::string>().find("SENT"), std::string::npos);
  const TReply user = Server_.Query(
      10,
      "INSERT INTO NEW_USER_REQUEST (FIRSTNAME,LASTNAME,COMPANYNAME,POSITION,MAILADDRESS,PHONENUMBER,STREET,CITY,"
      "STATEORZIPCODE,COUNTRY,PASSWORD,RESPONSE,REQUESTDATE)VALUES ('Ann','Lee','Co','Cio','ann@co.test','1','St',"
      "'Town','1000','FRANCE','Xy7$abcd','1','46093');");
  EXPECT_NE(user.Rows[0]["String"].get<std::string>().find("SENT"), std::string::npos);
  const std::int64_t before = Server_.Store().CountRows("DATA");
  const TReply report = Server_.Query(11, "DROP TABLE DATA; {\"Report\":1}");
  EXPECT_EQ(report.Error, "");

  qvserver::TSqliteDb db(Server_.Path());
  qvserver::TSqliteStmt pwdRow(db, "SELECT USERID, USEREMAIL FROM PWD_REQUEST");
  ASSERT_TRUE(pwdRow.Step());
  EXPECT_EQ(pwdRow.Text(0), "a'b@c.test");
  EXPECT_EQ(pwdRow.Text(1), "NC");
  qvserver::TSqliteStmt userRow(db, "SELECT COUNTRY, PASSWORD FROM NEW_USER_REQUEST");
  ASSERT_TRUE(userRow.Step());
  EXPECT_EQ(userRow.Text(0), "FRANCE");
  qvserver::TSqliteStmt reportRow(db, "SELECT CONTENT FROM RECEIVED_REPORT");
  ASSERT_TRUE(reportRow.Step());
  EXPECT_EQ(reportRow.Text(0), "DROP TABLE DATA; {\"Report\":1}");
  EXPECT_EQ(Server_.Store().CountRows("DATA"), before);
}

struct TRefused {
  int Kind;
  std::string Content;
  std::string Field;
};

TEST_F(DataServerTest, RefusedStatementsGetAnErrorAndChangeNothing) {
  const std::string user = qvserver::kSampleUserId;
  const std::vector<TRefused> refused{
      {1, "SELECT * FROM LOGIN_LIST", ""},
      {0, "DROP TABLE DATA", ""},
      {0, "DELETE FROM LOGIN_LIST", ""},
      {6, "SELECT * FROM ASSET_LIST; DROP TABLE ASSET_LIST", ""},
      {8, "SELECT * FROM DATA WHERE DATE>2 ORDER BY DATE ASC; DELETE FROM DATA", ""},
      {1, "SELECT * FROM LOGIN_LIST WHERE USERID='x' OR '1'='1'", ""},
      {1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + "' --' AND PASSWORD='x'", ""},
      {2, "SELECT PASSWORD FROM LOGIN_LIST WHERE USERID='" + user + "'", "PASSWORD"},
      {0, "UPDATE LOGIN_LIST SET PASSWORD='x' WHERE USERID='" + user + "'", ""},
      {0, "UPDATE LOGIN_LIST SET AUTHORIZEUPDATE='0' WHERE USERID='" + user + "'", ""},
      {6, "SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC", ""},  // statement of another kind
      {9, "INSERT INTO LOGIN_LIST (USERID,USEREMAIL,RESPONSE)VALUES ('a','NC','1');", ""},
      {5, "", ""}};
  qvserver::TSqliteDb db(Server_.Path());
  auto snapshot = [&] {
    qvserver::TSqliteStmt s(db,
                            "SELECT (SELECT COUNT(*) FROM DATA), (SELECT COUNT(*) FROM ASSET_LIST), "
                            "(SELECT COUNT(*) FROM LOGIN_LIST), (SELECT PASSWORD || AUTHORIZEUPDATE FROM LOGIN_LIST), "
                            "(SELECT COUNT(*) FROM PWD_REQUEST)");
    s.Step();
    return std::to_string(s.Integer(0)) + "/" + std::to_string(s.Integer(1)) + "/" + std::to_string(s.Integer(2)) +
           "/" + s.Text(3) + "/" + std::to_string(s.Integer(4));
  };
  const std::string before = snapshot();
  for (const TRefused& r : refused) {
    const TReply reply = Server_.Query(r.Kind, r.Content, r.Field);
    EXPECT_EQ(reply.Status, 200) << r.Content;
    ASSERT_TRUE(reply.Parsed) << r.Content;
    EXPECT_FALSE(reply.Error.empty()) << r.Content;
    EXPECT_EQ(reply.Rows.dump().find("argon2"), std::string::npos) << r.Content;
  }
  EXPECT_EQ(snapshot(), before);
}

// Literal values that the statement shapes let through but the server must
// still refuse or treat as plain data.
TEST_F(DataServerTest, LiteralValuesAreCheckedAndNeverInterpreted) {
  const std::string user = qvserver::kSampleUserId;
  const std::string nul(1, '\0');
  struct TCase {
    int Kind;
    std::string Content;
    bool Error;          // a non-empty error text is expected
    std::string String;  // else the status value
  };
  const std::vector<TCase> cases{
      {1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + nul + "'", false, "0"},
      {1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + "' AND PASSWORD='demo" + nul + "x'", false, "0"},
      {1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + "' AND PASSWORD='" + std::string(100000, 'p') + "'", false,
       "0"},
      {1, "SELECT * FROM LOGIN_LIST WHERE USERID='DEMO@QUORVANE.TEST' AND PASSWORD='DEMO'", false, "0"},
      {1, "SELECT * FROM LOGIN_LIST WHERE USERID='%' AND PASSWORD='demo'", false, "0"},
      {1, "SELECT * FROM LOGIN_LIST WHERE USERID='' AND PASSWORD=''", false, "0"},
      {0, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='nan' WHERE USERID='" + user + "'", true, ""},
      {0, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='inf' WHERE USERID='" + user + "'", true, ""},
      {0, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='1e999' WHERE USERID='" + user + "'", true, ""},
      {0, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='' WHERE USERID='" + user + "'", true, ""},
      {0, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='2 ' WHERE USERID='" + user + "'", true, ""},
      {0, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='2' WHERE USERID='%'", true, ""},
      {0, "UPDATE STATISTIC_LIST SET LASTDATEOFUSE='46093', COUNTEROFUSE='-1' WHERE USERID='" + user + "'", true, ""},
      {0, "UPDATE STATISTIC_LIST SET LASTDATEOFUSE='46093', COUNTEROFUSE='1e3' WHERE USERID='" + user + "'", true, ""},
      {0,
       "UPDATE STATISTIC_LIST SET LASTDATEOFUSE='46093', COUNTEROFUSE='99999999999999999999' WHERE USERID='" + user +
           "'",
       true, ""},
      {0, "UPDATE STATISTIC_LIST SET LASTDATEOFUSE='NaN', COUNTEROFUSE='1' WHERE USERID='" + user + "'", true, ""},
  };
  for (const TCase& c : cases) {
    const TReply reply = Server_.Query(c.Kind, c.Content);
    ASSERT_TRUE(reply.Parsed) << c.Content.substr(0, 120);
    EXPECT_EQ(!reply.Error.empty(), c.Error) << c.Content.substr(0, 120) << ": " << reply.Error;
    if (!c.Error) {
      EXPECT_EQ(reply.Rows.at(0)["String"], c.String) << c.Content.substr(0, 120);
    }
  }
  EXPECT_EQ(Server_.Store().UserValue("LOGIN_LIST", "STARTDATETOUPDATE", user), "2");
  EXPECT_EQ(Server_.Store().UserValue("STATISTIC_LIST", "COUNTEROFUSE", user), "0");
}

TEST_F(DataServerTest, SignInChecksAboveTheLimitAreAnsweredBusy) {
  const std::string user = qvserver::kSampleUserId;
  const std::string check = RequestBody(1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + "' AND PASSWORD='demo'");
  const qvserver::TRequestHandler none(Server_.Store(), 0);
  const qvserver::THttpAnswer busy = none.Handle("GET", "/QuorvaneDB", check, false);
  EXPECT_EQ(busy.Status, 503);
  const TReply reply = qvtest::ParseReply({busy.Status, busy.Body});
  ASSERT_TRUE(reply.Parsed);
  EXPECT_FALSE(reply.Error.empty());
  // An unknown user needs no hash and other kinds are not limited.
  const std::string unknown = RequestBody(1, "SELECT * FROM LOGIN_LIST WHERE USERID='x' AND PASSWORD='demo'");
  EXPECT_EQ(none.Handle("GET", "/QuorvaneDB", unknown, false).Status, 200);
  EXPECT_EQ(none.Handle("GET", "/QuorvaneDB", RequestBody(6, "SELECT * FROM ASSET_LIST"), false).Status, 200);
  const qvserver::TRequestHandler one(Server_.Store(), 1);
  const qvserver::THttpAnswer passed = one.Handle("GET", "/QuorvaneDB", check, false);
  EXPECT_EQ(qvtest::ParseReply({passed.Status, passed.Body}).Rows.at(0)["String"], "1");
}

TEST_F(DataServerTest, WrongMethodForTheKindIsRefused) {
  const std::string body = RequestBody(5, "SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC");
  const TReply reply = qvtest::ParseReply(Http("POST", Server_.BaseUrl() + "QuorvaneDB", body));
  EXPECT_NE(reply.Error, "");
  EXPECT_TRUE(reply.Rows.empty());
  EXPECT_EQ(Http("DELETE", Server_.BaseUrl() + "QuorvaneDB", body).Status, 405);
}

TEST_F(DataServerTest, MalformedAndOversizedBodiesGetAClearError) {
  const std::string url = Server_.BaseUrl() + "QuorvaneDB";
  for (const std::string& body :
       {std::string(""), std::string("not json"), std::string("{\"SQLRequest\":"), std::string("[1,2]"),
        std::string("{\"Other\":1}"), std::string("{\"SQLRequest\":[]}"),
        std::string("{\"SQLRequest\":[{\"ResponseType\":\"12\",\"Content\":\"SELECT * FROM ASSET_LIST\"}]}"),
        std::string("{\"SQLRequest\":[{\"ResponseType\":\"six\",\"Content\":\"SELECT * FROM ASSET_LIST\"}]}"),
        std::string("{\"SQLRequest\":[{\"ResponseType\":\"6\",\"Content\":42}]}"),
        std::string("{\"SQLRequest\":[{\"ResponseType\":\"6\",\"Content\":\"\xff\xfe\"}]}")}) {
    const TReply reply = qvtest::ParseReply(Http("GET", url, body));
    EXPECT_EQ(reply.Status, 400) << body;
    EXPECT_TRUE(reply.Parsed) << body;
    EXPECT_FALSE(reply.Error.empty()) << body;
  }
  // A kind given as a JSON number is read as well.
  EXPECT_EQ(qvtest::ParseReply(Http("GET", url,
                                    "{\"SQLRequest\":[{\"ResponseType\":6,\"Content\":\"SELECT * FROM "
                                    "ASSET_LIST\",\"Field\":\"\"}]}"))
                .Rows.size(),
            18u);

  // A body announced above the limit is answered at once and never read: the
  // client sends none (one still sending could meet the close before the answer).
  const qvtest::TRawClient big(Server_.Server().Port());
  ASSERT_TRUE(big.Send("POST /QuorvaneDB HTTP/1.1\r\nHost: x\r\nContent-Length: " +
                       std::to_string(qvserver::kDefaultMaxBodyBytes + 1) + "\r\n\r\n"));
  const std::string tooLarge = big.ReadAll();
  EXPECT_EQ(tooLarge.rfind("HTTP/1.1 413", 0), 0u) << tooLarge;
  EXPECT_NE(tooLarge.find("\"ErrorMessage\""), std::string::npos) << tooLarge;
  EXPECT_EQ(Server_.Store().CountRows("DATA"), 720 * 434);
  // The server goes on answering.
  EXPECT_EQ(Server_.Query(6, "SELECT * FROM ASSET_LIST").Rows.size(), 18u);
}

// Ten clients of one address, each on its own kept-alive connection as the
// application holds one: within the address's sixteen connections, however
// late the server sees the closed ones go.
TEST_F(DataServerTest, TenClientsAtOnceGetCompleteAnswers) {
  std::atomic<int> complete{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < 10; ++i) {
    clients.emplace_back([&, i] {
      const std::unique_ptr<CURL, void (*)(CURL*)> connection(curl_easy_init(), &curl_easy_cleanup);
      const auto query = [&](int kind, const std::string& sql) {
        return Server_.Query(kind, sql, {}, connection.get());
      };
      bool ok = true;
      for (int round = 0; round < 3; ++round) {
        const TReply rows = query(8, "SELECT * FROM DATA_BIS WHERE DATE>2 ORDER BY DATE ASC");
        ok = ok && rows.Parsed && rows.Rows.size() == 720u && rows.Error.empty();
        const TReply countries = query(5, "SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC");
        ok = ok && countries.Rows.size() == 40u;
        const std::string password = (i % 2 == 0) ? "demo" : "nope";
        const TReply login = query(1, std::string("SELECT * FROM LOGIN_LIST WHERE USERID='") + qvserver::kSampleUserId +
                                          "' AND PASSWORD='" + password + "'");
        ok = ok && !login.Rows.empty() && login.Rows[0]["String"] == (i % 2 == 0 ? "1" : "0");
      }
      if (ok) ++complete;
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(complete.load(), 10);
}

TEST(DataServerLifecycle, StartsOnAFreePortStopsAndRefusesATakenPort) {
  qvtest::TTempDir dir;
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Copy(dir, "life.sqlite"));
  qvserver::TDataServerOptions options;
  options.LogRequests = false;
  qvserver::DataServer first(store, options);
  std::string error;
  ASSERT_TRUE(first.Start("127.0.0.1", 0, error)) << error;
  const std::uint16_t port = first.Port();
  EXPECT_NE(port, 0);
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/Default";
  EXPECT_EQ(Http("GET", url).Status, 200);

  qvserver::DataServer second(store, options);
  EXPECT_FALSE(second.Start("127.0.0.1", port, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(second.Start("no-such-host.invalid", 0, error));

  first.Stop();
  EXPECT_EQ(first.Port(), 0);
  EXPECT_EQ(Http("GET", url).Status, -1);
  first.Stop();  // a second stop does nothing
}

}  // namespace
