// The kind-8 reader that keeps up with the transfer (QVDBCodec.h).

#include <simdjson.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "data/QVDBCodec.h"
#include "data/SeriesRowRules.h"
#include "platform/DateTime.h"

namespace ondemand = simdjson::ondemand;

namespace {

// The reply's frame as the data server writes it, around the error text and the rows.
constexpr std::string_view kHead = "{\"ErrorMessage\":[{\"Content\":\"";
constexpr std::string_view kHeadAfterError = "\"}],\"Response\":[";
constexpr std::string_view kTail = "]}";
// Longest error text read here; a longer one goes to the general reader.
constexpr std::size_t kMaxErrorBytes = 4096;
// Past kMaxPendingBytes of unread rows without a row end the reply goes to
// the general reader.
constexpr std::size_t kMaxPendingBytes = std::size_t{8} << 20;
// Parser capacity reserved once: a slice is cut once kTableSliceBytes have
// come, so it holds less than that and one more block; a longer slice
// enlarges the parser up to kMaxPendingBytes.
constexpr std::size_t kParserCapacity = 2 * kTableSliceBytes;

// The text of a string token without escapes: the bytes from raw up to the
// next '"' before end, when no '\' comes first (an escaped text goes to the
// general reader, which unescapes it). simdjson has already refused control
// bytes and malformed UTF-8.
bool PlainText(const char* raw, const char* end, std::string_view& text) {
  const auto* quote = static_cast<const char*>(std::memchr(raw, '"', static_cast<std::size_t>(end - raw)));
  if (quote == nullptr) return false;
  const auto length = static_cast<std::size_t>(quote - raw);
  if (std::memchr(raw, '\\', length) != nullptr) return false;
  text = std::string_view(raw, length);
  return true;
}

}  // namespace

struct TTableRowsReader::TState {
  enum class TPhase { Head, Rows, Failed };

  TPhase Phase = TPhase::Head;
  std::size_t Fed = 0;  // bytes taken by Feed
  // Bytes not read yet. In the rows phase Pending[0] is '[' and the rows
  // follow; kPadding readable bytes always lie past PendingSize (simdjson
  // reads blocks beyond a text's end).
  std::string Pending;
  std::size_t PendingSize = 0;
  std::string ErrorText;
  TDataRowSet Rows;
  ondemand::parser Parser{kMaxPendingBytes + 2};
  double LatestDate = LatestSeriesDate(platform::Today());

  static constexpr std::size_t kPadding = simdjson::SIMDJSON_PADDING;

  void Append(std::string_view bytes) {
    Pending.resize(PendingSize + bytes.size() + kPadding, ' ');
    std::memcpy(Pending.data() + PendingSize, bytes.data(), bytes.size());
    PendingSize += bytes.size();
  }
  // Drops the first count pending bytes; with bracket, a '[' takes their place.
  void Drop(std::size_t count, bool bracket) {
    const std::size_t keep = PendingSize - count;
    const std::size_t at = bracket ? 1 : 0;
    std::memmove(Pending.data() + at, Pending.data() + count, keep);
    if (bracket) Pending[0] = '[';
    PendingSize = keep + at;
    Pending.resize(PendingSize + kPadding, ' ');
  }
  void Fail() {
    Phase = TPhase::Failed;
    std::string().swap(Pending);
    PendingSize = 0;
    Rows = TDataRowSet();
  }

  // Head phase: the frame up to the rows' '['. False while more bytes are needed.
  bool ReadHead() {
    const std::string_view text(Pending.data(), PendingSize);
    if (text.substr(0, kHead.size()) != kHead.substr(0, std::min(kHead.size(), text.size()))) return Fail(), false;
    if (text.size() <= kHead.size()) return false;
    const std::size_t end = text.find('"', kHead.size());
    if (end == std::string_view::npos) {
      if (text.size() - kHead.size() > kMaxErrorBytes) Fail();
      return false;
    }
    const std::string_view error = text.substr(kHead.size(), end - kHead.size());
    // Printable ASCII only: no escape, control byte or multi-byte character to check.
    for (const char c : error)
      if (c < 0x20 || c > 0x7E || c == '\\') return Fail(), false;
    const std::string_view after = text.substr(end);
    if (after.substr(0, kHeadAfterError.size()) !=
        kHeadAfterError.substr(0, std::min(kHeadAfterError.size(), after.size())))
      return Fail(), false;
    if (after.size() < kHeadAfterError.size()) return false;
    ErrorText.assign(error);
    // The rows' '[' stays as the first pending byte.
    Drop(end + kHeadAfterError.size() - 1, false);
    Phase = TPhase::Rows;
    return true;
  }

