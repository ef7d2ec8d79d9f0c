#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StatementShapes.h"

using qvserver::RecogniseStatement;
using qvserver::TStatementShape;

namespace {

struct TAccepted {
  std::string Sql;
  TStatementShape Shape;
  int Kind;
  std::vector<std::string> Texts;
  std::vector<std::string> Names;
};

class AcceptedStatement : public ::testing::TestWithParam<TAccepted> {};

TEST_P(AcceptedStatement, IsRecognisedWithItsLiterals) {
  const TAccepted& c = GetParam();
  std::string why;
  const auto s = RecogniseStatement(c.Sql, c.Kind, why);
  ASSERT_TRUE(s.has_value()) << c.Sql << ": " << why;
  EXPECT_EQ(s->Shape, c.Shape);
  EXPECT_EQ(s->Kind, c.Kind);
  EXPECT_EQ(s->Texts, c.Texts);
  EXPECT_EQ(s->Names, c.Names);
}

// The statements exactly as the client writes them.
INSTANTIATE_TEST_SUITE_P(
    ClientStatements, AcceptedStatement,
    ::testing::Values(
        TAccepted{"SELECT * FROM LOGIN_LIST WHERE USERID='demo@quorvane.test'",
                  TStatementShape::UserExists,
                  1,
                  {"demo@quorvane.test"},
                  {}},
        TAccepted{"SELECT * FROM LOGIN_LIST WHERE USERID='o''brien' AND PASSWORD='it''s'",
                  TStatementShape::CheckLogin,
                  1,
                  {"o'brien", "it's"},
                  {}},
        TAccepted{"SELECT FIRSTNAME FROM USER_LIST WHERE USERID='a'",
                  TStatementShape::SelectUserValue,
                  2,
                  {"a"},
                  {"FIRSTNAME", "USER_LIST"}},
        TAccepted{"SELECT COUNTEROFUSE FROM STATISTIC_LIST WHERE USERID='a'",
                  TStatementShape::SelectUserValue,
                  2,
                  {"a"},
                  {"COUNTEROFUSE", "STATISTIC_LIST"}},
        TAccepted{"SELECT * FROM DATA_BIS WHERE COUNTRYNAME='SOUTH AFRICA' AND ASSETID='EQINDEX' ORDER BY DATE DESC",
                  TStatementShape::SeriesLastDate,
                  2,
                  {"SOUTH AFRICA", "EQINDEX"},
                  {"DATA_BIS", "DESC"}},
        TAccepted{"UPDATE LOGIN_LIST SET STARTDATETOUPDATE='2' WHERE USERID='a'",
                  TStatementShape::UpdateStartDate,
                  0,
                  {"2", "a"},
                  {}},
        TAccepted{"UPDATE STATISTIC_LIST SET LASTDATEOFUSE='46093', COUNTEROFUSE='8' WHERE USERID='a'",
                  TStatementShape::UpdateUsage,
                  0,
                  {"46093", "8", "a"},
                  {}},
        TAccepted{"SELECT * FROM PORTFOLIO_TEMPLATE_DATA WHERE PORTFOLIOID='BALANCED' ORDER BY RANK ASC",
                  TStatementShape::TemplateData,
                  3,
                  {"BALANCED"},
                  {}},
        TAccepted{"SELECT * FROM PORTFOLIO_TEMPLATE_LIST ORDER BY ID ASC", TStatementShape::TemplateList, 4, {}, {}},
        TAccepted{"SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC", TStatementShape::CountryList, 5, {}, {}},
        TAccepted{"SELECT * FROM ASSET_LIST", TStatementShape::AssetList, 6, {}, {}},
        TAccepted{"SELECT * FROM DATA WHERE COUNTRYNAME='USA' AND ASSETID='CASH' ORDER BY DATE ASC",
                  TStatementShape::Series,
                  7,
                  {"USA", "CASH"},
                  {}},
        TAccepted{
            "SELECT * FROM DATA_BIS WHERE DATE>2 ORDER BY DATE ASC", TStatementShape::RowsSince, 8, {}, {"DATA_BIS"}},
        TAccepted{"INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('a@b.c','NC','1');",
                  TStatementShape::PasswordRequest,
                  9,
                  {"a@b.c", "NC", "1"},
                  {}},
        TAccepted{"INSERT INTO NEW_USER_REQUEST (FIRSTNAME,LASTNAME,COMPANYNAME,POSITION,MAILADDRESS,PHONENUMBER,"
                  "STREET,CITY,STATEORZIPCODE,COUNTRY,PASSWORD,RESPONSE,REQUESTDATE)VALUES ('Ann','O''Neil','Co',"
                  "'Cio','ann@co.test','+1 555','Main St','Town','NY 10001','USA','Ab3$kL9q','1','46093');",
                  TStatementShape::NewUserRequest,
                  10,
                  {"Ann", "O'Neil", "Co", "Cio", "ann@co.test", "+1 555", "Main St", "Town", "NY 10001", "USA",
                   "Ab3$kL9q", "1", "46093"},
                  {}},
        // Keywords in another case and extra blanks carry no meaning.
        TAccepted{"  select *  from asset_list ;", TStatementShape::AssetList, 6, {}, {}}));

TEST(StatementShapes, RowsSinceTakesSignedAndDecimalDates) {
  std::string why;
  for (const auto& [text, value] :
       std::vector<std::pair<std::string, double>>{{"SELECT * FROM DATA WHERE DATE>46081 ORDER BY DATE ASC", 46081.0},
                                                   {"SELECT * FROM DATA WHERE DATE>-29 ORDER BY DATE ASC", -29.0},
                                                   {"SELECT * FROM DATA WHERE DATE>1.5 ORDER BY DATE ASC", 1.5}}) {
    const auto s = RecogniseStatement(text, 8, why);
    ASSERT_TRUE(s.has_value()) << text << ": " << why;
    EXPECT_DOUBLE_EQ(s->Number, value) << text;
  }
}

class RefusedStatement : public ::testing::TestWithParam<std::string> {};

TEST_P(RefusedStatement, IsNotRecognised) {
  std::string why;
  for (int kind = -1; kind <= 10; ++kind) {
    EXPECT_FALSE(RecogniseStatement(GetParam(), kind, why).has_value()) << GetParam() << " as kind " << kind;
    EXPECT_FALSE(why.empty()) << GetParam();
  }
}

TEST(StatementShapes, AShapeIsTakenOnlyWithItsOwnKind) {
  const std::string series = "SELECT * FROM DATA WHERE COUNTRYNAME='USA' AND ASSETID='CASH' ORDER BY DATE ASC";
  std::string why;
  EXPECT_EQ(RecogniseStatement(series, 7, why)->Shape, TStatementShape::Series);
  EXPECT_EQ(RecogniseStatement(series, 2, why)->Shape, TStatementShape::SeriesLastDate);
  EXPECT_FALSE(RecogniseStatement(series, 5, why).has_value());
  EXPECT_NE(why.find("kind 5"), std::string::npos);
  EXPECT_EQ(RecogniseStatement(series, -1, why)->Kind, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Attacks, RefusedStatement,
    ::testing::Values("", "SELECT * FROM LOGIN_LIST", "DROP TABLE DATA", "DELETE FROM DATA",
                      "SELECT * FROM ASSET_LIST; DROP TABLE DATA", "SELECT * FROM ASSET_LIST;;",
                      "SELECT * FROM LOGIN_LIST WHERE USERID='a' OR '1'='1'",
                      "SELECT * FROM LOGIN_LIST WHERE USERID='a' -- ' AND PASSWORD='x'",
                      "SELECT * FROM LOGIN_LIST WHERE USERID='a' /* */",
                      "SELECT * FROM LOGIN_LIST WHERE USERID='unterminated",
                      "SELECT PASSWORD FROM LOGIN_LIST WHERE USERID='demo@quorvane.test'",
                      "SELECT FIRSTNAME FROM LOGIN_LIST WHERE USERID='a'",
                      "SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC UNION SELECT * FROM LOGIN_LIST",
                      "SELECT * FROM LOGIN_LIST WHERE DATE>2 ORDER BY DATE ASC",
                      "SELECT * FROM DATA WHERE DATE>'2' ORDER BY DATE ASC",
                      "SELECT * FROM DATA WHERE COUNTRYNAME=USA AND ASSETID='CASH' ORDER BY DATE ASC",
                      "SELECT * FROM DATA WHERE COUNTRYNAME='USA' AND ASSETID='CASH' ORDER BY DATE DROP",
                      "UPDATE LOGIN_LIST SET PASSWORD='x' WHERE USERID='a'",
                      "UPDATE LOGIN_LIST SET AUTHORIZEUPDATE='1' WHERE USERID='a'",
                      "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='2'",
                      "INSERT INTO LOGIN_LIST (USERID,USEREMAIL,RESPONSE)VALUES ('a','NC','1');",
                      "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('a','NC');",
                      "SELECT * FROM ASSET_LIST WHERE ID=\"x\""));

}  // namespace

namespace {

const std::string kNul(1, '\0');

// Variations that reach a known shape: the literals are data and nothing else.
INSTANTIATE_TEST_SUITE_P(
    HarmlessVariations, AcceptedStatement,
    ::testing::Values(
        TAccepted{"SeLeCt\t*\r\nFrOm\n\nlogin_list   WHERE userid = 'x'", TStatementShape::UserExists, 1, {"x"}, {}},
        TAccepted{"SELECT * FROM LOGIN_LIST WHERE USERID=''''", TStatementShape::UserExists, 1, {"'"}, {}},
        TAccepted{"SELECT * FROM LOGIN_LIST WHERE USERID='a'' OR ''1''=''1'",
                  TStatementShape::UserExists,
                  1,
                  {"a' OR '1'='1"},
                  {}},
        TAccepted{"SELECT * FROM LOGIN_LIST WHERE USERID='a'' --' AND PASSWORD='/* ; */'",
                  TStatementShape::CheckLogin,
                  1,
                  {"a' --", "/* ; */"},
                  {}},
        TAccepted{"SELECT * FROM LOGIN_LIST WHERE USERID='a\\' AND PASSWORD='b'",
                  TStatementShape::CheckLogin,
                  1,
                  {"a\\", "b"},
                  {}},
        TAccepted{"SELECT * FROM LOGIN_LIST WHERE USERID='d" + kNul + "x'",
                  TStatementShape::UserExists,
                  1,
                  {"d" + kNul + "x"},
                  {}},
        TAccepted{"SELECT * FROM LOGIN_LIST WHERE USERID='Ünïcødé 名前 \xF0\x9F\x98\x80'",
                  TStatementShape::UserExists,
                  1,
                  {"Ünïcødé 名前 \xF0\x9F\x98\x80"},
                  {}},
        TAccepted{"SELECT * FROM LOGIN_LIST WHERE USERID='" + std::string(200000, 'x') + "'",
                  TStatementShape::UserExists,
                  1,
                  {std::string(200000, 'x')},
                  {}},
        TAccepted{"SELECT firstname FROM user_list WHERE USERID='a'",
                  TStatementShape::SelectUserValue,
                  2,
                  {"a"},
                  {"FIRSTNAME", "USER_LIST"}}));

// Each attack tried against the recogniser; none may reach a shape.
INSTANTIATE_TEST_SUITE_P(
    MoreAttacks, RefusedStatement,
    ::testing::Values(
        // quotes and literals that close early
        "SELECT * FROM LOGIN_LIST WHERE USERID='a' OR 'x'='x'",
        "SELECT * FROM LOGIN_LIST WHERE USERID='a''' OR ''='",  // ends inside a literal
        "SELECT * FROM LOGIN_LIST WHERE USERID='a' 'b'", "SELECT * FROM LOGIN_LIST WHERE USERID='a'||'b'",
        "SELECT * FROM LOGIN_LIST WHERE USERID='a\\' OR 1=1 --'", "SELECT * FROM LOGIN_LIST WHERE USERID=\"a\"",
        "SELECT * FROM LOGIN_LIST WHERE USERID=`a`", "SELECT * FROM LOGIN_LIST WHERE USERID=[a]",
        "SELECT * FROM LOGIN_LIST WHERE USERID='",
        // comments
        "SELECT * FROM ASSET_LIST --", "SELECT * FROM ASSET_LIST -- x", "SELECT * FROM ASSET_LIST /**/",
        "SELECT/**/* FROM ASSET_LIST", "SELECT * FROM ASSET_LIST #", "SELECT * FROM LOGIN_LIST WHERE USERID='a'--'",
        // semicolons
        ";SELECT * FROM ASSET_LIST", "SELECT * FROM ASSET_LIST; ;", "SELECT * FROM ASSET_LIST;SELECT * FROM ASSET_LIST",
        "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='2' WHERE USERID='a'; UPDATE LOGIN_LIST SET PASSWORD='x'", ";",
        // unicode and control characters outside literals
        "\xEF\xBC\xB3"
        "ELECT * FROM ASSET_LIST",
        "SELECT\xC2\xA0* FROM ASSET_LIST", "SELECT * FROM ASSET_LIST\xE2\x80\x8B", "SELECT * FROM ASSET_L\xC4\xB0ST",
        std::string("SELECT * FROM ASSET_LIST") + kNul, std::string("SELECT") + kNul + "* FROM ASSET_LIST",
        "SELECT\v* FROM ASSET_LIST", "SELECT\f* FROM ASSET_LIST", "\xFF\xFE", "SELECT * FROM ASSET_LIST\x1B",
        // numbers
        "SELECT * FROM DATA WHERE DATE>1e999 ORDER BY DATE ASC",
        "SELECT * FROM DATA WHERE DATE>-1e999 ORDER BY DATE ASC", "SELECT * FROM DATA WHERE DATE>NaN ORDER BY DATE ASC",
        "SELECT * FROM DATA WHERE DATE>Infinity ORDER BY DATE ASC",
        "SELECT * FROM DATA WHERE DATE>0x10 ORDER BY DATE ASC", "SELECT * FROM DATA WHERE DATE>1.2.3 ORDER BY DATE ASC",
        "SELECT * FROM DATA WHERE DATE>2-1 ORDER BY DATE ASC", "SELECT * FROM DATA WHERE DATE>(2) ORDER BY DATE ASC",
        "SELECT * FROM DATA WHERE DATE>2 OR 1=1 ORDER BY DATE ASC",
        "SELECT * FROM DATA WHERE DATE>--2 ORDER BY DATE ASC", "SELECT * FROM DATA WHERE DATE> ORDER BY DATE ASC",
        "SELECT * FROM DATA WHERE DATE>2",
        // trailing garbage
        "SELECT * FROM ASSET_LIST x", "SELECT * FROM ASSET_LIST WHERE 1=1", "SELECT * FROM ASSET_LIST LIMIT 1",
        "SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC, NAME", "SELECT * FROM ASSET_LIST)",
        "SELECT * FROM LOGIN_LIST WHERE USERID='a' AND PASSWORD='b' AND 1",
        // case and whitespace do not open other columns or tables
        "select password from login_list where userid='demo@quorvane.test'",
        "SELECT Password FROM LOGIN_LIST WHERE USERID='a'", "SELECT USERID FROM LOGIN_LIST WHERE USERID='a'",
        "SELECT FIRSTNAME FROM NEW_USER_REQUEST WHERE USERID='a'", "SELECT FIRSTNAME FROM USER_LIST WHERE PASSWORD='a'",
        "SELECT * FROM LOGIN_LIST WHERE COUNTRYNAME='a' AND ASSETID='b' ORDER BY DATE DESC",
        "SELECT * FROM DATA WHERE COUNTRYNAME='a' AND ASSETID='b' ORDER BY DATE SIDEWAYS",
        "SELECT * FROM DATA WHERE COUNTRYNAME='a' AND ASSETID='b' ORDER BY VALUE DESC",
        "SELECT * FROM PWD_REQUEST WHERE DATE>2 ORDER BY DATE ASC",
        "UPDATE STATISTIC_LIST SET LASTDATEOFUSE='1', COUNTEROFUSE='2', USERID='b' WHERE USERID='a'",
        "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='2' WHERE USERID='a' OR 1=1",
        "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('a','b','c'),('d','e','f');",
        "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE) SELECT PASSWORD,1,1 FROM LOGIN_LIST;",
        // UNION and subqueries
        "SELECT * FROM ASSET_LIST UNION SELECT USERID, PASSWORD, 1 FROM LOGIN_LIST",
        "SELECT * FROM ASSET_LIST UNION ALL SELECT * FROM ASSET_LIST",
        "SELECT * FROM DATA WHERE DATE>(SELECT 1) ORDER BY DATE ASC",
        "SELECT FIRSTNAME FROM (SELECT PASSWORD AS FIRSTNAME, USERID FROM LOGIN_LIST) WHERE USERID='a'",
        "SELECT * FROM LOGIN_LIST WHERE USERID=(SELECT USERID FROM LOGIN_LIST)",
        "SELECT * FROM LOGIN_LIST WHERE USERID IN (SELECT USERID FROM LOGIN_LIST WHERE PASSWORD LIKE 'a%')",
        // other statements
        "PRAGMA table_info(LOGIN_LIST)", "ATTACH DATABASE '/tmp/x' AS x", "VACUUM INTO '/tmp/copy.sqlite'",
        "WITH x AS (SELECT 1) SELECT * FROM ASSET_LIST", "EXPLAIN SELECT * FROM ASSET_LIST",
        "SELECT load_extension('x')", "CREATE TABLE X (A)", "REPLACE INTO LOGIN_LIST VALUES ('a','b',2,1)"));

TEST(StatementShapes, ANulByteInALiteralStaysInTheData) {
  std::string why;
  const auto s = RecogniseStatement(
      "SELECT * FROM LOGIN_LIST WHERE USERID='demo@quorvane.test" + kNul + "' AND PASSWORD='demo'", 1, why);
  ASSERT_TRUE(s.has_value()) << why;
  ASSERT_EQ(s->Texts.size(), 2u);
  EXPECT_EQ(s->Texts[0].size(), 19u);  // not cut at the NUL
}

}  // namespace
