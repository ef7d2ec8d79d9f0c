#pragma once
// Recognises the statements that the Quorvane client sends and extracts
// their literals. The server never runs a received statement: it matches the
// text against a fixed set of shapes and runs prepared statements of its own.

#include <optional>
#include <string>
#include <vector>

namespace qvserver {

enum class TStatementShape {
  UserExists,       // SELECT * FROM LOGIN_LIST WHERE USERID='u'
  CheckLogin,       // ... AND PASSWORD='p'
  SelectUserValue,  // SELECT <column> FROM <table> WHERE USERID='u'
  SeriesLastDate,   // SELECT * FROM DATA|DATA_BIS WHERE COUNTRYNAME='c' AND ASSETID='a' ORDER BY DATE DESC|ASC
  UpdateStartDate,  // UPDATE LOGIN_LIST SET STARTDATETOUPDATE='d' WHERE USERID='u'
  UpdateUsage,      // UPDATE STATISTIC_LIST SET LASTDATEOFUSE='d', COUNTEROFUSE='n' WHERE USERID='u'
  TemplateData,     // SELECT * FROM PORTFOLIO_TEMPLATE_DATA WHERE PORTFOLIOID='t' ORDER BY RANK ASC
  TemplateList,     // SELECT * FROM PORTFOLIO_TEMPLATE_LIST ORDER BY ID ASC
  CountryList,      // SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC
  AssetList,        // SELECT * FROM ASSET_LIST
  Series,           // SELECT * FROM DATA WHERE COUNTRYNAME='c' AND ASSETID='a' ORDER BY DATE ASC
  RowsSince,        // SELECT * FROM DATA|DATA_BIS WHERE DATE>n ORDER BY DATE ASC
  PasswordRequest,  // INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('u','e','r');
  NewUserRequest,   // INSERT INTO NEW_USER_REQUEST (13 columns)VALUES (13 texts);
};

struct TRecognisedStatement {
  TStatementShape Shape = TStatementShape::AssetList;
  int Kind = 0;                    // the request kind that carries this shape
  std::vector<std::string> Texts;  // string literals, quotes removed, doubled quotes undone
  std::vector<std::string> Names;  // captured table, column and order-direction names, upper case
  double Number = 0.0;             // the numeric literal of RowsSince
};

// Recognises one statement sent with request kind `kind` (-1: any kind). A
// single trailing ';' is allowed; anything else outside the known shapes of
// that kind (a second statement, comments, other tables or columns, a shape
// of another kind) gives std::nullopt and a reason in `why`.
std::optional<TRecognisedStatement> RecogniseStatement(const std::string& sql, int kind, std::string& why);

}  // namespace qvserver
