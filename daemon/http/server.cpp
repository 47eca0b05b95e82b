#include "daemon/http/server.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <arpa/inet.h>
#include <linux/tcp.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "daemon/http/request.h"

namespace pv7100::daemon {

// One request from its headers to its answer; a stream's until its client goes.
struct Exchange {
  HttpServer* server = nullptr;
  MHD_Connection* connection = nullptr;
  HttpRequest request;
  bool handled = false;    // handed to the handler
  bool suspended = false;  // the library waits for us
  bool finished = false;   // the library is done with it
  bool queued = false;     // the answer is with the library
  std::optional<HttpResponse> response;
  // A stream: its headers, the rest of the event being sent, and the newest one waiting.
  std::optional<std::vector<std::pair<std::string, std::string>>> stream;
  std::string sending;
  std::string newest;
  std::chrono::steady_clock::time_point lastSent{};
  // While a stream waits, its socket is watched: the library does not see a client go while it
  // is suspended, and a page reloaded would hold its old stream until the next heartbeat.
  std::unique_ptr<QSocketNotifier> watch;
  bool gone = false;
};

namespace {

enum MHD_Result collectHeader(void* request, enum MHD_ValueKind, const char* key,
                              const char* value) {
  auto& into = *static_cast<HttpRequest*>(request);
  std::string name = lowerCase(key);
  if (!into.headers.emplace(name, value ? value : "").second &&
      std::ranges::find(into.repeated, name) == into.repeated.end())
    into.repeated.push_back(std::move(name));
  return MHD_YES;
}

std::string peerOf(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  if (!info || !info->client_addr) return "?";
  char text[INET6_ADDRSTRLEN] = "?";
  const sockaddr* address = info->client_addr;
  if (address->sa_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
  else if (address->sa_family == AF_INET6)
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
              sizeof text);
  return text;
}

void addHeaders(MHD_Response* response,
                const std::vector<std::pair<std::string, std::string>>& headers) {
  for (const auto& [name, value] : headers)
    MHD_add_response_header(response, name.c_str(), value.c_str());
}

// What the kernel has taken from the client on `fd` so far.
std::uint64_t bytesReceived(int fd) {
  tcp_info info{};
  socklen_t size = sizeof info;
  return ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) == 0 ? info.tcpi_bytes_received : 0;
}

// `response` as bytes on the wire, on a connection that closes after it.
std::string wireOf(const HttpResponse& response) {
  const auto status = static_cast<unsigned>(response.status);
  std::string text = "HTTP/1.1 " + std::to_string(status) + " " +
                     MHD_get_reason_phrase_for(status) +
                     "\r\nConnection: close\r\nContent-Type: " + response.contentType +
                     "\r\nContent-Length: " + std::to_string(response.body.size()) + "\r\n";
  for (const auto& [name, value] : response.headers) text += name + ": " + value + "\r\n";
  return text + "\r\n" + response.body;
}

// A listening socket of our own, so that a failure says why.
int listenOn(const QHostAddress& address, quint16& port, std::string& error) {
  sockaddr_storage storage{};
  socklen_t length = 0;
  if (address.protocol() == QAbstractSocket::IPv6Protocol) {
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    std::memcpy(&v6->sin6_addr, &bytes, sizeof bytes);
    length = sizeof *v6;
  } else {
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    v4->sin_addr.s_addr = htonl(address.toIPv4Address());
    length = sizeof *v4;
  }
  const int fd = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  if (fd >= 0) ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 ||
      ::listen(fd, 64) != 0) {
    error = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return -1;
  }
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length);
  port = ntohs(storage.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                                             : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
  return fd;
}

}  // namespace

// The library's callbacks, which reach into the server.
struct HttpLibrary {
  static enum MHD_Result access(void* self, MHD_Connection* connection, const char* url,
                                const char* method, const char*, const char* upload,
                                std::size_t* uploadSize, void** state) {
    auto& server = *static_cast<HttpServer*>(self);
    auto* exchange = static_cast<Exchange*>(*state);
    if (!exchange) {
      auto created = std::make_shared<Exchange>();
      exchange = created.get();
      exchange->server = &server;
      exchange->connection = connection;
      exchange->request.method = method;
      exchange->request.path = url;
      exchange->request.peer = peerOf(connection);
      MHD_get_connection_values(connection, MHD_HEADER_KIND, collectHeader, &exchange->request);
      server.exchanges_.emplace(exchange, std::move(created));
      *state = exchange;
      return MHD_YES;
    }
    HttpRequest& request = exchange->request;
    if (*uploadSize > 0) {
      // What goes beyond the limit is read and dropped, and the request is answered whole.
      if (request.body.size() + *uploadSize > server.settings_.limits.body) {
        request.bodyTooLarge = true;
        request.body.clear();
      }
      if (!request.bodyTooLarge) request.body.append(upload, *uploadSize);
      *uploadSize = 0;
      return MHD_YES;
    }
    if (!exchange->handled) {
      exchange->handled = true;
      if (const auto link = server.links_.find(connection); link != server.links_.end())
        link->second.due.reset();
      server.handler_(request, HttpReply(server.exchanges_.at(exchange)));
    }
    return answer(*exchange);
  }

