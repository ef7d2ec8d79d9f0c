#include "data/QVDBCodec.h"

#include <algorithm>
#include <iterator>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <nlohmann/json.hpp>
#include <utility>

#include "data/SeriesRowRules.h"
#include "platform/DateTime.h"
#include "platform/Format.h"

namespace {

using json = nlohmann::json;

// A reply text quoted inside a problem keeps at most this many characters, so
// a malformed row or token never carries its whole content into a message.
constexpr std::size_t kMaxQuotedChars = 100;

// text cut after maxChars UTF-8 characters (never inside one), then "...".
std::string CutText(std::string_view text, std::size_t maxChars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (chars == maxChars) return std::string(text.substr(0, i)) + "...";
    ++chars;
  }
  return std::string(text);
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The characters of a body in pieces, in order, for the parser: a forward
// iterator that skips empty pieces. PiecesIterator(pieces) is the end. With
// `release`, each piece is freed once the iterator has moved past it (the
// parser reads forward only and keeps one iterator).
class PiecesIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  explicit PiecesIterator(const std::vector<std::string>& pieces) : Pieces_(&pieces), Piece_(pieces.size()) {}
  PiecesIterator(const std::vector<std::string>& pieces, std::size_t piece,
                 std::vector<std::string>* release = nullptr)
      : Pieces_(&pieces), Release_(release), Piece_(piece) {
    SkipEmpty();
  }
  reference operator*() const { return (*Pieces_)[Piece_][Position_]; }
  PiecesIterator& operator++() {
    if (++Position_ == (*Pieces_)[Piece_].size()) {
      if (Release_ != nullptr) std::string().swap((*Release_)[Piece_]);
      ++Piece_;
      Position_ = 0;
      SkipEmpty();
    }
    return *this;
  }
  PiecesIterator operator++(int) {
    PiecesIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const PiecesIterator& other) const {
    return Piece_ == other.Piece_ && Position_ == other.Position_;
  }
  bool operator!=(const PiecesIterator& other) const { return !(*this == other); }

 private:
  void SkipEmpty() {
    while (Piece_ < Pieces_->size() && (*Pieces_)[Piece_].empty()) ++Piece_;
  }
  const std::vector<std::string>* Pieces_;
  std::vector<std::string>* Release_ = nullptr;
  std::size_t Piece_;
  std::size_t Position_ = 0;
};

// Parses the whole JSON reply through SAX events, checking its frame and
// handing each "Response" row, as the texts of its first Sink::kMembers
// members, to sink.Row(rowIndex, members). Later members of a row are skipped
// whatever their type; members of the frame other than "ErrorMessage" and
// "Response" are skipped as well.
template <class Sink>
class ReplyParser {
 public:
  using number_integer_t = json::number_integer_t;
  using number_unsigned_t = json::number_unsigned_t;
  using number_float_t = json::number_float_t;
  using string_t = json::string_t;
  using binary_t = json::binary_t;

  ReplyParser(Sink& sink, bool errorFromFirstMember)
      : Sink_(sink), ErrorFromFirstMember_(errorFromFirstMember), Members_(Sink::kMembers) {}

  // Returns false with Problem set when the reply is malformed.
  bool Parse(const TReplyText& reply) {
    bool ok = false;
    try {
      if (reply.Whole() != nullptr) {
        ok = json::sax_parse(*reply.Whole(), this, json::input_format_t::json, true, false);
      } else {
        ok = json::sax_parse(PiecesIterator(*reply.Pieces(), 0, reply.Release()), PiecesIterator(*reply.Pieces()),
                             this, json::input_format_t::json, true, false);
      }
    } catch (const std::exception& e) {
      if (Problem.empty()) Problem = e.what();
      ok = false;
    }
    if (ok && !(SeenError_ && SeenResponse_))
      return Fail(SeenError_ ? "\"Response\" is missing" : "\"ErrorMessage\" is missing");
    if (!ok && Problem.empty()) Problem = "malformed JSON";
    return ok;
  }

