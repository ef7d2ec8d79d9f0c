#pragma once
// In-process HttpTransport for tests: records every request and answers from
// a queue of scripted replies (or throws a scripted transport error).

#include <deque>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/HttpTransport.h"

class FakeTransport : public platform::HttpTransport {
 public:
  struct Step {
    platform::HttpReply Reply;
    bool Fail = false;      // throw HttpTransportError instead of replying
    bool TooLarge = false;  // throw HttpReplyTooLarge instead of replying
  };

  // Queues a reply with the given status and content.
  void Reply(int status, std::string statusText, std::string content) {
    Step step;
    step.Reply.StatusCode = status;
    step.Reply.StatusText = std::move(statusText);
    step.Reply.Content = std::move(content);
    Steps.push_back(std::move(step));
  }
  void Ok(std::string content) { Reply(200, "OK", std::move(content)); }
  void Fail() { Steps.push_back(Step{{}, true, false}); }
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
