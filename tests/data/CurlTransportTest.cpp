#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "data/QVDBClient.h"
#include "platform/CurlTransport.h"

namespace {

// A one-shot HTTP/1.1 responder on 127.0.0.1:<ephemeral port>: accepts
// `connections` connections in turn, reads one request from each (head and
// Content-Length body), records it and answers with the scripted reply.
class LoopbackResponder {
 public:
  struct Received {
    std::string Head;  // request line and headers
    std::string Body;
  };

  LoopbackResponder(std::string reply, int connections) : Reply_(std::move(reply)) {
    Listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (Listener_ < 0 || bind(Listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(Listener_, 4) != 0)
      return;
    socklen_t length = sizeof address;
    getsockname(Listener_, reinterpret_cast<sockaddr*>(&address), &length);
    Port = ntohs(address.sin_port);
    Thread_ = std::thread([this, connections] {
      for (int i = 0; i < connections; ++i) Serve();
    });
  }

  ~LoopbackResponder() {
    if (Thread_.joinable()) Thread_.join();
    if (Listener_ >= 0) close(Listener_);
  }

  // Waits until every connection was served; afterwards Requests is stable.
  void Join() {
    if (Thread_.joinable()) Thread_.join();
  }

  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(Port) + "/"; }

  int Port = 0;
  std::vector<Received> Requests;