  std::string Problem;
  std::string ErrorText;

  // SAX events.
  bool null() { return Scalar(nullptr); }
  bool boolean(bool) { return Scalar(nullptr); }
  bool number_integer(number_integer_t) { return Scalar(nullptr); }
  bool number_unsigned(number_unsigned_t) { return Scalar(nullptr); }
  bool number_float(number_float_t, const string_t&) { return Scalar(nullptr); }
  bool binary(binary_t&) { return Scalar(nullptr); }
  bool string(string_t& value) { return Scalar(&value); }

  bool start_object(std::size_t) { return Open(true); }
  bool start_array(std::size_t) { return Open(false); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }

  bool key(string_t& name) {
    if (Skip_ > 0) return true;
    if (Depth_ == 1) {
      if (name == "ErrorMessage")
        Section_ = kError;
      else if (name == "Response")
        Section_ = kResponse;
      else
        Section_ = kOther;
    }
    return true;
  }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) {
    std::string_view what = e.what();
    const auto bracket = what.find("] ");
    if (bracket != std::string::npos) what.remove_prefix(bracket + 2);
    (void)position;  // the message already gives line and column
    // The message ends with the token last read, which may be a whole long string.
    return Fail(CutText(what, 2 * kMaxQuotedChars));
  }

 private:
  enum Section { kNone, kError, kResponse, kOther };

  bool Fail(std::string problem) {
    if (Problem.empty()) Problem = std::move(problem);
    return false;
  }

  std::string SectionName() const { return Section_ == kError ? "\"ErrorMessage\"" : "\"Response\""; }
  std::string RowName() const { return "row " + std::to_string(Row_ + 1) + " of " + SectionName(); }
  std::string MemberName() const { return "member " + std::to_string(Member_ + 1) + " of " + RowName(); }

  // Depth: 0 outside, 1 inside the reply object, 2 inside a section array,
  // 3 inside a row object.
  bool Scalar(string_t* text) {
    if (Skip_ > 0) return true;
    switch (Depth_) {
      case 0:
        return Fail("the reply is not a JSON object");
      case 1:
        if (Section_ == kOther) return true;
        return Fail(SectionName() + " is not an array");
      case 2:
        return Fail(RowName() + " is not an object");
      default:
        break;
    }
    if (Section_ == kError) {
      if (text == nullptr) return Fail(MemberName() + " is not a string");
      if (!ErrorFromFirstMember_ || (Row_ == 0 && Member_ == 0)) ErrorText.swap(*text);  // no copy of a long text
    } else if (Member_ < Sink::kMembers) {
      if (text == nullptr) return Fail(MemberName() + " is not a string");
      Members_[Member_].swap(*text);
    }
    ++Member_;
    return true;
  }

  bool Open(bool isObject) {
    if (Skip_ > 0) {
      ++Skip_;
      return true;
    }
    switch (Depth_) {
      case 0:
        if (!isObject) return Fail("the reply is not a JSON object");
        Depth_ = 1;
        return true;
      case 1:
        if (Section_ == kOther) {
          Skip_ = 1;
          return true;
        }
        if (isObject) return Fail(SectionName() + " is not an array");
        if ((Section_ == kError && SeenError_) || (Section_ == kResponse && SeenResponse_))
          return Fail(SectionName() + " appears twice");
        (Section_ == kError ? SeenError_ : SeenResponse_) = true;
        Row_ = 0;
        Depth_ = 2;
        return true;
      case 2:
        if (!isObject) return Fail(RowName() + " is not an object");
        Member_ = 0;
        Depth_ = 3;
        return true;
      default:
        if (Section_ == kError || Member_ < Sink::kMembers) return Fail(MemberName() + " is not a string");
        ++Member_;
        Skip_ = 1;
        return true;
    }
  }

  bool Close() {
    if (Skip_ > 0) {
      --Skip_;
      return true;
    }
    --Depth_;
    if (Depth_ == 2) {  // a row ends
      if (Section_ == kResponse) {
        if (Member_ < Sink::kMembers)
          return Fail(RowName() + " has " + std::to_string(Member_) + " members, " + std::to_string(Sink::kMembers) +
                      " expected");
        std::string problem;
        if (!Sink_.Row(Row_, Members_, problem)) return Fail(RowName() + ": " + problem);
      }
      ++Row_;
    } else if (Depth_ == 1) {
      Section_ = kNone;
    }
    return true;
  }

  Sink& Sink_;
  bool ErrorFromFirstMember_;
  std::vector<std::string> Members_;
  int Depth_ = 0;
  int Skip_ = 0;
  Section Section_ = kNone;
  bool SeenError_ = false;
  bool SeenResponse_ = false;
  std::size_t Row_ = 0;
  std::size_t Member_ = 0;
};

