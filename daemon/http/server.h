// The HTTP server on the daemon's one event loop, the only file that knows the library that
// serves it (libmicrohttpd): routes in, responses out. libmicrohttpd runs without a thread of
// its own; its epoll descriptor is watched by a QSocketNotifier and its time-outs by a QTimer.
// A request is handed over whole (its body read up to the limit) as an HttpRequest; it is
// answered through its HttpReply, at once or later (a command waits for the projector), or
// kept open as a stream of server-sent events.
//
// What a client may cost is bounded here (HttpLimits): connections in all and per address,
// memory per connection (the request line and headers must fit in it), the body, the time a
// request may take to come in whole and the time an answer may wait for its reader; a stream
// holds at most its newest event, so a reader that falls behind skips states rather than
// growing the daemon. At the cap the library leaves new connections in the kernel's queue
// until one of its own closes; it takes its listening socket back only on a run after that
// close, which nothing on the socket would wake, so a run that closed a connection is followed
// by another at once.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QHostAddress>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

struct MHD_Daemon;
struct MHD_Connection;

namespace pv7100::daemon {

struct HttpLimits {
  unsigned connections = 64;
  unsigned perAddress = 16;
  std::size_t connectionMemory = 32 * 1024;
  std::size_t body = 4096;
  // A request is complete this long after the connection opened or the answer before it was
  // sent, or the connection is closed: a client that drips its request, or keeps a connection
  // it does not use, holds its place no longer.
  std::chrono::seconds request{5};
  // An answer not read for this long (the client sends nothing meanwhile) closes it.
  std::chrono::seconds idle{15};
};

// What the library met that the event log counts.
enum class HttpNotice {
  refusedAtCap,    // a connection beyond the connections in all or from one address
  tlsHandshake,    // a TLS handshake that failed
  requestTooSlow,  // a connection closed, its request not complete in time
};

struct HttpSettings {
  QHostAddress address = QHostAddress::LocalHost;
  quint16 port = 8080;
  // PEM texts; both set: TLS.
  std::string certificate;
  std::string key;
  HttpLimits limits;
  bool tls() const { return !certificate.empty(); }
};

struct HttpRequest {
  std::string method;
  std::string path;  // without the query, which nothing reads
  std::map<std::string, std::string, std::less<>> headers;  // names in lower case
  std::string body;
  bool bodyTooLarge = false;          // longer than the limit; `body` is then empty
  std::string peer;                   // the client's address
  std::vector<std::string> repeated;  // the names of headers that came more than once
  // 414 or 431: the request line or the headers did not fit in the connection's memory; the
  // rest of the request is then empty, and the answer goes out on a connection that closes.
  int tooLarge = 0;

  // The header's value, "" when it is missing.
  std::string_view header(std::string_view name) const;
};

struct HttpResponse {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
};

struct Exchange;

// The answer to one request, given once; a copy answers the same request. Answering a request
// whose client has gone does nothing.
class HttpReply {
 public:
  explicit HttpReply(std::shared_ptr<Exchange> exchange) : exchange_(std::move(exchange)) {}
  void send(HttpResponse response) const;
  // Answers with a stream of server-sent events that stays open; `event` sends an event on it.
  void openStream(const std::vector<std::pair<std::string, std::string>>& headers) const;
  // Sends `text` (whole events) on the stream; while the client has not taken the last
  // text yet, it is replaced by this one.
  void event(std::string text) const;
  // The client is still there (for a stream: it has not gone yet, as far as is known).
  bool open() const;

 private:
  std::shared_ptr<Exchange> exchange_;
};

struct HttpLibrary;

class HttpServer : public QObject {
  Q_OBJECT

 public:
  using Handler = std::function<void(const HttpRequest& request, HttpReply reply)>;
  using Notify = std::function<void(HttpNotice notice)>;

  HttpServer(HttpSettings settings, Handler handler, Notify notify);
  ~HttpServer() override;

  // Starts listening; false with `error` set when the address cannot be had or the TLS files
  // are not what they should be.
  bool listen(std::string& error);
  quint16 port() const { return settings_.port; }

 signals:
  // The client of a stream is gone.
  void streamClosed();

 private:
  friend class HttpReply;
  friend struct HttpLibrary;
  // A stream that has sent nothing for this long gets a comment, so that a client that has
  // gone is found out when its connection fails.
  static constexpr std::chrono::seconds kStreamHeartbeat{15};

  // A connection of the library's: its socket, and by when its request must be in.
  struct Link {
    int fd = -1;
    std::optional<std::chrono::steady_clock::time_point> due;
    std::uint64_t received = 0;  // the bytes the kernel had taken when `due` was set
  };

  void resume(Exchange& exchange);
  void run();
  void heartbeat();
  void awaitRequest(MHD_Connection* connection);
  void closeSlow();
  void refuseOversized(int status);

  HttpSettings settings_;
  Handler handler_;
  Notify notify_;
  MHD_Daemon* daemon_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer timer_;
  QTimer heartbeat_;
  QTimer deadline_;
  std::map<Exchange*, std::shared_ptr<Exchange>> exchanges_;
  std::map<MHD_Connection*, Link> links_;
  bool closed_ = false;  // a connection closed during this run
  std::string startError_;
};

}  // namespace pv7100::daemon
