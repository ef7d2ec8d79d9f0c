#include "RequestHandler.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <future>
#include <nlohmann/json.hpp>
#include <optional>

#include "AsciiCase.h"
#include "ReplyWriter.h"
#include "ServerStore.h"
#include "StatementShapes.h"
#include "platform/DateTime.h"

namespace qvserver {
namespace {

// Kinds whose reply carries one status row {"String": ...}.
bool IsStatusKind(int kind) { return kind <= 2 || kind >= 9; }

const char* MethodOfKind(int kind) {
  if (kind == 0) return "PUT";
  if (kind >= 9) return "POST";
  return "GET";
}

// The reply of a refused request in the layout of its kind.
THttpAnswer ErrorAnswer(int status, int kind, const std::string& error) {
  THttpAnswer answer;
  answer.Status = status;
  answer.Kind = kind;
  if (kind < 0 || IsStatusKind(kind))
    answer.Body = StatusReply("", error);
  else
    answer.Body = TReplyWriter(error).Finish();
  return answer;
}

THttpAnswer Answer(int kind, std::string body) {
  THttpAnswer answer;
  answer.Kind = kind;
  answer.Body = std::move(body);
  return answer;
}

std::optional<double> ParseReal(const std::string& text) {
  double value = 0.0;
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (text.empty() || ec != std::errc() || ptr != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<long long> ParseInteger(const std::string& text) {
  long long value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (text.empty() || ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

struct TRequest {
  int Kind = 0;
  std::string Content;
  std::string Field;
};

// Reads {"SQLRequest":[{"ResponseType":"n","Content":"...","Field":"..."}]};
// the kind may also come as a JSON number. Returns an error text when the
// body is not such a request.
std::string ReadRequest(const std::string& body, TRequest& request) {
  const nlohmann::json doc = nlohmann::json::parse(body, nullptr, false);
  if (doc.is_discarded()) return "Malformed request body: not a JSON text";
  if (!doc.is_object()) return "Malformed request body: not a JSON object";
  const auto sql = doc.find("SQLRequest");
  // A second statement is refused with the first, never dropped.
  if (sql == doc.end() || !sql->is_array() || sql->size() != 1 || !(*sql)[0].is_object())
    return "Malformed request body: \"SQLRequest\" must be an array holding one object";
  const nlohmann::json& item = (*sql)[0];
  const auto kind = item.find("ResponseType");
  std::optional<long long> kindValue;
  if (kind != item.end() && kind->is_string()) kindValue = ParseInteger(kind->get<std::string>());
  if (kind != item.end() && kind->is_number_integer()) kindValue = kind->get<long long>();
  if (!kindValue || *kindValue < 0 || *kindValue > 11) return "Malformed request body: unknown \"ResponseType\"";
  request.Kind = static_cast<int>(*kindValue);
  for (const auto& [name, target] : {std::pair{"Content", &request.Content}, std::pair{"Field", &request.Field}}) {
    const auto member = item.find(name);
    if (member == item.end()) continue;
    if (!member->is_string()) return std::string("Malformed request body: \"") + name + "\" must be a string";
    *target = member->get<std::string>();
  }
  return {};
}

// Rows dated after a date, produced in pieces of whole dates: the store walks
// rows in ascending date (insertion order within a date), so a piece that ends
// at a date boundary lets the next walk start after that date with nothing
// lost or repeated. The store's walk cannot stop early; a private exception
// ends it once a piece is full.
class TRowsSincePieces {
 public:
  TRowsSincePieces(TServerStore& store, std::string table, double after)
      : Store_(store), Table_(std::move(table)), After_(after), Writer_("", kPieceBytes + 4096) {}

  bool operator()(std::string& out) {
    if (Finished_) return false;
    struct TPieceFull {};
    bool full = false;
    bool stopped = false;
    double last = After_;
    try {
      Store_.ForEachRowSince(Table_, After_,
                             [&](std::string_view country, std::string_view asset, double date, double value) {
                               if (full && date != last) throw TPieceFull{};
                               Writer_.AddRow({{"COUNTRYNAME", country},
                                               {"ASSETID", asset},
                                               {"DATE", FormatReal(date)},
                                               {"VALUE", FormatReal(value)}});
                               last = date;
                               full = Writer_.Size() >= kPieceBytes;
                             });
    } catch (const TPieceFull&) {
      stopped = true;
    }
    if (stopped) {
      out += Writer_.Take();
      After_ = last;
    } else {
      out += Writer_.Finish();
      Finished_ = true;
    }
    return true;
  }

 private:
  static constexpr std::size_t kPieceBytes = 64 * 1024;
  TServerStore& Store_;
  std::string Table_;
  double After_;
  TReplyWriter Writer_;
  bool Finished_ = false;
};

// A write refused by a limit of the store: an ordinary answer of the kind,
// held back for the pause so that a flood of refused writes runs no faster
// than a flood of busy answers.
THttpAnswer StoreRefusal(int kind, const TStoreRefusal& refusal) {
  THttpAnswer answer = ErrorAnswer(200, kind, refusal.what());
  answer.Pause = true;
  return answer;
}

// Stores through `store` and answers `status`; a store limit (size or count)
// is answered as an ordinary refusal in the layout of the kind, any other
// failure as a server failure.
template <class Store>
THttpAnswer StoredOrRefused(int kind, const char* status, Store store) {
  try {
    store();
  } catch (const TStoreRefusal& e) {
    return StoreRefusal(kind, e);
  } catch (const std::exception& e) {
    return ErrorAnswer(500, kind, std::string("Server failure: ") + e.what());
  }
  return Answer(kind, StatusReply(status, ""));
}

// A password job refused by the full queue: answered at once, so that a
// burst cannot hold every serving thread, and held back for the pause like a
// refused write.
THttpAnswer BusyAnswer(int kind) {
  THttpAnswer answer = ErrorAnswer(503, kind, "Server busy, try again later");
  answer.Pause = true;
  return answer;
}

}  // namespace

// Whether a user's column is answered to `address`. STARTDATETOUPDATE is
// read before any sign-in (at start-up, for the user remembered on that
// machine: it tells only whether new data wait); FIRSTNAME is read right
// after the password check, matched or not (each failed check spends an
// attempt of the address); every other column needs a sign-in.
bool TRequestHandler::MayRead(const std::string& column, const std::string& userId,
                              const std::string& clientAddress) const {
  if (column == "STARTDATETOUPDATE") return true;
  return Gate_.CheckedRecently(userId, clientAddress, column == "FIRSTNAME");
}

std::string WholeBody(THttpAnswer& answer) {
  std::string body = answer.Body;
  if (answer.NextPiece)
    while (answer.NextPiece(body)) {
    }
  return body;
}

THttpAnswer TRequestHandler::Handle(const std::string& method, const std::string& path, const std::string& body,
                                    bool bodyTooLarge, const std::string& clientAddress) const {
  // The answers given later (sign-in checks, new-user requests) are waited for here.
  std::promise<THttpAnswer> later;
  std::future<THttpAnswer> answer = later.get_future();
  const TAnswerDone done = [&later](THttpAnswer value) { later.set_value(std::move(value)); };
  if (std::optional<THttpAnswer> now = Dispatch(method, path, body, bodyTooLarge, clientAddress, done)) return *now;
  return answer.get();
}

std::optional<THttpAnswer> TRequestHandler::HandleAsync(const std::string& method, const std::string& path,
                                                        const std::string& body, bool bodyTooLarge,
                                                        const std::string& clientAddress,
                                                        const TAnswerDone& done) const {
  return Dispatch(method, path, body, bodyTooLarge, clientAddress, done);
}

std::optional<THttpAnswer> TRequestHandler::Dispatch(const std::string& method, const std::string& path,
                                                     const std::string& body, bool bodyTooLarge,
                                                     const std::string& clientAddress, const TAnswerDone& done) const {
  std::string resource = path;
  while (resource.size() > 1 && resource.back() == '/') resource.pop_back();
  if (resource == "/Default" || resource == "/") {
    THttpAnswer answer;
    answer.ContentType = "text/plain; charset=utf-8";
    answer.Body = kServerBanner;
    return answer;
  }
  if (resource != "/QuorvaneDB") {
    THttpAnswer answer = ErrorAnswer(404, -1, "Unknown resource " + resource);
    return answer;
  }
  if (method != "GET" && method != "PUT" && method != "POST")
    return ErrorAnswer(405, -1, "Method " + method + " is not used by this server");
  if (bodyTooLarge) return ErrorAnswer(413, -1, "Request body too large");
  try {
    return HandleQuery(method, body, clientAddress, done);
  } catch (const std::exception& e) {
    return ErrorAnswer(500, -1, std::string("Server failure: ") + e.what());
  }
}

std::optional<THttpAnswer> TRequestHandler::HandleQuery(const std::string& method, const std::string& body,
                                                        const std::string& clientAddress,
                                                        const TAnswerDone& done) const {
  TRequest request;
  if (const std::string error = ReadRequest(body, request); !error.empty()) return ErrorAnswer(400, -1, error);
  const int kind = request.Kind;
  if (method != MethodOfKind(kind))
    return ErrorAnswer(200, kind, "Request kind " + std::to_string(kind) + " must be sent with " + MethodOfKind(kind));

  // The model-state report is stored as received, never interpreted.
  if (kind == 11) {
    return StoredOrRefused(kind, "OK", [&] { Store_.StoreReport(request.Content, clientAddress, platform::Now()); });
  }

  std::string why;
  const std::optional<TRecognisedStatement> statement = RecogniseStatement(request.Content, kind, why);
  if (!statement) return ErrorAnswer(200, kind, why);
  const std::vector<std::string>& texts = statement->Texts;
  const std::vector<std::string>& names = statement->Names;
  const std::string field = AsciiUpper(request.Field);

  switch (statement->Shape) {
    case TStatementShape::UserExists: {
      // A probe of a user name spends the address's sign-in attempts as a check does.
      const int users = Store_.CountUsers(texts[0]);
      const TCheckOutcome probe = Gate_.Probe(clientAddress, texts[0], users > 0);
      if (probe.Kind == TCheckOutcome::TKind::Locked)
        return ErrorAnswer(200, kind, TooManyAttemptsText(probe.RetryAfterSeconds));
      return Answer(kind, StatusReply(std::to_string(users), ""));
    }
    case TStatementShape::CheckLogin: {
      const std::optional<std::string> hash = Store_.PasswordHashOf(texts[0]);
      // The hash runs on the gate's threads, outside the store's lock: it is deliberately slow.
      auto verify = [hash, password = texts[1]] { return VerifyPassword(*hash, password); };
      Gate_.Submit(clientAddress, texts[0], hash.has_value(), verify, [kind, done](const TCheckOutcome& outcome) {
        switch (outcome.Kind) {
          case TCheckOutcome::TKind::Match:
          case TCheckOutcome::TKind::NoMatch:
            return done(Answer(kind, StatusReply(outcome.Kind == TCheckOutcome::TKind::Match ? "1" : "0", "")));
          case TCheckOutcome::TKind::Locked:
            // Answered at once with a text the client shows, instead of a wait longer than it waits.
            return done(ErrorAnswer(200, kind, TooManyAttemptsText(outcome.RetryAfterSeconds)));
          case TCheckOutcome::TKind::Busy:
            break;
        }
        done(BusyAnswer(kind));
      });
      return std::nullopt;
    }
    case TStatementShape::SelectUserValue: {
      if (!field.empty() && field != names[0])
        return ErrorAnswer(200, kind, "Field " + field + " is not the selected column");
      if (!MayRead(names[0], texts[0], clientAddress)) return ErrorAnswer(200, kind, kReadNotSignedInText);
      return Answer(kind, StatusReply(Store_.UserValue(names[1], names[0], texts[0]).value_or(""), ""));
    }
    case TStatementShape::SeriesLastDate: {
      const std::string column = field.empty() ? "DATE" : field;
      if (column != "COUNTRYNAME" && column != "ASSETID" && column != "DATE" && column != "VALUE")
        return ErrorAnswer(200, kind, "Field " + column + " is not a column of " + names[0]);
      const auto value = Store_.SeriesValue(names[0], texts[0], texts[1], column, names[1] == "DESC");
      return Answer(kind, StatusReply(value.value_or(""), ""));
    }
    case TStatementShape::UpdateStartDate: {
      const std::optional<double> date = ParseReal(texts[0]);
      if (!date) return ErrorAnswer(200, kind, "STARTDATETOUPDATE must be a date number");
      // Only the user's own download clears its demand: it signs in just before.
      if (!Gate_.SignedInRecently(texts[1], clientAddress)) return ErrorAnswer(200, kind, kNotSignedInText);
      // 2 (1 January 1900) is the mark of no demand; a later date is no later than tomorrow.
      if (*date < 2.0 || *date > platform::Today() + 1.0) return ErrorAnswer(200, kind, kStartDateRangeText);
      if (Store_.UpdateStartDate(texts[1], *date) == 0) return ErrorAnswer(200, kind, "Unknown user");
      return Answer(kind, StatusReply("OK", ""));
    }
    case TStatementShape::UpdateUsage: {
      const std::optional<double> date = ParseReal(texts[0]);
      const std::optional<long long> counter = ParseInteger(texts[1]);
      if (!date || !counter || *counter < 0)
        return ErrorAnswer(200, kind, "LASTDATEOFUSE must be a date number and COUNTEROFUSE a whole number");
      if (!Gate_.SignedInRecently(texts[2], clientAddress)) return ErrorAnswer(200, kind, kUsageNotSignedInText);
      if (*date > platform::Today() + 1.0) return ErrorAnswer(200, kind, "LASTDATEOFUSE must not be after tomorrow");
      using TUsage = TServerStore::TUsageUpdate;
      switch (Store_.UpdateUsage(texts[2], *date, *counter)) {
        case TUsage::Updated:
        case TUsage::Unchanged:
          return Answer(kind, StatusReply("OK", ""));
        case TUsage::UnknownUser:
          return ErrorAnswer(200, kind, "Unknown user");
        case TUsage::CounterJump:
          return ErrorAnswer(200, kind, kCounterJumpText);
        case TUsage::DateBefore:
          return ErrorAnswer(200, kind, kDateBeforeText);
      }
      return ErrorAnswer(500, kind, "Server failure: unknown usage outcome");
    }
    case TStatementShape::TemplateData: {
      TReplyWriter writer("");
      for (const double w : Store_.TemplateWeights(texts[0])) writer.AddRow({{"VALUE", FormatReal(w)}});
      return Answer(kind, writer.Finish());
    }
    case TStatementShape::TemplateList: {
      TReplyWriter writer("");
      for (const std::string& id : Store_.TemplateIds()) writer.AddRow({{"VALUE", id}});
      return Answer(kind, writer.Finish());
    }
    case TStatementShape::CountryList: {
      TReplyWriter writer("", 16384);
      for (const TCountry& c : Store_.Countries()) {
        writer.AddRow({{"NAME", c.Name},
                       {"REGIONNAME", c.RegionName},
                       {"CURRENCY", c.Currency},
                       {"INDEXNAME", c.IndexName},
                       {"INDEXTICKER", c.IndexTicker},
                       {"RANK", std::to_string(c.Rank)},
                       {"REGIONRANK", std::to_string(c.RegionRank)},
                       {"ISDEVELOPPED", c.IsDevelopped ? "1" : "0"},
                       {"REVERSEQUOTE", c.ReverseQuote ? "1" : "0"},
                       {"ESTIMATIONDATE", FormatReal(c.EstimationDate)},
                       {"ESTIMATEDSIGNAL", FormatReal(c.EstimatedSignal)}});
      }
      return Answer(kind, writer.Finish());
    }
    case TStatementShape::AssetList: {
      TReplyWriter writer("", 2048);
      for (const TAssetRow& a : Store_.Assets()) writer.AddRow({{"ID", a.ID}, {"TITLE", a.Title}, {"TYPE", a.Type}});
      return Answer(kind, writer.Finish());
    }
    case TStatementShape::Series: {
      const std::vector<TDataPoint> points = Store_.Series(texts[0], texts[1]);
      TReplyWriter writer("", points.size() * 40);
      for (const TDataPoint& p : points) writer.AddRow({{"DATE", FormatReal(p.Date)}, {"VALUE", FormatReal(p.Value)}});
      return Answer(kind, writer.Finish());
    }
    case TStatementShape::RowsSince: {
      THttpAnswer answer;
      answer.Kind = kind;
      answer.NextPiece = TRowsSincePieces(Store_, names[0], statement->Number);
      return answer;
    }
    case TStatementShape::PasswordRequest:
      return StoredOrRefused(kind, "SENT", [&] { Store_.StorePasswordRequest(texts, clientAddress, platform::Now()); });
    case TStatementShape::NewUserRequest: {
      // Refused before any other work when the address has no place in the
      // queue, and before the costly hash when a limit of the store is
      // reached already; both are checked again.
      if (!Gate_.HasPlaceFor(clientAddress)) return BusyAnswer(kind);
      try {
        Store_.CheckNewUserRequest(texts, clientAddress, platform::Now());
      } catch (const TStoreRefusal& e) {
        return StoreRefusal(kind, e);
      }
      // The hash runs on the gate's threads, with the sign-in checks' bound and share per address.
      auto run = [this, kind, texts, clientAddress, done] {
        THttpAnswer answer = StoredOrRefused(kind, "SENT", [&] {
          const std::string hash = Store_.HashNewUserPassword(texts);
          Store_.StoreNewUserRequest(texts, hash, clientAddress, platform::Now());
        });
        done(std::move(answer));
      };
      Gate_.SubmitHash(clientAddress, std::move(run), [kind, done] { done(BusyAnswer(kind)); });
      return std::nullopt;
    }
  }
  return ErrorAnswer(200, kind, "Statement not supported by this server");
}

}  // namespace qvserver
