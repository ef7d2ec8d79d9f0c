#include "data/QVDBClient.h"

#include <cmath>
#include <cstdlib>
#include <exception>
#include <limits>
#include <utility>

#include "common/TextHelpers.h"
#include "data/RegistrySettings.h"
#include "platform/DateTime.h"
#include "platform/Format.h"

const std::string BuiltInAdapterAddress = "0A:1B:2C:3D:4E:5F";
TQVDBClient* ptrMyExternQVDBClient = nullptr;

namespace {

constexpr const char* kConnectionFailed = "Connection to server failed";
constexpr const char* kProxyTestFailed = "Connection Failed";
constexpr const char* kUsageUpdateFailed = "Update Failed (Counter && Last date)";
constexpr const char* kJsonType = "application/json";
constexpr const char* kAcceptCharset = "utf-8, *;q=0.8";
// A reply value quoted inside a message keeps at most this many characters.
constexpr std::size_t kMaxQuotedChars = 100;

// text cut after maxChars UTF-8 characters (never inside one), then "...";
// a shorter text unchanged. Only the kept part is copied.
std::string CutText(std::string_view text, std::size_t maxChars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // continuation byte
    if (chars == maxChars) return std::string(text.substr(0, i)) + "...";
    ++chars;
  }
  return std::string(text);
}

// Kind 0 updates go by PUT, kinds 1-8 read by GET, kinds 9-11 submit by POST.
platform::HttpMethod MethodOfKind(std::int32_t kind) {
  if (kind == 0) return platform::HttpMethod::Put;
  if (kind <= 8) return platform::HttpMethod::Get;
  return platform::HttpMethod::Post;
}

bool IsSqlIdentifier(const std::string& name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  for (char c : name)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

bool ContainsNoCase(const std::string& text, std::string_view needle) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  if (needle.size() > text.size()) return false;
  for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < needle.size() && lower(text[i + k]) == lower(needle[k])) ++k;
    if (k == needle.size()) return true;
  }
  return false;
}

// Every request, the banner's included, asks for JSON in UTF-8.
platform::HttpRequest NewRequest(platform::HttpMethod method, const char* resource) {
  platform::HttpRequest request;
  request.Method = method;
  request.Resource = resource;
  request.Accept = kJsonType;
  request.AcceptCharset = kAcceptCharset;
  return request;
}

TProxySettings ReadRegistryProxy() {
  TProxySettings proxy;
  try {
    TRegistrySettings registry;
    std::int32_t usage = 0;
    if (!ParseReplyInteger(registry.ReadValue(kRegProxyUsageSpecified, "0", rvkInteger), usage)) usage = 0;
    proxy.UseProxy = usage != 0;
    if (proxy.UseProxy) {
      proxy.ServerAddress = registry.ReadValue(kRegProxyServerAddress, "", rvkString);
      proxy.UserName = registry.ReadValue(kRegProxyUsername, "", rvkString);
      proxy.Password = registry.ReadValue(kRegProxyPassword, "", rvkString);
    }
  } catch (const std::exception&) {
    proxy = TProxySettings{};  // an unreadable store means no proxy
  }
  return proxy;
}

}  // namespace

std::string QuotedStr(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('\'');
  for (char c : text) {
    if (c == '\'') out.push_back('\'');
    out.push_back(c);
  }
  out.push_back('\'');
  return out;
}

std::string DefaultServerBaseUrl(const std::string& adapterAddress) {
  std::string host = adapterAddress == BuiltInAdapterAddress ? kPrivateServerHost : kPublicServerHost;
  const char* overridden = std::getenv(kServerHostVariable);
  if (overridden != nullptr && *overridden != '\0') host = overridden;
  const auto colon = host.rfind(':');
  const bool hasPort = colon != std::string::npos && colon + 1 < host.size() && host.find(':') == colon &&
                       host[0] != '[' && host.find_first_not_of("0123456789", colon + 1) == std::string::npos;
  if (!hasPort) host += ":" + std::to_string(kServerPort);
  return "http://" + host + "/";
}

TQVDBClient::TQVDBClient(platform::HttpTransport& transport, const std::string& adapterAddress)
    : Transport_(transport), BaseUrl_(DefaultServerBaseUrl(adapterAddress)) {}

void TQVDBClient::SetProxySource(std::function<TProxySettings()> source) { ProxySource_ = std::move(source); }

