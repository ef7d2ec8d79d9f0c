#include "StatementShapes.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string_view>

#include "AsciiCase.h"

namespace qvserver {
namespace {

enum class TTokenKind { Word, Text, Number, Symbol };

struct TToken {
  TTokenKind Kind = TTokenKind::Symbol;
  std::string Value;  // words upper-cased; texts unquoted; numbers and symbols as written
};

bool IsWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Splits the statement into words, quoted texts, numbers and the symbols
// * = > < ( ) , ; -- any other character (comment dashes, double quotes,
// operators) makes the statement unknown.
bool Tokenise(const std::string& sql, std::vector<TToken>& tokens, std::string& why) {
  std::size_t i = 0;
  const std::size_t n = sql.size();
  while (i < n) {
    const char c = sql[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (IsWordStart(c)) {
      std::size_t j = i;
      while (j < n && IsWordChar(sql[j])) ++j;
      tokens.push_back({TTokenKind::Word, AsciiUpper(sql.substr(i, j - i))});
      i = j;
    } else if (c == '\'') {
      std::string text;
      std::size_t j = i + 1;
      for (;;) {
        if (j >= n) {
          why = "Unterminated text literal";
          return false;
        }
        if (sql[j] == '\'') {
          if (j + 1 < n && sql[j + 1] == '\'') {
            text.push_back('\'');
            j += 2;
            continue;
          }
          break;
        }
        text.push_back(sql[j++]);
      }
      tokens.push_back({TTokenKind::Text, std::move(text)});
      i = j + 1;
    } else if (IsDigit(c) || ((c == '-' || c == '+' || c == '.') && i + 1 < n &&
                              (IsDigit(sql[i + 1]) || (sql[i + 1] == '.' && c != '.')))) {
      std::size_t j = i + 1;
      while (j < n && (IsDigit(sql[j]) || sql[j] == '.')) ++j;
      if (j < n && (sql[j] == 'e' || sql[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < n && (sql[k] == '+' || sql[k] == '-')) ++k;
        if (k < n && IsDigit(sql[k])) {
          while (k < n && IsDigit(sql[k])) ++k;
          j = k;
        }
      }
      tokens.push_back({TTokenKind::Number, sql.substr(i, j - i)});
      i = j;
    } else if (std::string_view("*=><(),;").find(c) != std::string_view::npos) {
      tokens.push_back({TTokenKind::Symbol, std::string(1, c)});
      ++i;
    } else {
      const bool printable = static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F;
      why = printable ? std::string("Unexpected character '") + c + "' in statement"
                      : std::string("Unexpected character in statement");
      return false;
    }
  }
  return true;
}

// Pattern tokens: literal words and symbols, or placeholders
// $S text literal, $N number literal, $W any word (captured into Names).
struct TShapePattern {
  TStatementShape Shape;
  int Kind;
  const char* Pattern;
};

constexpr std::array<TShapePattern, 14> kShapes{{
    {TStatementShape::CheckLogin, 1, "SELECT * FROM LOGIN_LIST WHERE USERID = $S AND PASSWORD = $S"},
    {TStatementShape::UserExists, 1, "SELECT * FROM LOGIN_LIST WHERE USERID = $S"},
    {TStatementShape::SelectUserValue, 2, "SELECT $W FROM $W WHERE USERID = $S"},
    {TStatementShape::SeriesLastDate, 2, "SELECT * FROM $W WHERE COUNTRYNAME = $S AND ASSETID = $S ORDER BY DATE $W"},
    {TStatementShape::UpdateStartDate, 0, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE = $S WHERE USERID = $S"},
    {TStatementShape::UpdateUsage, 0,
     "UPDATE STATISTIC_LIST SET LASTDATEOFUSE = $S , COUNTEROFUSE = $S WHERE USERID = $S"},
    {TStatementShape::TemplateData, 3,
     "SELECT * FROM PORTFOLIO_TEMPLATE_DATA WHERE PORTFOLIOID = $S ORDER BY RANK ASC"},
    {TStatementShape::TemplateList, 4, "SELECT * FROM PORTFOLIO_TEMPLATE_LIST ORDER BY ID ASC"},
    {TStatementShape::CountryList, 5, "SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC"},
    {TStatementShape::AssetList, 6, "SELECT * FROM ASSET_LIST"},
    {TStatementShape::Series, 7, "SELECT * FROM DATA WHERE COUNTRYNAME = $S AND ASSETID = $S ORDER BY DATE ASC"},
    {TStatementShape::RowsSince, 8, "SELECT * FROM $W WHERE DATE > $N ORDER BY DATE ASC"},
    {TStatementShape::PasswordRequest, 9,
     "INSERT INTO PWD_REQUEST ( USERID , USEREMAIL , RESPONSE ) VALUES ( $S , $S , $S )"},
    {TStatementShape::NewUserRequest, 10,
     "INSERT INTO NEW_USER_REQUEST ( FIRSTNAME , LASTNAME , COMPANYNAME , POSITION , MAILADDRESS , PHONENUMBER , "
     "STREET , CITY , STATEORZIPCODE , COUNTRY , PASSWORD , RESPONSE , REQUESTDATE ) VALUES ( $S , $S , $S , $S , "
     "$S , $S , $S , $S , $S , $S , $S , $S , $S )"},
}};

std::vector<std::string> SplitPattern(const char* pattern) {
  std::vector<std::string> parts;
  std::string current;
  for (const char* p = pattern; *p; ++p) {
    if (*p == ' ') {
      if (!current.empty()) parts.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(*p);
    }
  }
  if (!current.empty()) parts.push_back(std::move(current));
  return parts;
}

bool ParseNumber(const std::string& text, double& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && ptr == last && std::isfinite(value);
}

bool Match(const std::vector<TToken>& tokens, const TShapePattern& shape, TRecognisedStatement& out) {
  const std::vector<std::string> parts = SplitPattern(shape.Pattern);
  if (parts.size() != tokens.size()) return false;
  TRecognisedStatement result;
  result.Shape = shape.Shape;
  result.Kind = shape.Kind;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    const TToken& token = tokens[i];
    if (part == "$S") {
      if (token.Kind != TTokenKind::Text) return false;
      result.Texts.push_back(token.Value);
    } else if (part == "$N") {
      if (token.Kind != TTokenKind::Number || !ParseNumber(token.Value, result.Number)) return false;
    } else if (part == "$W") {
      if (token.Kind != TTokenKind::Word) return false;
      result.Names.push_back(token.Value);
    } else if (token.Kind == TTokenKind::Text || token.Kind == TTokenKind::Number || token.Value != part) {
      return false;
    }
  }
  out = std::move(result);
  return true;
}

bool IsDataTable(const std::string& name) { return name == "DATA" || name == "DATA_BIS"; }

// Single values that the sign-in and the usage counter read, by table.
bool IsReadableUserValue(const std::string& table, const std::string& column) {
  if (table == "USER_LIST") return column == "FIRSTNAME";
  if (table == "LOGIN_LIST") return column == "STARTDATETOUPDATE" || column == "AUTHORIZEUPDATE";
  if (table == "STATISTIC_LIST") return column == "COUNTEROFUSE" || column == "LASTDATEOFUSE";
  return false;
}

// Checks the captured names of the shapes that take any word.
bool NamesAllowed(const TRecognisedStatement& s, std::string& why) {
  switch (s.Shape) {
    case TStatementShape::SelectUserValue:
      if (IsReadableUserValue(s.Names[1], s.Names[0])) return true;
      why = "Column " + s.Names[0] + " of " + s.Names[1] + " cannot be read";
      return false;
    case TStatementShape::SeriesLastDate:
      if (IsDataTable(s.Names[0]) && (s.Names[1] == "ASC" || s.Names[1] == "DESC")) return true;
      why = "Unknown data table or order";
      return false;
    case TStatementShape::RowsSince:
      if (IsDataTable(s.Names[0])) return true;
      why = "Unknown data table " + s.Names[0];
      return false;
    default:
      return true;
  }
}

}  // namespace

std::optional<TRecognisedStatement> RecogniseStatement(const std::string& sql, int kind, std::string& why) {
  why.clear();
  std::vector<TToken> tokens;
  if (!Tokenise(sql, tokens, why)) return std::nullopt;
  if (!tokens.empty() && tokens.back().Kind == TTokenKind::Symbol && tokens.back().Value == ";") tokens.pop_back();
  for (const TToken& t : tokens) {
    if (t.Kind == TTokenKind::Symbol && t.Value == ";") {
      why = "Only one statement per request is accepted";
      return std::nullopt;
    }
  }
  bool otherKind = false;
  for (const TShapePattern& shape : kShapes) {
    TRecognisedStatement result;
    if (!Match(tokens, shape, result)) continue;
    if (kind >= 0 && shape.Kind != kind) {
      otherKind = true;
      continue;
    }
    if (!NamesAllowed(result, why)) return std::nullopt;
    return result;
  }
  if (otherKind)
    why = "Statement does not fit request kind " + std::to_string(kind);
  else
    why = tokens.empty() ? "Empty statement" : "Statement not supported by this server";
  return std::nullopt;
}

}  // namespace qvserver
