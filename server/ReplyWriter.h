#pragma once
// Writes reply bodies of the data-server protocol:
//   {"ErrorMessage":[{"Content":"<error>"}],"Response":[{row},{row},...]}
// Every member value is a JSON string. Rows are appended one at a time so
// that large tables go out without an intermediate document, in pieces when
// they are large.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace qvserver {

class TReplyWriter {
 public:
  explicit TReplyWriter(std::string_view errorText, std::size_t expectedBytes = 256);

  // Appends one row object; members in the given order.
  void AddRow(std::initializer_list<std::pair<std::string_view, std::string_view>> members);
  // Closes the array and the object and hands the text over.
  std::string Finish();
  // Hands over the text written so far and goes on with the next row: a
  // reply sent piece by piece is the same text as one finished at once.
  std::string Take() { return std::exchange(Text_, std::string()); }
  std::size_t Size() const { return Text_.size(); }

 private:
  std::string Text_;
  bool FirstRow_ = true;
};

// A reply with one status row {"String": value}.
std::string StatusReply(std::string_view value, std::string_view errorText);

}  // namespace qvserver