std::string NotA(const char* what, const std::string& text, std::size_t position) {
  return "member " + std::to_string(position + 1) + " '" + CutText(text, kMaxQuotedChars) + "' is not " + what;
}

bool ToInteger(const std::string& text, std::size_t position, std::int32_t& value, std::string& problem) {
  if (ParseReplyInteger(text, value)) return true;
  problem = NotA("a whole number", text, position);
  return false;
}

bool ToReal(const std::string& text, std::size_t position, double& value, std::string& problem) {
  if (ParseReplyReal(text, value)) return true;
  problem = NotA("a number", text, position);
  return false;
}

struct StatusSink {
  static constexpr std::size_t kMembers = 1;
  std::string* Value;
  bool Row(std::size_t row, std::vector<std::string>& m, std::string&) {
    if (row == 0) Value->swap(m[0]);
    return true;
  }
};

// Rows of series and names of countries and assets pass the series row
// rules (SeriesRowRules.h); the sinks check each row as they read it, today
// taken once per reply.
struct CountrySink {
  static constexpr std::size_t kMembers = 11;
  std::vector<TCountry>* Out;
  bool Row(std::size_t, std::vector<std::string>& m, std::string& problem) {
    TCountry c;
    std::int32_t developped = 0, reverse = 0;
    if (!CheckSeriesName(m[0], "NAME", problem) || !ToInteger(m[5], 5, c.Rank, problem) || !ToInteger(m[6], 6, c.RegionRank, problem) ||
        !ToInteger(m[7], 7, developped, problem) || !ToInteger(m[8], 8, reverse, problem) ||
        !ToReal(m[9], 9, c.EstimationDate, problem) || !ToReal(m[10], 10, c.EstimatedSignal, problem))
      return false;
    c.Name = std::move(m[0]);
    c.RegionName = std::move(m[1]);
    c.Currency = std::move(m[2]);
    c.IndexName = std::move(m[3]);
    c.IndexTicker = std::move(m[4]);
    c.IsDevelopped = developped != 0;
    c.ReverseQuote = reverse != 0;
    Out->push_back(std::move(c));
    return true;
  }
};

struct AssetSink {
  static constexpr std::size_t kMembers = 3;
  std::vector<TAssetSeries>* Out;
  bool Row(std::size_t, std::vector<std::string>& m, std::string& problem) {
    if (!CheckSeriesName(m[0], "ID", problem)) return false;
    TAssetSeries a;
    a.ID = std::move(m[0]);
    a.Title = std::move(m[1]);
    a.Type = AssetTypeFromName(m[2]);  // -1 for a text that names no type
    Out->push_back(std::move(a));
    return true;
  }
};

// A dated value from the members at positions date and date + 1.
bool ToPoint(const std::vector<std::string>& m, std::size_t date, TDataPoint& p, std::string& problem) {
  return ToReal(m[date], date, p.Date, problem) && ToReal(m[date + 1], date + 1, p.Value, problem);
}

struct PointSink {
  static constexpr std::size_t kMembers = 2;
  std::vector<TDataPoint>* Out;
  double LatestDate = LatestSeriesDate(platform::Today());
  bool Row(std::size_t, std::vector<std::string>& m, std::string& problem) {
    TDataPoint p;
    if (!ToPoint(m, 0, p, problem) || !CheckSeriesPoint(p, LatestDate, problem)) return false;
    Out->push_back(p);
    return true;
  }
};