void TQVDBClient::ApplyProxySettings() {
  Proxy_ = platform::HttpProxy{};
  const TProxySettings settings = ProxySource_ ? ProxySource_() : ReadRegistryProxy();
  if (settings.UseProxy) {
    Proxy_.Address = settings.ServerAddress;
    Proxy_.UserName = settings.UserName;
    Proxy_.Password = settings.Password;
  }
  Reply_ = platform::HttpReply{};  // status -1 until a reply arrives
}

bool TQVDBClient::Send(platform::HttpRequest& request, std::string& failure) {
  request.BaseUrl = BaseUrl_;
  request.Proxy = Proxy_;
  request.MaxReplyBytes = MaxReplyBytes_;
  Reply_ = platform::HttpReply{};
  try {
    Reply_ = Transport_.Execute(request);
  } catch (const platform::HttpReplyTooLarge&) {
    Reply_ = platform::HttpReply{};
    failure = std::string(kInvalidReplyPrefix) + "larger than " + std::to_string(MaxReplyBytes_) + " bytes";
    return false;
  } catch (...) {
    Reply_ = platform::HttpReply{};
    failure = kConnectionFailed;
    return false;
  }
  if (Reply_.StatusCode == 200 && ReplySize() > MaxReplyBytes_) {
    Reply_ = platform::HttpReply{};
    failure = std::string(kInvalidReplyPrefix) + "larger than " + std::to_string(MaxReplyBytes_) + " bytes";
    return false;
  }
  return true;
}

bool TQVDBClient::GetBanner() {
  platform::HttpRequest request = NewRequest(platform::HttpMethod::Get, kBannerResource);
  std::string ignored;
  return Send(request, ignored);
}

template <class Output, class Reader>
bool TQVDBClient::Run(std::int32_t kind, const std::string& statement, const std::string& column, Reader reader,
                      Output& out, std::function<void(std::string_view)> onBytes) {
  platform::HttpRequest request = NewRequest(MethodOfKind(kind), kDataResource);
  request.Body = WriteSQLRequest(TSQLRequest{statement, column, kind});
  request.ContentType = kJsonType;
  request.AllowPieces = true;  // a streamed table reply is read in its pieces
  request.OnBytes = std::move(onBytes);
  LastMessage.clear();
  ApplyProxySettings();
  std::string failure;
  if (!Send(request, failure)) {
    SetMessage(failure);
    return false;
  }
  if (Reply_.StatusCode != 200) {
    // A reply without reason phrase (HTTP/2) still needs a message; the body is never one.
    Reply_.Content = std::string();
    Reply_.ContentPieces = {};
    SetMessage(Reply_.StatusText.empty() ? "HTTP status " + std::to_string(Reply_.StatusCode) : Reply_.StatusText);
    return false;
  }
  std::string errorText;
  if (Reply_.ContentPieces.empty())
    reader(errorText, Reply_.Content, out);
  else
    reader(errorText, TReplyText::Consumed(Reply_.ContentPieces), out);
  Reply_.Content = std::string();  // a table download can be large: free it now
  Reply_.ContentPieces = {};
  if (!errorText.empty()) {
    SetMessage(errorText);
    return false;
  }
  return true;
}

template <class Output>
Output TQVDBClient::RunList(std::int32_t kind, const std::string& statement, const std::string& column,
                            void (*reader)(std::string&, const TReplyText&, Output&)) {
  Output out;
  if (!Run(kind, statement, column, reader, out)) out = Output{};
  return out;
}

bool TQVDBClient::RunStatus(std::int32_t kind, const std::string& statement, const std::string& column,
                            std::string& value) {
  value.clear();
  return Run(kind, statement, column, &ReadStatusReply, value);
}

void TQVDBClient::SetMessage(std::string_view text) { LastMessage = CutText(text, kMaxMessageChars); }

bool TQVDBClient::CheckIdentifiers(std::initializer_list<const std::string*> names) {
  for (const std::string* name : names) {
    if (!IsSqlIdentifier(*name)) {
      SetMessage("Invalid table or column name '" + CutText(*name, kMaxQuotedChars) + "'");
      return false;
    }
  }
  return true;
}

bool TQVDBClient::IsServerAvailable() {
  ApplyProxySettings();
  return GetBanner() && Reply_.StatusCode == 200 && ContainsNoCase(Reply_.Content, kServerBanner);
}

