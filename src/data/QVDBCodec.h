#pragma once
// Bodies of the data-server protocol.
//
// Request body: {"SQLRequest":[{"ResponseType":"<kind>","Content":"<sql>","Field":"<column>"}]}
// with the three members in this order, all strings.
//
// Reply body: {"ErrorMessage":[{"Content":"<error text>"}],"Response":[<row>,...]}
// Every row member is a string; rows are read by member position, names are
// not consulted. Real numbers may use "." or "," as decimal separator.
//
// Request kinds: 0 update (PUT), 1 sign-in check, 2 one value, 3 template
// weights, 4 template list, 5 country list, 6 asset list, 7 one series,
// 8 table rows (GET), 9 password request, 10 new-user request, 11 free
// statement (POST).
//
// The readers never throw. A reply that is not JSON, is truncated, has members
// of the wrong JSON type, lacks "ErrorMessage" or "Response", has rows with
// fewer members than their layout or values that do not convert, or holds a
// row that no series can hold (SeriesRowRules.h: the series rows of kinds 7
// and 8, the names of kinds 5 and 6), leaves the output empty and puts a
// text starting with "Invalid server reply: " and naming the row into
// errorText. Otherwise errorText receives the server's error text (empty on
// success) and the output the rows read. Callers pass an empty errorText.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/Records.h"
#include "data/DataRow.h"

struct TSQLRequest {
  std::string Content;  // the SQL statement, ready to run
  std::string Field;    // column carried back by kinds 2, 3 and 4
  std::int32_t ResponseType = 0;
};

inline constexpr std::int32_t kMaxResponseType = 11;

// Prefix of every errorText that reports a malformed reply.
inline constexpr std::string_view kInvalidReplyPrefix = "Invalid server reply: ";

// Client side.
std::string WriteSQLRequest(const TSQLRequest& request);

// Status row (kinds 0-2, 9-11): value is the first member of the first row.
// A reply body as the readers take it: whole, or in pieces in order (as a
// reply without announced length arrives); both read alike.
class TReplyText {
 public:
  TReplyText(const std::string& whole) : Whole_(&whole) {}                  // NOLINT: implicit on purpose
  TReplyText(const std::vector<std::string>& pieces) : Pieces_(&pieces) {}  // NOLINT: implicit on purpose
  // Pieces that the reader frees one by one as it has read them, so that a
  // large reply and the rows read from it are not held whole side by side.
  static TReplyText Consumed(std::vector<std::string>& pieces) {
    TReplyText text(pieces);
    text.Release_ = &pieces;
    return text;
  }
  const std::string* Whole() const { return Whole_; }
  const std::vector<std::string>* Pieces() const { return Pieces_; }
  std::vector<std::string>* Release() const { return Release_; }
  std::size_t Size() const;

 private:
  const std::string* Whole_ = nullptr;
  const std::vector<std::string>* Pieces_ = nullptr;
  std::vector<std::string>* Release_ = nullptr;
};

void ReadStatusReply(std::string& errorText, const TReplyText& reply, std::string& value);
void ReadCountryListReply(std::string& errorText, const TReplyText& reply, std::vector<TCountry>& countries);
void ReadAssetListReply(std::string& errorText, const TReplyText& reply, std::vector<TAssetSeries>& assets);
void ReadSeriesReply(std::string& errorText, const TReplyText& reply, std::vector<TDataPoint>& points);
// Kind 8, through TTableRowsReader: the reply's text and the rows read are
// held side by side (the rows at 24 bytes each, a quarter of the text).
void ReadTableRowsReply(std::string& errorText, const TReplyText& reply, TDataRowSet& rows);
void ReadTableRowsReply(std::string& errorText, const TReplyText& reply, std::vector<TDataRow>& rows);
// Kind 8 by the general reader alone (what TTableRowsReader falls back on).
void ReadTableRowsReplyInFull(std::string& errorText, const TReplyText& reply, TDataRowSet& rows);

// Reads a kind-8 reply while it arrives, with the same outcome as the
// general reader. Feed takes the body's first bytes in order as they come
// (any number of calls, none at all included); Finish takes the whole body
// and ends the read. A reply framed as the data server writes it,
//   {"ErrorMessage":[{"Content":"<text>"}],"Response":[<row>,<row>,...]}
// (no blank in the frame, a printable ASCII error text), with rows of four
// string members free of escapes, is read in slices of about
// kTableSliceBytes as the bytes come (each slice a JSON array of whole rows,
// cut after a row's '}' and read by the SIMD parser of simdjson); each row
// is converted and checked as the general reader does it. Any other reply,
// and any reply in which a slice fails to parse or a row is refused, is read
// again whole by the general reader at Finish: its rows and texts (the
// refusals' included) are the outcome. The reply's text is therefore kept
// until Finish (pieces given as consumed are freed there).
class TTableRowsReader {
 public:
  TTableRowsReader();
  ~TTableRowsReader();
  TTableRowsReader(const TTableRowsReader&) = delete;
  TTableRowsReader& operator=(const TTableRowsReader&) = delete;

  // Never throws; a failure only sends the reply to the general reader.
  void Feed(std::string_view bytes) noexcept;
  // reply: the whole body, of which the bytes fed are the start.
  void Finish(std::string& errorText, const TReplyText& reply, TDataRowSet& rows);
  // After Finish: true when the reply was read in slices, false when the
  // general reader read it.
  bool ReadInSlices() const { return ReadInSlices_; }

 private:
  struct TState;
  std::unique_ptr<TState> State_;
  bool ReadInSlices_ = false;
};

// Small enough that a slice is read before the server's next bytes fill
// the socket's buffer (the server then never waits on the reader).
inline constexpr std::size_t kTableSliceBytes = std::size_t{1} << 18;

void ReadPortfolioTemplateDataReply(std::string& errorText, const TReplyText& reply, std::vector<double>& weights);
void ReadPortfolioTemplateListReply(std::string& errorText, const TReplyText& reply,
                                    std::vector<std::string>& identifiers);

// Value conversions of reply members. Whole numbers: optional blanks and sign,
// decimal digits, 32-bit range. Real numbers: "." or "," as separator,
// optional exponent; infinities and NaN are rejected.
bool ParseReplyInteger(std::string_view text, std::int32_t& value);
bool ParseReplyReal(std::string_view text, double& value);

// Server side.
// Reads a request body. A kind outside 0..11 leaves kind 0. Returns false with
// errorText set when the body is not a request object or "ResponseType" is not
// a whole number; request then holds what was read before.
bool ReadSQLRequest(const std::string& body, TSQLRequest& request, std::string& errorText);
// The same, dropping the error text.
TSQLRequest ReadSQLRequest(const std::string& body);

std::string WriteStatusReply(const std::string& value, const std::string& errorText);
std::string WriteCountryListReply(const std::vector<TCountry>& countries, const std::string& errorText);
std::string WriteAssetListReply(const std::vector<TAssetSeries>& assets, const std::string& errorText);
std::string WriteSeriesReply(const std::vector<TDataPoint>& points, const std::string& errorText);
std::string WriteTableRowsReply(const std::vector<TDataRow>& rows, const std::string& errorText);
std::string WriteValueListReply(const std::vector<double>& values, const std::string& errorText);
std::string WriteTextListReply(const std::vector<std::string>& values, const std::string& errorText);

// Appends text as a JSON string literal (quotes included); invalid UTF-8
// sequences are written as U+FFFD so the result always parses.
void AppendJsonString(std::string& out, std::string_view text);