struct TableRowSink {
  static constexpr std::size_t kMembers = 4;
  TDataRowSet* Out;
  double LatestDate = LatestSeriesDate(platform::Today());
  bool Row(std::size_t, std::vector<std::string>& m, std::string& problem) {
    TDataPoint p;
    if (!ToPoint(m, 2, p, problem) || !CheckSeriesRow(m[0], m[1], p, LatestDate, problem)) return false;
    Out->Append(m[0], m[1], p);
    return true;
  }
};

struct RealSink {
  static constexpr std::size_t kMembers = 1;
  std::vector<double>* Out;
  bool Row(std::size_t, std::vector<std::string>& m, std::string& problem) {
    double v = 0.0;
    if (!ToReal(m[0], 0, v, problem)) return false;
    Out->push_back(v);
    return true;
  }
};

struct TextSink {
  static constexpr std::size_t kMembers = 1;
  std::vector<std::string>* Out;
  bool Row(std::size_t, std::vector<std::string>& m, std::string&) {
    Out->push_back(std::move(m[0]));
    return true;
  }
};

// Runs the parser; on a malformed reply empties out and reports it.
template <class Sink, class Output>
void ReadReply(std::string& errorText, const TReplyText& reply, Output& out, bool errorFromFirst) {
  out.clear();
  Sink sink{&out};
  ReplyParser<Sink> parser(sink, errorFromFirst);
  if (parser.Parse(reply)) {
    errorText = std::move(parser.ErrorText);
    return;
  }
  out.clear();
  errorText = std::string(kInvalidReplyPrefix) + parser.Problem;
}

}  // namespace

std::size_t TReplyText::Size() const {
  if (Whole_ != nullptr) return Whole_->size();
  std::size_t size = 0;
  for (const std::string& piece : *Pieces_) size += piece.size();
  return size;
}

bool ParseReplyInteger(std::string_view text, std::int32_t& value) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return false;
  std::int32_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  value = v;
  return true;
}

bool ParseReplyReal(std::string_view text, double& value) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  char buffer[64];
  if (text.empty() || text.size() > sizeof buffer || text.front() == '+') return false;
  std::memcpy(buffer, text.data(), text.size());
  std::replace(buffer, buffer + text.size(), ',', '.');
  double v = 0.0;
  const auto [end, ec] = std::from_chars(buffer, buffer + text.size(), v);
  if (end != buffer + text.size()) return false;
  // Out of range is left to the platform parser: it reads the largest
  // doubles as printed ("1.79769313486232E308") back, and underflow as 0.
  if (ec == std::errc::result_out_of_range) {
    if (!platform::TryStrToFloat(std::string(buffer, text.size()), v, '.')) return false;
  } else if (ec != std::errc()) {
    return false;
  }
  if (!std::isfinite(v)) return false;
  value = v;
  return true;
}

std::string WriteSQLRequest(const TSQLRequest& request) {
  nlohmann::ordered_json item = nlohmann::ordered_json::object();
  item["ResponseType"] = std::to_string(request.ResponseType);
  item["Content"] = request.Content;
  item["Field"] = request.Field;
  nlohmann::ordered_json body = nlohmann::ordered_json::object();
  body["SQLRequest"] = nlohmann::ordered_json::array({std::move(item)});
  return body.dump(-1, ' ', false, json::error_handler_t::replace);
}

void ReadStatusReply(std::string& errorText, const TReplyText& reply, std::string& value) {
  ReadReply<StatusSink>(errorText, reply, value, true);
}

void ReadCountryListReply(std::string& errorText, const TReplyText& reply, std::vector<TCountry>& countries) {
  ReadReply<CountrySink>(errorText, reply, countries, false);
}

void ReadAssetListReply(std::string& errorText, const TReplyText& reply, std::vector<TAssetSeries>& assets) {
  ReadReply<AssetSink>(errorText, reply, assets, false);
}