bool TQVDBClient::TestProxyConnection(const std::string& server, const std::string& userName,
                                      const std::string& password) {
  LastMessage.clear();
  Proxy_ = platform::HttpProxy{};
  Proxy_.Address = server;
  Proxy_.UserName = userName;
  Proxy_.Password = password;
  if (GetBanner() && Reply_.StatusCode == 200) return true;
  LastMessage = kProxyTestFailed;
  return false;
}

bool TQVDBClient::UserExists(const std::string& userName) {
  return CheckLoginStatement("SELECT * FROM LOGIN_LIST WHERE USERID=" + QuotedStr(userName));
}

bool TQVDBClient::CheckLogin(const std::string& userName, const std::string& password) {
  return CheckLoginStatement("SELECT * FROM LOGIN_LIST WHERE USERID=" + QuotedStr(userName) +
                             " AND PASSWORD=" + QuotedStr(password));
}

bool TQVDBClient::CheckLoginStatement(const std::string& statement) {
  std::string value;
  if (!RunStatus(1, statement, "", value)) return false;
  std::int32_t count = 0;
  if (!ParseReplyInteger(value, count)) {
    SetMessage(std::string(kInvalidReplyPrefix) + "'" + CutText(value, kMaxQuotedChars) + "' is not a whole number");
    return false;
  }
  return count != 0;
}

std::string TQVDBClient::SelectFieldValue(const std::string& table, const std::string& keyColumn,
                                          const std::string& keyValue, const std::string& column) {
  LastMessage.clear();
  if (!CheckIdentifiers({&table, &keyColumn, &column})) return {};
  return ExecuteSelectValue("SELECT " + column + " FROM " + table + " WHERE " + keyColumn + "=" + QuotedStr(keyValue),
                            column);
}

std::string TQVDBClient::ExecuteSelectValue(const std::string& statement, const std::string& column) {
  std::string value;
  if (!RunStatus(2, statement, column, value)) return {};
  return value;
}

bool TQVDBClient::UpdateFieldValue(const std::string& table, const std::string& keyColumn, const std::string& keyValue,
                                   const std::string& column, const std::string& value) {
  LastMessage.clear();
  if (!CheckIdentifiers({&table, &keyColumn, &column})) return false;
  return ExecuteUpdate("UPDATE " + table + " SET " + column + "=" + QuotedStr(value) + " WHERE " + keyColumn + "=" +
                       QuotedStr(keyValue));
}

bool TQVDBClient::ExecuteUpdate(const std::string& statement) {
  std::string value;
  if (!RunStatus(0, statement, "", value)) return false;
  if (value == "OK") return true;
  SetMessage(value.empty() ? "Update not confirmed by the server"
                           : "Update not confirmed by the server: " + CutText(value, kMaxQuotedChars));
  return false;
}

std::vector<TCountry> TQVDBClient::GetCountryList() {
  return RunList(5, "SELECT * FROM COUNTRY_LIST ORDER BY RANK ASC", "", &ReadCountryListReply);
}

std::vector<TAssetSeries> TQVDBClient::GetAssetList() {
  return RunList(6, "SELECT * FROM ASSET_LIST", "", &ReadAssetListReply);
}

std::vector<TDataPoint> TQVDBClient::GetSeries(const std::string& country, const std::string& asset) {
  return RunList(7,
                 "SELECT * FROM DATA WHERE COUNTRYNAME=" + QuotedStr(country) + " AND ASSETID=" + QuotedStr(asset) +
                     " ORDER BY DATE ASC",
                 "", &ReadSeriesReply);
}

TDataRowSet TQVDBClient::GetTableRowsSince(const std::string& table, double date) {
  LastMessage.clear();
  if (!CheckIdentifiers({&table})) return {};
  if (!std::isfinite(date)) {
    LastMessage = "Invalid date";
    return {};
  }
  // The rows are read as the reply arrives, while the server still writes
  // the rest.
  TTableRowsReader reader;
  TDataRowSet rows;
  const auto finish = [&reader](std::string& errorText, const TReplyText& reply, TDataRowSet& out) {
    reader.Finish(errorText, reply, out);
  };
  if (!Run(8, "SELECT * FROM " + table + " WHERE DATE>" + platform::FloatToStr(date) + " ORDER BY DATE ASC", "", finish,
           rows, [&reader](std::string_view bytes) { reader.Feed(bytes); }))
    rows = TDataRowSet();
  return rows;
}