  // Parses Pending[0, length) as a JSON array of rows; false when it is
  // not one of rows of four plain string members that pass the row rules.
  bool ReadSlice(std::size_t length) {
    const char* begin = Pending.data();
    const char* end = begin + length;
    ondemand::document document;
    if (Parser.iterate(begin, length, length + kPadding).get(document) != simdjson::SUCCESS) return false;
    ondemand::array array;
    if (document.get_array().get(array) != simdjson::SUCCESS) return false;
    std::string problem;
    for (auto item : array) {
      ondemand::object row;
      if (item.get_object().get(row) != simdjson::SUCCESS) return false;
      std::string_view members[4];
      std::size_t count = 0;
      for (auto field : row) {
        simdjson::ondemand::raw_json_string key;
        simdjson::ondemand::raw_json_string value;
        std::string_view ignored;
        if (count == 4 || field.key().get(key) != simdjson::SUCCESS || !PlainText(key.raw(), end, ignored) ||
            field.value().get_raw_json_string().get(value) != simdjson::SUCCESS ||
            !PlainText(value.raw(), end, members[count]))
          return false;
        ++count;
      }
      TDataPoint point;
      if (count != 4 || !ParseReplyReal(members[2], point.Date) || !ParseReplyReal(members[3], point.Value) ||
          !CheckSeriesRow(members[0], members[1], point, LatestDate, problem))
        return false;
      Rows.Append(members[0], members[1], point);
    }
    // Nothing may follow the array.
    return document.current_location().error() == simdjson::OUT_OF_BOUNDS;
  }

  // Rows phase: reads the whole rows among the pending bytes, up to the
  // last "},{", once a slice's worth has come.
  void ReadRows() {
    if (PendingSize < kTableSliceBytes) return;
    const std::string_view text(Pending.data(), PendingSize);
    const std::size_t cut = text.rfind("},{");
    if (cut == std::string_view::npos || cut == 0) {
      if (PendingSize > kMaxPendingBytes) Fail();
      return;
    }
    // The ',' after the row becomes the array's ']'; the next row's '{'
    // follows the new '['. A cut inside a string leaves the slice with an
    // unclosed string, which the parser refuses.
    Pending[cut + 1] = ']';
    if (!ReadSlice(cut + 2)) return Fail();
    Drop(cut + 2, true);
  }

  void Take(std::string_view bytes) {
    Fed += bytes.size();
    if (Phase == TPhase::Failed) return;
    Append(bytes);
    if (Phase == TPhase::Head && !ReadHead()) return;
    ReadRows();
  }

  // The end of the body: the last rows, closed by "]}".
  bool End() {
    if (Phase != TPhase::Rows || PendingSize < 1 + kTail.size()) return false;
    if (std::string_view(Pending.data() + PendingSize - kTail.size(), kTail.size()) != kTail) return false;
    return ReadSlice(PendingSize - 1);
  }
};

TTableRowsReader::TTableRowsReader() : State_(std::make_unique<TState>()) {
  if (State_->Parser.allocate(kParserCapacity) != simdjson::SUCCESS) State_->Fail();
}

TTableRowsReader::~TTableRowsReader() = default;

void TTableRowsReader::Feed(std::string_view bytes) noexcept {
  try {
    State_->Take(bytes);
  } catch (...) {
    State_->Fail();
  }
}

void TTableRowsReader::Finish(std::string& errorText, const TReplyText& reply, TDataRowSet& rows) {
  TState& state = *State_;
  // The bytes not fed yet, in slices.
  std::size_t skip = state.Fed;
  auto feedRest = [&](const std::string& text) {
    const std::size_t from = std::min(skip, text.size());
    skip -= from;
    for (std::size_t at = from; at < text.size() && state.Phase != TState::TPhase::Failed; at += kTableSliceBytes)
      Feed(std::string_view(text).substr(at, kTableSliceBytes));
  };
  if (reply.Whole() != nullptr) {
    feedRest(*reply.Whole());
  } else {
    for (const std::string& piece : *reply.Pieces()) feedRest(piece);
  }
  bool read = false;
  try {
    read = state.Fed == reply.Size() && state.End();
  } catch (...) {
    read = false;
  }
  ReadInSlices_ = read;
  if (read) {
    errorText = std::move(state.ErrorText);
    rows = std::move(state.Rows);
    if (reply.Release() != nullptr)
      for (std::string& piece : *reply.Release()) std::string().swap(piece);
  } else {
    state.Fail();
    rows.clear();
    ReadTableRowsReplyInFull(errorText, reply, rows);
  }
  state.Fail();  // frees what is left
}
