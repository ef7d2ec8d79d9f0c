// The table reader that keeps up with the transfer: it reads the data
// server's layout in slices itself, and for every reply, in whatever pieces
// it is fed, its rows and texts are those of the general reader.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "data/DataFixtures.h"
#include "data/QVDBCodec.h"
#include "platform/HttpTransport.h"

namespace {

// n rows as the server sends them: by date, then 40 countries x 18 assets.
std::vector<TDataRow> ServerRows(std::size_t n, const std::string& countryPrefix = "COUNTRY ") {
  std::vector<TDataRow> rows;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t date = i / 720, country = i / 18 % 40, asset = i % 18;
    rows.push_back(Row(countryPrefix + std::to_string(country), "ASSET" + std::to_string(asset),
                       32904.0 + 30.0 * static_cast<double>(date), 100.0 + 0.001 * static_cast<double>(i % 997)));
  }
  return rows;
}

struct Outcome {
  std::string Error;
  std::vector<TDataRow> Rows;
  bool InSlices = false;
};

// The reply read by TTableRowsReader: fed as pieces of pieceBytes arrive
// (0: not fed), each complete piece as the transport tells of it, then
// finished on the pieces (or the whole text).
Outcome ReadFed(const std::string& reply, std::size_t pieceBytes) {
  TTableRowsReader reader;
  std::vector<std::string> pieces;
  TDataRowSet rows;
  Outcome outcome;
  if (pieceBytes == 0) {
    reader.Finish(outcome.Error, reply, rows);
  } else {
    for (std::size_t at = 0; at < reply.size(); at += pieceBytes) {
      pieces.push_back(reply.substr(at, pieceBytes));
      if (pieces.back().size() == pieceBytes) reader.Feed(pieces.back());
    }
    reader.Finish(outcome.Error, pieces, rows);
  }
  outcome.Rows = rows.ToRows();
  outcome.InSlices = reader.ReadInSlices();
  return outcome;
}

std::string WithRow(std::vector<TDataRow> rows, std::size_t at, const TDataRow& row) {
  rows[at] = row;
  return WriteTableRowsReply(rows, "");
}

TEST(TableRowsReaderTest, SlicesGiveTheGeneralReadersOutcome) {
  // 1.3 MB: one complete piece of the transport, three slices.
  const std::string server = WriteTableRowsReply(ServerRows(15000), "");
  ASSERT_GT(server.size(), platform::kReplyPieceBytes);
  const std::string few = WriteTableRowsReply(ServerRows(40), "");
  const std::string head = R"({"ErrorMessage":[{"Content":""}],"Response":[)";
  struct Case {
    const char* Name;
    std::string Reply;
    std::optional<bool> InSlices;  // none: either way
  };
  const std::vector<Case> cases{
      {"the server's layout", server, true},
      {"a few rows", few, true},
      {"no rows", WriteTableRowsReply({}, ""), true},
      {"a server error text", WriteTableRowsReply(ServerRows(3), "table locked"), true},
      {"names beyond ASCII", WriteTableRowsReply(ServerRows(40, "C\xC3\x94TE "), ""), true},
      {"a value with a decimal comma", head + R"({"C":"SPAIN","A":"EQ","D":"33000","V":"1,5"}]})", true},
      {"an escaped quote in a name", WriteTableRowsReply({Row("A \"B\"", "EQ", 33000.0, 1.0)}, ""), false},
      {"an escaped error text", WriteTableRowsReply({}, "line\nbreak"), false},
      {"blanks between and in rows",
       head + R"({"C":"A","A":"B","D":"33000","V":"1"},)" + "\n " + R"({ "C" : "A","A":"B","D":"33001","V":"2"}]})",
       true},
      {"a blank in the frame", R"({"ErrorMessage":[{"Content":""}], "Response":[{"C":"A","A":"B","D":"1","V":"1"}]})",
       false},
      {"Response first", R"({"Response":[{"C":"A","A":"B","D":"33000","V":"1"}],"ErrorMessage":[{"Content":""}]})",
       false},
      {"a fifth member", head + R"({"C":"A","A":"B","D":"33000","V":"1","E":[1,{"x":null}]}]})", false},
      {"a number member", head + R"({"C":"A","A":"B","D":33000,"V":"1"}]})", false},
      {"a short row", head + R"({"C":"A","A":"B","D":"33000"}]})", false},
      {"a refused row deep in a long reply", WithRow(ServerRows(15000), 12000, Row("X", "Y", 1e15, 1.0)), false},
      {"a value that is no number", head + R"({"C":"A","A":"B","D":"33000","V":"abc"}]})", false},
      {"a line break after the reply", few + "\n", false},
      {"a second Response", few.substr(0, few.size() - 1) + R"(,"Response":[]})", false},
      {"a truncated reply", server.substr(0, server.size() / 2), false},
      {"invalid UTF-8 in a name", head + "{\"C\":\"SP\xC3\",\"A\":\"B\",\"D\":\"1\",\"V\":\"1\"}]}", false},
      {"a raw tab in a value", head + "{\"C\":\"A\",\"A\":\"B\",\"D\":\"33000\",\"V\":\"1\t\"}]}", false},
      // A cut at "},{" inside a name leaves an unclosed string in the slice.
      {"row ends inside names", WriteTableRowsReply(ServerRows(15000, "X},{Y"), ""), std::nullopt},
  };
  for (const Case& c : cases) {
    TDataRowSet general;
    std::string generalError;
    ReadTableRowsReplyInFull(generalError, c.Reply, general);
    const std::vector<TDataRow> generalRows = general.ToRows();
    for (const std::size_t pieceBytes : {std::size_t{0}, platform::kReplyPieceBytes, std::size_t{100003}}) {
      const Outcome outcome = ReadFed(c.Reply, pieceBytes);
      EXPECT_EQ(outcome.Error, generalError) << c.Name << ", pieces of " << pieceBytes;
      EXPECT_TRUE(outcome.Rows == generalRows) << c.Name << ", pieces of " << pieceBytes << ": " << outcome.Rows.size()
                                               << " rows, " << generalRows.size() << " expected";
      if (c.InSlices) {
        EXPECT_EQ(outcome.InSlices, *c.InSlices) << c.Name << ", pieces of " << pieceBytes;
      }
    }
  }
}

}  // namespace
