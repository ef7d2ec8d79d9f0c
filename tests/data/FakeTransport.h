#pragma once
// In-process HttpTransport for tests: records every request and answers from
// a queue of scripted replies (or throws a scripted transport error); and a
// data-server client wired to it.

#include <deque>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "data/QVDBClient.h"
#include "data/QVDBCodec.h"
#include "platform/HttpTransport.h"

// One scripted answer: a reply, or a transport error thrown instead.
struct FakeStep {
  platform::HttpReply Reply;
  bool Fail = false;      // throw HttpTransportError
  bool TooLarge = false;  // throw HttpReplyTooLarge
};

inline FakeStep Answer(int status, std::string statusText, std::string content) {
  FakeStep step;
  step.Reply.StatusCode = status;
  step.Reply.StatusText = std::move(statusText);
  step.Reply.Content = std::move(content);
  return step;
}
// A status reply: one value, with an optional server error text.
inline FakeStep StatusAnswer(const std::string& value, const std::string& error = "") {
  return Answer(200, "OK", WriteStatusReply(value, error));
}
inline FakeStep Failure() { return FakeStep{{}, true, false}; }

class FakeTransport : public platform::HttpTransport {
 public:
  using Step = FakeStep;

  void Queue(const std::vector<Step>& steps) { Steps.insert(Steps.end(), steps.begin(), steps.end()); }
  void Reply(int status, std::string statusText, std::string content) {
    Steps.push_back(Answer(status, std::move(statusText), std::move(content)));
  }
  void Ok(std::string content) { Reply(200, "OK", std::move(content)); }
  void Status(const std::string& value, const std::string& error = "") { Steps.push_back(StatusAnswer(value, error)); }
  void Fail() { Steps.push_back(Failure()); }
  void FailTooLarge() { Steps.push_back(Step{{}, false, true}); }

  platform::HttpReply Execute(const platform::HttpRequest& request) override {
    Requests.push_back(request);
    if (Steps.empty()) throw platform::HttpTransportError("no scripted reply");
    Step step = std::move(Steps.front());
    Steps.pop_front();
    if (step.TooLarge) throw platform::HttpReplyTooLarge("scripted oversized reply");
    if (step.Fail) throw platform::HttpTransportError("scripted connection failure");
    return step.Reply;
  }

  const platform::HttpRequest& Last() const {
    if (Requests.empty()) throw std::logic_error("no request recorded");
    return Requests.back();
  }

  std::deque<Step> Steps;
  std::vector<platform::HttpRequest> Requests;
};

// The one SQL request item of a request body.
struct SentRequest {
  std::string Kind, Content, Field;
};

inline SentRequest Decode(const platform::HttpRequest& request) {
  const auto item = nlohmann::json::parse(request.Body).at("SQLRequest").at(0);
  return {item.at("ResponseType").get<std::string>(), item.at("Content").get<std::string>(),
          item.at("Field").get<std::string>()};
}

// A client on the fake transport whose proxy settings come from Proxy.
class FakeServer {
 public:
  FakeServer() {
    Client.SetProxySource([this] { return Proxy; });
  }
  FakeServer(const FakeServer&) = delete;
  FakeServer& operator=(const FakeServer&) = delete;

  FakeTransport Transport;
  TQVDBClient Client{Transport, "NO_RESULT"};
  TProxySettings Proxy;
};