  // Gives the library the answer once there is one; until then the connection waits.
  static enum MHD_Result answer(Exchange& exchange) {
    if (exchange.queued) return MHD_YES;
    MHD_Response* response = nullptr;
    unsigned status = MHD_HTTP_OK;
    if (exchange.response) {
      response = MHD_create_response_from_buffer(
          exchange.response->body.size(), exchange.response->body.data(), MHD_RESPMEM_MUST_COPY);
      addHeaders(response, exchange.response->headers);
      MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE,
                              exchange.response->contentType.c_str());
      status = static_cast<unsigned>(exchange.response->status);
    } else if (exchange.stream) {
      response =
          MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 1024, streamRead, &exchange, nullptr);
      addHeaders(response, *exchange.stream);
      exchange.lastSent = std::chrono::steady_clock::now();
    } else {
      // A client that went while its request waited gets nothing: its connection closes.
      if (exchange.gone) return MHD_NO;
      MHD_suspend_connection(exchange.connection);
      exchange.suspended = true;
      watch(exchange);
      return MHD_YES;
    }
    exchange.queued = true;
    const enum MHD_Result queued = MHD_queue_response(exchange.connection, status, response);
    MHD_destroy_response(response);
    return queued;
  }

  // The next bytes of a stream; with none, the connection waits until an event comes.
  static ssize_t streamRead(void* cls, std::uint64_t, char* buffer, std::size_t most) {
    auto& exchange = *static_cast<Exchange*>(cls);
    if (exchange.gone) return MHD_CONTENT_READER_END_WITH_ERROR;
    if (exchange.sending.empty()) exchange.sending = std::exchange(exchange.newest, {});
    if (exchange.sending.empty()) {
      MHD_suspend_connection(exchange.connection);
      exchange.suspended = true;
      watch(exchange);
      return 0;
    }
    const std::size_t size = std::min(most, exchange.sending.size());
    std::memcpy(buffer, exchange.sending.data(), size);
    exchange.sending.erase(0, size);
    exchange.lastSent = std::chrono::steady_clock::now();
    return static_cast<ssize_t>(size);
  }

  // A page sends nothing on its stream, nor a client while its request waits: what makes its
  // socket readable is its going away.
  static void watch(Exchange& exchange) {
    if (!exchange.watch) {
      const MHD_ConnectionInfo* info =
          MHD_get_connection_info(exchange.connection, MHD_CONNECTION_INFO_CONNECTION_FD);
      exchange.watch = std::make_unique<QSocketNotifier>(info->connect_fd, QSocketNotifier::Read);
      QObject::connect(exchange.watch.get(), &QSocketNotifier::activated, exchange.server,
                       [&exchange](QSocketDescriptor fd) {
                         exchange.watch->setEnabled(false);
                         char byte;
                         const ssize_t got = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
                         if (got < 0 && errno == EAGAIN) return exchange.watch->setEnabled(true);
                         exchange.gone = got <= 0;
                         if (exchange.gone && exchange.suspended) exchange.server->resume(exchange);
                       });
    }
    exchange.watch->setEnabled(true);
  }

  static void completed(void* self, MHD_Connection* connection, void** state,
                        enum MHD_RequestTerminationCode) {
    auto& server = *static_cast<HttpServer*>(self);
    // The next request on this connection has its time from now.
    server.awaitRequest(connection);
    auto* exchange = static_cast<Exchange*>(*state);
    if (!exchange) return;
    *state = nullptr;
    exchange->watch.reset();
    exchange->finished = true;
    const bool stream = exchange->stream.has_value();
    server.exchanges_.erase(exchange);
    if (stream) emit server.streamClosed();
  }

  static void connectionChanged(void* self, MHD_Connection* connection, void**,
                                enum MHD_ConnectionNotificationCode code) {
    auto& server = *static_cast<HttpServer*>(self);
    if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
      server.links_.erase(connection);
      server.closed_ = true;
      return;
    }
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    server.links_[connection].fd = info->connect_fd;
    server.awaitRequest(connection);
    server.links_[connection].received = 0;  // what came before the accept is this request's
  }

  static void log(void* self, const char* format, va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    std::string_view message(text);
    while (message.ends_with('\n')) message.remove_suffix(1);
    // The first says why a start failed. Once it runs, what it says is mostly of clients that
    // went away or broke the rules, one line a closed page; the refusals at the cap and the
    // failed handshakes are counted in the event log.
    auto& server = *static_cast<HttpServer*>(self);
    if (!server.daemon_) {
      if (server.startError_.empty()) server.startError_ = message;
    } else if (message.find("connection limit") != std::string_view::npos) {
      server.notify_(HttpNotice::refusedAtCap);
    } else if (message.find("handshake") != std::string_view::npos) {
      server.notify_(HttpNotice::tlsHandshake);
    } else if (message.find("code is 414") != std::string_view::npos) {
      server.refuseOversized(414);
    } else if (message.find("code is 431") != std::string_view::npos) {
      server.refuseOversized(431);
    }
  }
};