void ReadSeriesReply(std::string& errorText, const TReplyText& reply, std::vector<TDataPoint>& points) {
  ReadReply<PointSink>(errorText, reply, points, false);
}

void ReadTableRowsReply(std::string& errorText, const TReplyText& reply, TDataRowSet& rows) {
  TTableRowsReader reader;
  reader.Finish(errorText, reply, rows);
}

void ReadTableRowsReply(std::string& errorText, const TReplyText& reply, std::vector<TDataRow>& rows) {
  TDataRowSet set;
  ReadTableRowsReply(errorText, reply, set);
  rows = set.ToRows();
}

void ReadTableRowsReplyInFull(std::string& errorText, const TReplyText& reply, TDataRowSet& rows) {
  ReadReply<TableRowSink>(errorText, reply, rows, false);
}

void ReadPortfolioTemplateDataReply(std::string& errorText, const TReplyText& reply, std::vector<double>& weights) {
  ReadReply<RealSink>(errorText, reply, weights, false);
}

void ReadPortfolioTemplateListReply(std::string& errorText, const TReplyText& reply,
                                    std::vector<std::string>& identifiers) {
  ReadReply<TextSink>(errorText, reply, identifiers, false);
}

bool ReadSQLRequest(const std::string& body, TSQLRequest& request, std::string& errorText) {
  request = TSQLRequest{};
  if (body.empty()) return true;
  const json parsed = json::parse(body, nullptr, false);
  if (parsed.is_discarded() || !parsed.is_object()) {
    errorText = "the request is not a JSON object";
    return false;
  }
  const auto list = parsed.find("SQLRequest");
  if (list == parsed.end() || !list->is_array() || list->empty() || !list->front().is_object()) {
    errorText = "\"SQLRequest\" is not an array of one request object";
    return false;
  }
  for (const auto& [name, value] : list->front().items()) {
    if (!value.is_string()) continue;
    const std::string& text = value.get_ref<const std::string&>();
    if (name == "ResponseType") {
      std::int32_t kind = 0;
      if (!ParseReplyInteger(text, kind)) {
        errorText = "\"ResponseType\" '" + text + "' is not a whole number";
        return false;
      }
      if (kind >= 0 && kind <= kMaxResponseType) request.ResponseType = kind;
    } else if (name == "Content") {
      request.Content = text;
    } else if (name == "Field") {
      request.Field = text;
    }
  }
  return true;
}

TSQLRequest ReadSQLRequest(const std::string& body) {
  TSQLRequest request;
  std::string ignored;
  ReadSQLRequest(body, request, ignored);
  return request;
}

void AppendJsonString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  out.push_back('"');
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      switch (c) {
        case '"':
          out += "\\\"";
          break;
        case '\\':
          out += "\\\\";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        case '\t':
          out += "\\t";
          break;
        default:
          if (c < 0x20) {
            out += "\\u00";
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
          } else {
            out.push_back(static_cast<char>(c));
          }
      }
      ++p;
      continue;
    }
    // Length and lowest code point of a UTF-8 sequence starting with c.
    std::size_t length = 0;
    std::uint32_t min = 0, code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      min = 0x80;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      min = 0x800;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      min = 0x10000;
      code = c & 0x07;
    }
    bool valid = length != 0 && static_cast<std::size_t>(end - p) >= length;
    for (std::size_t i = 1; valid && i < length; ++i) {
      if ((p[i] & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (p[i] & 0x3F);
    }
    valid = valid && code >= min && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    if (valid) {
      out.append(reinterpret_cast<const char*>(p), length);
      p += length;
    } else {
      out += kReplacement;
      ++p;
    }
  }
  out.push_back('"');
}

