#include "ReplyWriter.h"

#include "data/QVDBCodec.h"

namespace qvserver {

TReplyWriter::TReplyWriter(std::string_view errorText, std::size_t expectedBytes) {
  Text_.reserve(expectedBytes + errorText.size() + 64);
  Text_ += "{\"ErrorMessage\":[{\"Content\":";
  AppendJsonString(Text_, errorText);
  Text_ += "}],\"Response\":[";
}

void TReplyWriter::AddRow(std::initializer_list<std::pair<std::string_view, std::string_view>> members) {
  if (!FirstRow_) Text_.push_back(',');
  FirstRow_ = false;
  Text_.push_back('{');
  bool first = true;
  for (const auto& [name, value] : members) {
    if (!first) Text_.push_back(',');
    first = false;
    AppendJsonString(Text_, name);
    Text_.push_back(':');
    AppendJsonString(Text_, value);
  }
  Text_.push_back('}');
}

std::string TReplyWriter::Finish() {
  Text_ += "]}";
  return std::move(Text_);
}

std::string StatusReply(std::string_view value, std::string_view errorText) {
  TReplyWriter writer(errorText);
  writer.AddRow({{"String", value}});
  return writer.Finish();
}

}  // namespace qvserver