std::string_view HttpRequest::header(std::string_view name) const {
  const auto found = headers.find(name);
  return found == headers.end() ? std::string_view{} : std::string_view(found->second);
}

void HttpReply::send(HttpResponse response) const {
  Exchange& exchange = *exchange_;
  if (exchange.finished || exchange.response || exchange.stream) return;
  exchange.response = std::move(response);
  if (exchange.suspended) exchange.server->resume(exchange);
}

void HttpReply::openStream(const std::vector<std::pair<std::string, std::string>>& headers) const {
  Exchange& exchange = *exchange_;
  if (exchange.finished || exchange.response || exchange.stream) return;
  exchange.stream = headers;
  if (exchange.suspended) exchange.server->resume(exchange);
}

void HttpReply::event(std::string text) const {
  Exchange& exchange = *exchange_;
  if (exchange.finished || !exchange.stream) return;
  exchange.newest = std::move(text);
  if (exchange.suspended) exchange.server->resume(exchange);
}

bool HttpReply::open() const {
  return !exchange_->finished && !exchange_->gone;
}

HttpServer::HttpServer(HttpSettings settings, Handler handler, Notify notify)
    : settings_(std::move(settings)), handler_(std::move(handler)), notify_(std::move(notify)) {
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, [this] { closeSlow(); });
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { run(); });
  heartbeat_.setInterval(kStreamHeartbeat);
  connect(&heartbeat_, &QTimer::timeout, this, [this] { heartbeat(); });
}

HttpServer::~HttpServer() {
  if (!daemon_) return;
  // The streams that end now are no news to a face that is going too.
  blockSignals(true);
  // The library must have every connection back before it stops.
  for (auto& [raw, exchange] : exchanges_) {
    if (exchange->suspended) MHD_resume_connection(exchange->connection);
    exchange->suspended = false;
  }
  notifier_.reset();
  MHD_stop_daemon(daemon_);
}

bool HttpServer::listen(std::string& error) {
  const int fd = listenOn(settings_.address, settings_.port, error);
  if (fd < 0) return false;
  unsigned flags = MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_ERROR_LOG;
  if (settings_.address.protocol() == QAbstractSocket::IPv6Protocol) flags |= MHD_USE_IPv6;
  std::vector<MHD_OptionItem> options = {
      {MHD_OPTION_EXTERNAL_LOGGER, reinterpret_cast<intptr_t>(&HttpLibrary::log), this},
      {MHD_OPTION_LISTEN_SOCKET, fd, nullptr},
      {MHD_OPTION_CONNECTION_LIMIT, settings_.limits.connections, nullptr},
      {MHD_OPTION_PER_IP_CONNECTION_LIMIT, settings_.limits.perAddress, nullptr},
      {MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(settings_.limits.connectionMemory),
       nullptr},
      {MHD_OPTION_CONNECTION_TIMEOUT, static_cast<intptr_t>(settings_.limits.idle.count()),
       nullptr},
      {MHD_OPTION_STRICT_FOR_CLIENT, 1, nullptr},
      {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&HttpLibrary::completed), this},
      {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&HttpLibrary::connectionChanged),
       this},
  };
  if (settings_.tls()) {
    flags |= MHD_USE_TLS;
    options.push_back({MHD_OPTION_HTTPS_MEM_CERT, 0, settings_.certificate.data()});
    options.push_back({MHD_OPTION_HTTPS_MEM_KEY, 0, settings_.key.data()});
  }
  options.push_back({MHD_OPTION_END, 0, nullptr});
  daemon_ = MHD_start_daemon(flags, 0, nullptr, nullptr, &HttpLibrary::access, this,
                             MHD_OPTION_ARRAY, options.data(), MHD_OPTION_END);
  if (!daemon_) {
    ::close(fd);
    error = startError_.empty() ? "the HTTP library would not start" : startError_;
    return false;
  }
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_EPOLL_FD);
  notifier_ = std::make_unique<QSocketNotifier>(info->epoll_fd, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { run(); });
  heartbeat_.start();
  run();
  return true;
}

