#pragma once
// Client of the data server. Every operation sends one SQL statement in a JSON
// body (see QVDBCodec.h) to the resource "QuorvaneDB" on port 8082 and reads
// the reply. A failed operation returns its failure value (false, empty text,
// empty array, date 2.0) and leaves the reason in LastMessage:
//   "Connection to server failed"  no reply (refused, unreachable, time-out)
//   the HTTP status text           status other than 200
//   the server's error text        "ErrorMessage" not empty
//   "Invalid server reply: ..."    malformed reply or a value that does not convert
// A successful operation leaves LastMessage empty. List operations never
// return rows of a failed reply. No operation throws. A message longer than
// kMaxMessageChars characters is cut there and ends with "..."; a reply's
// content goes into a message only as its error or status text.
//
// The client borrows its transport; it runs on one thread at a time.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/Records.h"
#include "data/DataRow.h"
#include "data/QVDBCodec.h"
#include "platform/HttpTransport.h"

// Proxy values as the sign-in dialog stores them.
struct TProxySettings {
  bool UseProxy = false;
  std::string ServerAddress;  // "host" or "host:port"
  std::string UserName;
  std::string Password;
};

// Adapter address that selects the private default server.
extern const std::string BuiltInAdapterAddress;
inline constexpr const char* kPublicServerHost = "127.0.0.1";
inline constexpr const char* kPrivateServerHost = "127.0.0.1";
inline constexpr int kServerPort = 8082;
inline constexpr const char* kServerHostVariable = "QUORVANE_SERVER_HOST";
inline constexpr const char* kDataResource = "QuorvaneDB";
inline constexpr const char* kBannerResource = "Default";
inline constexpr const char* kServerBanner = "VOSKER SERVER";
// The largest reply accepted: the whole DATA table, the largest reply there
// is, takes about 25 MB and grows about 2 % a year; 64 MiB leaves it room
// for some 45 years. A reply of that size (its pieces, read as they come, and
// the rows read from them) raises the client's memory by about 1.5 times its size.
inline constexpr std::size_t kDefaultMaxReplyBytes = 64u << 20;
inline constexpr std::size_t kMaxMessageChars = 1000;

// SQL literal: text in single quotes, every inner single quote doubled.
std::string QuotedStr(std::string_view text);
// Base address of the server for a machine adapter address:
// "http://<host>:8082/", the private host when the address equals
// BuiltInAdapterAddress exactly, else the public one. A non-empty
// QUORVANE_SERVER_HOST replaces the host; when it carries its own port
// ("host:port") that port is kept.
std::string DefaultServerBaseUrl(const std::string& adapterAddress);

class TQVDBClient {
 public:
  // adapterAddress: the machine's adapter address (GetMacAddress()).
  TQVDBClient(platform::HttpTransport& transport, const std::string& adapterAddress);
  TQVDBClient(const TQVDBClient&) = delete;
  TQVDBClient& operator=(const TQVDBClient&) = delete;

  // Message of the last failed operation; empty after a successful one.
  std::string LastMessage;

  // Proxy set-up before each request: from the registry values
  // "ProxyUsageSpecified", "ProxyServerAddress", "ProxyUsername" and
  // "ProxyPassword", or from the source given to SetProxySource. Also resets
  // the last status code to -1.
  void ApplyProxySettings();
  void SetProxySource(std::function<TProxySettings()> source);

  // Plain GET of "Default": true on status 200 with "VOSKER SERVER" (any case)
  // in the content. Leaves LastMessage unchanged.
  bool IsServerAvailable();
  // Plain GET of "Default" through the given proxy: true on status 200, else
  // LastMessage "Connection Failed". The next request takes the stored proxy again.
  bool TestProxyConnection(const std::string& server, const std::string& userName, const std::string& password);

  // Sign-in checks: true when the server counts a matching row (non-zero).
  bool UserExists(const std::string& userName);
  bool CheckLogin(const std::string& userName, const std::string& password);
  // One stored value; empty text on failure or when the server has none.
  std::string SelectFieldValue(const std::string& table, const std::string& keyColumn, const std::string& keyValue,
                               const std::string& column);
  std::string ExecuteSelectValue(const std::string& statement, const std::string& column);
  // Updates; true when the server answers exactly "OK".
  bool UpdateFieldValue(const std::string& table, const std::string& keyColumn, const std::string& keyValue,
                        const std::string& column, const std::string& value);
  bool ExecuteUpdate(const std::string& statement);