namespace {

// {"ErrorMessage":[{"Content":"<error>"}],"Response":[ rows ]}; writeRow
// appends the members of one row (without braces).
template <class Items, class WriteRow>
std::string WriteReply(const Items& items, const std::string& errorText, WriteRow writeRow) {
  std::string out;
  out.reserve(64 + errorText.size() + items.size() * 64);
  out += "{\"ErrorMessage\":[{\"Content\":";
  AppendJsonString(out, errorText);
  out += "}],\"Response\":[";
  bool first = true;
  for (const auto& item : items) {
    if (!first) out.push_back(',');
    first = false;
    out.push_back('{');
    writeRow(out, item);
    out.push_back('}');
  }
  out += "]}";
  return out;
}

void AppendMember(std::string& out, std::string_view name, std::string_view value, bool first = false) {
  if (!first) out.push_back(',');
  out.push_back('"');
  out += name;  // member names are fixed ASCII identifiers
  out += "\":";
  AppendJsonString(out, value);
}

void AppendMember(std::string& out, std::string_view name, double value, bool first = false) {
  AppendMember(out, name, platform::FloatToStr(value), first);
}

void AppendMember(std::string& out, std::string_view name, std::int32_t value, bool first = false) {
  AppendMember(out, name, std::to_string(value), first);
}

}  // namespace

std::string WriteStatusReply(const std::string& value, const std::string& errorText) {
  const std::vector<const std::string*> rows{&value};
  return WriteReply(rows, errorText,
                    [](std::string& out, const std::string* v) { AppendMember(out, "String", *v, true); });
}

std::string WriteCountryListReply(const std::vector<TCountry>& countries, const std::string& errorText) {
  return WriteReply(countries, errorText, [](std::string& out, const TCountry& c) {
    AppendMember(out, "NAME", c.Name, true);
    AppendMember(out, "REGIONNAME", c.RegionName);
    AppendMember(out, "CURRENCY", c.Currency);
    AppendMember(out, "INDEXNAME", c.IndexName);
    AppendMember(out, "INDEXTICKER", c.IndexTicker);
    AppendMember(out, "RANK", c.Rank);
    AppendMember(out, "REGIONRANK", c.RegionRank);
    AppendMember(out, "ISDEVELOPPED", std::int32_t{c.IsDevelopped ? 1 : 0});
    AppendMember(out, "REVERSEQUOTE", std::int32_t{c.ReverseQuote ? 1 : 0});
    AppendMember(out, "ESTIMATIONDATE", c.EstimationDate);
    AppendMember(out, "ESTIMATEDSIGNAL", c.EstimatedSignal);
  });
}

std::string WriteAssetListReply(const std::vector<TAssetSeries>& assets, const std::string& errorText) {
  return WriteReply(assets, errorText, [](std::string& out, const TAssetSeries& a) {
    AppendMember(out, "ID", a.ID, true);
    AppendMember(out, "TITLE", a.Title);
    AppendMember(out, "TYPE", std::string_view(AssetTypeName(a.Type)));
  });
}

std::string WriteSeriesReply(const std::vector<TDataPoint>& points, const std::string& errorText) {
  return WriteReply(points, errorText, [](std::string& out, const TDataPoint& p) {
    AppendMember(out, "DATE", p.Date, true);
    AppendMember(out, "VALUE", p.Value);
  });
}

std::string WriteTableRowsReply(const std::vector<TDataRow>& rows, const std::string& errorText) {
  return WriteReply(rows, errorText, [](std::string& out, const TDataRow& r) {
    AppendMember(out, "COUNTRYNAME", r.CountryName, true);
    AppendMember(out, "ASSETID", r.AssetId);
    AppendMember(out, "DATE", r.Point.Date);
    AppendMember(out, "VALUE", r.Point.Value);
  });
}

std::string WriteValueListReply(const std::vector<double>& values, const std::string& errorText) {
  return WriteReply(values, errorText, [](std::string& out, double v) { AppendMember(out, "VALUE", v, true); });
}

std::string WriteTextListReply(const std::vector<std::string>& values, const std::string& errorText) {
  return WriteReply(values, errorText,
                    [](std::string& out, const std::string& v) { AppendMember(out, "VALUE", v, true); });
}