std::vector<std::string> TQVDBClient::GetPortfolioTemplateList() {
  return RunList(4, "SELECT * FROM PORTFOLIO_TEMPLATE_LIST ORDER BY ID ASC", "ID", &ReadPortfolioTemplateListReply);
}

std::vector<double> TQVDBClient::GetPortfolioTemplateData(const std::string& templateId) {
  return RunList(
      3, "SELECT * FROM PORTFOLIO_TEMPLATE_DATA WHERE PORTFOLIOID=" + QuotedStr(templateId) + " ORDER BY RANK ASC",
      "WEIGHT", &ReadPortfolioTemplateDataReply);
}

double TQVDBClient::GetSeriesLastDate(const std::string& table, const std::string& country, const std::string& asset) {
  LastMessage.clear();
  if (!CheckIdentifiers({&table})) return kMissingDate;
  const std::string value =
      ExecuteSelectValue("SELECT * FROM " + table + " WHERE COUNTRYNAME=" + QuotedStr(UpperCaseText(country)) +
                             " AND ASSETID=" + QuotedStr(UpperCaseText(asset)) + " ORDER BY DATE DESC",
                         "DATE");
  if (value.empty()) return kMissingDate;
  double date = kMissingDate;
  if (!ParseReplyReal(value, date)) {
    SetMessage(std::string(kInvalidReplyPrefix) + "'" + CutText(value, kMaxQuotedChars) + "' is not a date");
    return kMissingDate;
  }
  return date;
}

bool TQVDBClient::SetStartDateToUpdate(const std::string& userName, double date) {
  LastMessage.clear();
  if (!std::isfinite(date)) {
    LastMessage = "Invalid date";
    return false;
  }
  return UpdateFieldValue("LOGIN_LIST", "USERID", userName, "STARTDATETOUPDATE", platform::FloatToStr(date));
}

bool TQVDBClient::SendRequestStatement(std::int32_t kind, const std::string& statement, std::string& reply) {
  reply.clear();
  return Run(kind, statement, "", &ReadStatusReply, reply);
}

bool TQVDBClient::SendPasswordRequest(const std::string& userId, std::string& reply) {
  return SendRequestStatement(9,
                              "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES (" + QuotedStr(userId) + "," +
                                  QuotedStr("NC") + "," + QuotedStr("1") + ");",
                              reply);
}

bool TQVDBClient::SendNewUserRequest(const std::string& firstName, const std::string& lastName,
                                     const std::string& companyName, const std::string& position,
                                     const std::string& mailAddress, const std::string& phoneNumber,
                                     const std::string& street, const std::string& city,
                                     const std::string& stateOrZipCode, const std::string& country,
                                     const std::string& password, const std::string& requestDate, std::string& reply) {
  std::string statement =
      "INSERT INTO NEW_USER_REQUEST (FIRSTNAME,LASTNAME,COMPANYNAME,POSITION,MAILADDRESS,"
      "PHONENUMBER,STREET,CITY,STATEORZIPCODE,COUNTRY,PASSWORD,RESPONSE,REQUESTDATE)VALUES (";
  const std::string* values[] = {&firstName, &lastName, &companyName,    &position, &mailAddress, &phoneNumber,
                                 &street,    &city,     &stateOrZipCode, &country,  &password};
  for (const std::string* value : values) statement += QuotedStr(*value) + ",";
  statement += QuotedStr("1") + "," + QuotedStr(requestDate) + ");";
  return SendRequestStatement(10, statement, reply);
}

bool TQVDBClient::UpdateUsageStatistics(const std::string& userId) {
  LastMessage.clear();
  const std::string counter = SelectFieldValue("STATISTIC_LIST", "USERID", userId, "COUNTEROFUSE");
  std::int32_t uses = 0;
  if (!counter.empty() && ParseReplyInteger(counter, uses) && uses < std::numeric_limits<std::int32_t>::max()) {
    const std::string statement =
        "UPDATE STATISTIC_LIST SET LASTDATEOFUSE=" + QuotedStr(platform::FloatToStr(platform::Today())) + ", " +
        "COUNTEROFUSE=" + QuotedStr(std::to_string(uses + 1)) + " WHERE USERID=" + QuotedStr(userId);
    if (ExecuteUpdate(statement)) return true;
  }
  LastMessage = kUsageUpdateFailed;
  return false;
}

bool TQVDBClient::ExecuteStatement(const std::string& statement) {
  std::string ignored;
  return SendRequestStatement(11, statement, ignored);
}