 private:
  void Serve() {
    const int connection = accept(Listener_, nullptr, nullptr);
    if (connection < 0) return;
    std::string data;
    char buffer[4096];
    std::size_t headEnd = std::string::npos;
    std::size_t bodyLength = 0;
    while (true) {
      if (headEnd == std::string::npos) {
        headEnd = data.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
          const auto at = Lower(data.substr(0, headEnd)).find("content-length:");
          if (at != std::string::npos) bodyLength = std::strtoul(data.c_str() + at + 15, nullptr, 10);
        }
      }
      if (headEnd != std::string::npos && data.size() >= headEnd + 4 + bodyLength) break;
      const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      data.append(buffer, static_cast<std::size_t>(n));
    }
    Received received;
    if (headEnd != std::string::npos) {
      received.Head = data.substr(0, headEnd);
      received.Body = data.substr(headEnd + 4, bodyLength);
    }
    Requests.push_back(std::move(received));
    std::size_t sent = 0;
    while (sent < Reply_.size()) {
      const ssize_t n = send(connection, Reply_.data() + sent, Reply_.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    close(connection);
  }

  static std::string Lower(std::string text) {
    for (char& c : text)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
  }

  std::string Reply_;
  int Listener_ = -1;
  std::thread Thread_;
};

std::string HttpReplyText(const std::string& statusLine, const std::string& body) {
  return statusLine + "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

platform::HttpRequest Request(const std::string& baseUrl, const std::string& resource,
                              platform::HttpMethod method = platform::HttpMethod::Get, const std::string& body = "") {
  platform::HttpRequest request;
  request.Method = method;
  request.BaseUrl = baseUrl;
  request.Resource = resource;
  request.Body = body;
  request.ContentType = "application/json";
  return request;
}

// A client over libcurl without proxy, on the given server.
struct CurlClient {
  explicit CurlClient(const std::string& baseUrl) {
    Client.SetProxySource([] { return TProxySettings{}; });
    Client.SetBaseUrl(baseUrl);
  }
  platform::CurlTransport Transport;
  TQVDBClient Client{Transport, "NO_RESULT"};
};

// GET carries its body; the status text is read whatever the status.
TEST(CurlTransportTest, MethodsBodiesAndStatusTexts) {
  struct Case {
    platform::HttpMethod Method;
    std::string Name, Resource, Body, StatusLine, StatusText, Content;
  };
  const std::vector<Case> cases{
      {platform::HttpMethod::Get, "GET", "QuorvaneDB",
       R"({"SQLRequest":[{"ResponseType":"8","Content":"SELECT 1","Field":""}]})", "HTTP/1.1 418 I'm a teapot",
       "I'm a teapot", "short and stout"},
      {platform::HttpMethod::Put, "PUT", "Default", "payload", "HTTP/1.1 200 OK", "OK", "{}"},
      {platform::HttpMethod::Post, "POST", "Default", "payload", "HTTP/1.1 200 OK", "OK", "{}"},
      {platform::HttpMethod::Get, "GET", "Default", "", "HTTP/1.1 200 OK", "OK", "{}"}};
  for (const Case& c : cases) {
    LoopbackResponder responder(HttpReplyText(c.StatusLine, c.Content), 1);
    ASSERT_NE(responder.Port, 0);
    platform::CurlTransport transport;
    const platform::HttpReply reply = transport.Execute(Request(responder.BaseUrl(), c.Resource, c.Method, c.Body));
    responder.Join();
    EXPECT_EQ(reply.StatusCode, std::stoi(c.StatusLine.substr(9))) << c.Name;
    EXPECT_EQ(reply.StatusText, c.StatusText);
    EXPECT_EQ(reply.Content, c.Content);
    ASSERT_EQ(responder.Requests.size(), 1u);
    const std::string& head = responder.Requests[0].Head;
    EXPECT_EQ(head.rfind(c.Name + " /" + c.Resource + " HTTP/1.1\r\n", 0), 0u) << head;
    EXPECT_EQ(responder.Requests[0].Body, c.Body);
    if (!c.Body.empty()) {
      EXPECT_NE(head.find("Content-Type: application/json"), std::string::npos) << head;
    }
  }
}

TEST(CurlTransportTest, ClosedPortIsAConnectionFailure) {
  int port = 0;
  {
    LoopbackResponder probe("", 0);  // binds a free port, then releases it
    port = probe.Port;
  }
  ASSERT_NE(port, 0);
  CurlClient curl("http://127.0.0.1:" + std::to_string(port) + "/");
  EXPECT_THROW(curl.Transport.Execute(Request(curl.Client.BaseUrl(), "QuorvaneDB")), platform::HttpTransportError);
  // Through the client the same failure becomes its message.
  EXPECT_FALSE(curl.Client.UserExists("u"));
  EXPECT_EQ(curl.Client.LastMessage, "Connection to server failed");
  EXPECT_FALSE(curl.Client.IsServerAvailable());
}

TEST(CurlTransportTest, LongReplyIsCutOff) {
  LoopbackResponder responder(HttpReplyText("HTTP/1.1 200 OK", std::string(100000, 'x')), 1);
  platform::CurlTransport transport;
  platform::HttpRequest request = Request(responder.BaseUrl(), "QuorvaneDB");
  request.MaxReplyBytes = 1000;
  EXPECT_THROW(transport.Execute(request), platform::HttpReplyTooLarge);
}

// The proxy gets the absolute address; credentials only when some were given
// (an empty user would still send an empty Basic authorisation).
TEST(CurlTransportTest, ProxyReceivesAbsoluteAddressAndCredentials) {
  struct Case {
    std::string User, Password, Authorization;
  };
  // base64("user:secret"), base64(":secret")
  const std::vector<Case> cases{{"user", "secret", "Proxy-Authorization: Basic dXNlcjpzZWNyZXQ="},
                                {"", "secret", "Proxy-Authorization: Basic OnNlY3JldA=="},
                                {"", "", ""}};
  for (const Case& c : cases) {
    LoopbackResponder proxy(HttpReplyText("HTTP/1.1 200 OK", "VOSKER SERVER"), 1);
    platform::CurlTransport transport;
    platform::HttpRequest request = Request("http://data.invalid:8082/", "Default");
    request.Proxy.Address = "127.0.0.1:" + std::to_string(proxy.Port);
    request.Proxy.UserName = c.User;
    request.Proxy.Password = c.Password;
    const platform::HttpReply reply = transport.Execute(request);
    proxy.Join();
    EXPECT_EQ(reply.Content, "VOSKER SERVER");
    ASSERT_EQ(proxy.Requests.size(), 1u);
    const std::string& head = proxy.Requests[0].Head;
    EXPECT_EQ(head.rfind("GET http://data.invalid:8082/Default HTTP/1.1\r\n", 0), 0u) << head;
    if (c.Authorization.empty()) {
      EXPECT_EQ(head.find("Proxy-Authorization"), std::string::npos) << head;
    } else {
      EXPECT_NE(head.find(c.Authorization), std::string::npos) << head;
    }
  }
}

// Data requests and the server check (a plain GET of "Default") ask for JSON
// in UTF-8, as the client's request is configured once for all of them.
TEST(CurlTransportTest, ClientRequestsOverHttp) {
  const std::string status = R"({"ErrorMessage":[{"Content":""}],"Response":[{"String":"1"}]})";
  for (const bool check : {false, true}) {
    LoopbackResponder responder(HttpReplyText("HTTP/1.1 200 OK", check ? "Vosker Server ready" : status), 1);
    CurlClient curl(responder.BaseUrl());
    EXPECT_TRUE(check ? curl.Client.IsServerAvailable() : curl.Client.UserExists("u"));
    responder.Join();
    ASSERT_EQ(responder.Requests.size(), 1u);
    const std::string& head = responder.Requests[0].Head;
    EXPECT_EQ(head.rfind(check ? "GET /Default HTTP/1.1\r\n" : "GET /QuorvaneDB HTTP/1.1\r\n", 0), 0u) << head;
    EXPECT_EQ(responder.Requests[0].Body.empty(), check);
    EXPECT_NE(head.find("\r\nAccept: application/json\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("\r\nAccept-Charset: utf-8, *;q=0.8"), std::string::npos) << head;
  }
}

}  // namespace