  std::vector<TCountry> GetCountryList();
  std::vector<TAssetSeries> GetAssetList();
  std::vector<TDataPoint> GetSeries(const std::string& country, const std::string& asset);
  // Rows of the table dated after date, by ascending date (read while they
  // arrive, TTableRowsReader).
  TDataRowSet GetTableRowsSince(const std::string& table, double date);
  std::vector<std::string> GetPortfolioTemplateList();
  std::vector<double> GetPortfolioTemplateData(const std::string& templateId);
  // Latest "DATE" of the series in the table (country and asset upper-cased);
  // 2.0 when the server has none or the request fails.
  double GetSeriesLastDate(const std::string& table, const std::string& country, const std::string& asset);
  bool SetStartDateToUpdate(const std::string& userName, double date);

  // Request submissions. reply receives the server's "Response" value.
  bool SendPasswordRequest(const std::string& userId, std::string& reply);
  bool SendNewUserRequest(const std::string& firstName, const std::string& lastName, const std::string& companyName,
                          const std::string& position, const std::string& mailAddress, const std::string& phoneNumber,
                          const std::string& street, const std::string& city, const std::string& stateOrZipCode,
                          const std::string& country, const std::string& password, const std::string& requestDate,
                          std::string& reply);
  // Advances the user's COUNTEROFUSE by one and sets LASTDATEOFUSE to today.
  bool UpdateUsageStatistics(const std::string& userId);
  // Sends the statement unchanged (kind 11); true when the server reports no error.
  bool ExecuteStatement(const std::string& statement);

  const std::string& BaseUrl() const { return BaseUrl_; }
  void SetBaseUrl(std::string baseUrl) { BaseUrl_ = std::move(baseUrl); }
  // Status code of the last reply; -1 when the last request got none.
  int StatusCode() const { return Reply_.StatusCode; }
  // Replies longer than this are refused (default kDefaultMaxReplyBytes).
  void SetMaxReplyBytes(std::size_t bytes) { MaxReplyBytes_ = bytes; }

 private:
  // Sends statement with kind and column; true when a reply with status 200
  // and an empty server error text was read into out by
  // reader(errorText, reply, out). onBytes, when given, is told of the
  // body's bytes as they arrive.
  template <class Output, class Reader>
  bool Run(std::int32_t kind, const std::string& statement, const std::string& column, Reader reader, Output& out,
           std::function<void(std::string_view)> onBytes = {});
  // Sends a kind 0-2 request and returns its status value through value.
  bool RunStatus(std::int32_t kind, const std::string& statement, const std::string& column, std::string& value);
  // Executes request through Proxy_; false with failure set when no usable reply came.
  bool Send(platform::HttpRequest& request, std::string& failure);
  // Plain GET of the banner resource through Proxy_; false when no reply came.
  bool GetBanner();
  template <class Output>
  Output RunList(std::int32_t kind, const std::string& statement, const std::string& column,
                 void (*reader)(std::string&, const TReplyText&, Output&));
  bool CheckLoginStatement(const std::string& statement);
  // False with LastMessage set when a name is not a plain SQL identifier.
  bool CheckIdentifiers(std::initializer_list<const std::string*> names);
  bool SendRequestStatement(std::int32_t kind, const std::string& statement, std::string& reply);
  // Sets LastMessage to text, cut to kMaxMessageChars characters.
  void SetMessage(std::string_view text);

  platform::HttpTransport& Transport_;
  std::string BaseUrl_;
  platform::HttpProxy Proxy_;
  platform::HttpReply Reply_;
  // Bytes of the last reply's body, whole or in pieces.
  std::size_t ReplySize() const {
    return Reply_.ContentPieces.empty() ? Reply_.Content.size() : TReplyText(Reply_.ContentPieces).Size();
  }
  std::function<TProxySettings()> ProxySource_;
  std::size_t MaxReplyBytes_ = kDefaultMaxReplyBytes;
};

// The one client of the application, set by the main window.
extern TQVDBClient* ptrMyExternQVDBClient;