// Lets the library do what is due, then wakes it when its next time-out is.
void HttpServer::run() {
  closed_ = false;
  MHD_run(daemon_);
  if (closed_) return timer_.start(0);
  MHD_UNSIGNED_LONG_LONG due = 0;
  if (MHD_get_timeout(daemon_, &due) == MHD_YES)
    timer_.start(static_cast<int>(std::min<MHD_UNSIGNED_LONG_LONG>(due, 60'000)));
  else
    timer_.stop();
}

void HttpServer::resume(Exchange& exchange) {
  exchange.suspended = false;
  if (exchange.watch) exchange.watch->setEnabled(false);
  MHD_resume_connection(exchange.connection);
  // A resumed connection is the library's to serve at its next run, which nothing else wakes.
  timer_.start(0);
}

void HttpServer::awaitRequest(MHD_Connection* connection) {
  const auto link = links_.find(connection);
  if (link == links_.end()) return;
  link->second.due = std::chrono::steady_clock::now() + settings_.limits.request;
  link->second.received = bytesReceived(link->second.fd);
  // Every due is as far off as this one when set: the timer already running comes first.
  if (!deadline_.isActive()) deadline_.start(settings_.limits.request);
}

// Shuts the socket of each connection whose request is overdue: the library finds it closed on
// its next run, and ends it as any other.
void HttpServer::closeSlow() {
  const auto now = std::chrono::steady_clock::now();
  std::optional<std::chrono::steady_clock::time_point> next;
  for (auto& [connection, link] : links_) {
    if (!link.due) continue;
    if (*link.due <= now) {
      // An idle connection (a browser's spare one, a keep-alive after its answer) is closed
      // quietly; one that began a request and did not end it is told.
      if (bytesReceived(link.fd) > link.received) notify_(HttpNotice::requestTooSlow);
      ::shutdown(link.fd, SHUT_RDWR);
      link.due.reset();
    } else if (!next || *link.due < *next) {
      next = link.due;
    }
  }
  if (next) deadline_.start(std::chrono::ceil<std::chrono::milliseconds>(*next - now));
  timer_.start(0);
}

// The library is about to answer a request too large for its memory with a page of its own,
// on the connection that has just filled it: that one has taken more than half the memory
// since its request began. It gets the face's answer instead, written here before the library
// writes anything; over TLS, which only the library speaks, it is closed unanswered.
void HttpServer::refuseOversized(int status) {
  auto exchange = std::make_shared<Exchange>();
  exchange->request.tooLarge = status;
  handler_(exchange->request, HttpReply(exchange));
  const std::string wire = exchange->response ? wireOf(*exchange->response) : std::string();
  for (auto& [connection, link] : links_) {
    if (!link.due ||
        bytesReceived(link.fd) <= link.received + settings_.limits.connectionMemory / 2)
      continue;
    if (!settings_.tls()) (void)!::send(link.fd, wire.data(), wire.size(), MSG_NOSIGNAL);
    ::shutdown(link.fd, SHUT_RDWR);
    link.due.reset();
  }
}

void HttpServer::heartbeat() {
  const auto quiet = std::chrono::steady_clock::now() - kStreamHeartbeat;
  for (auto& [raw, exchange] : exchanges_) {
    if (exchange->stream && exchange->newest.empty() && exchange->lastSent < quiet)
      HttpReply(exchange).event(":\n\n");
  }
}

}  // namespace pv7100::daemon
