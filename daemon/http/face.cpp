#include "daemon/http/face.h"

#include <algorithm>
#include <array>

#include <QFile>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QTimer>

#include "daemon/core/json_text.h"
#include "daemon/http/api.h"
#include "daemon/http/metrics.h"
#include "protocol/commands.h"

namespace pv7100::daemon {
namespace {

using Clock = std::chrono::steady_clock;

// The page and what it loads, served from the program's resources.
constexpr std::pair<const char*, const char*> kAssets[] = {
    {"index.html", "text/html; charset=utf-8"},
    {"remote.css", "text/css; charset=utf-8"},
    {"remote.js", "text/javascript; charset=utf-8"},
    {"icon.svg", "image/svg+xml"},
};

// Nothing from elsewhere: scripts, styles, pictures and connections from this daemon only.
constexpr const char* kPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

// Compares in a time that does not tell how much of a guess was right.
bool sameSecret(const std::string& given, const std::string& secret) {
  unsigned char differ = given.size() != secret.size();
  for (std::size_t i = 0; i < given.size(); ++i)
    differ |= static_cast<unsigned char>(given[i] ^ secret[i % secret.size()]);
  return differ == 0;
}

// 128 bits from the system's random source, in hex: a hold's token, an outcome's ticket.
std::string newToken() {
  std::array<quint32, 4> random{};
  QRandomGenerator::system()->fillRange(random.data(), random.size());
  std::string token;
  for (const quint32 word : random)
    for (int shift = 28; shift >= 0; shift -= 4) token += "0123456789abcdef"[(word >> shift) & 15];
  return token;
}

}  // namespace

HttpFace::HttpFace(WebSettings settings, Projector& projector)
    : settings_(std::move(settings)),
      projector_(projector),
      server_(settings_.server,
              [this](const HttpRequest& request, HttpReply reply) { handle(request, reply); }),
      commandList_(commandListJson()) {
  const std::string machine = lowerCase(QSysInfo::machineHostName().toStdString());
  hosts_.names = {"localhost", machine, machine + ".local"};
  for (const std::string& name : settings_.names) hosts_.names.push_back(lowerCase(name));
  hosts_.tls = settings_.server.tls();
  for (const auto& [name, type] : kAssets) {
    QFile file(QString(":/pv7100/http/") + name);
    file.open(QIODevice::ReadOnly);
    assets_[name] = {type, file.readAll().toStdString()};
  }
  // The page's heading and title name the projector.
  const std::string heading = QString::fromStdString(settings_.name).toHtmlEscaped().toStdString();
  std::string& page = assets_["index.html"].second;
  constexpr std::string_view kName = "{name}";
  for (auto at = page.find(kName); at != std::string::npos;
       at = page.find(kName, at + heading.size()))
    page.replace(at, kName.size(), heading);
  connect(&projector_, &Projector::documentChanged, this, [this] { pushState(); });
  connect(&server_, &HttpServer::streamClosed, this, [this] { countStreams(); });
  projector_.setClients("http", 0);
}

bool HttpFace::listen(std::string& error) {
  if (!server_.listen(error)) return false;
  hosts_.port = server_.port();
  return true;
}

HttpResponse HttpFace::response(int status, std::string body, std::string contentType) const {
  HttpResponse response{status, std::move(contentType), std::move(body), {}};
  response.headers = {{"Content-Security-Policy", kPolicy},
                      {"X-Content-Type-Options", "nosniff"},
                      {"Referrer-Policy", "no-referrer"},
                      {"Cache-Control", "no-store"}};
  if (status == 401 && !settings_.password.empty())
    response.headers.emplace_back("WWW-Authenticate", "Basic realm=\"pv7100d\", charset=\"UTF-8\"");
  return response;
}

HttpResponse HttpFace::error(int status, std::string_view text) const {
  return response(status, errorJson(text));
}

void HttpFace::handle(const HttpRequest& request, const HttpReply& reply) {
  if (!namesDaemon(request.header("host"), hosts_))
    return reply.send(error(421, "the Host header must name this daemon"));
  const Route route = routeOf(request.path);
  if (route.endpoint == Endpoint::notFound)
    return reply.send(error(404, "there is nothing at " + request.path));
  const bool get = request.method == "GET" || request.method == "HEAD";
  if (route.changes() ? request.method != "POST" : !get) {
    HttpResponse refused = error(405, route.changes() ? "this takes a POST" : "this takes a GET");
    refused.headers.emplace_back("Allow", route.changes() ? "POST" : "GET, HEAD");
    return reply.send(refused);
  }
  if (route.changes()) {
    const std::string_view origin = request.header("origin");
    if (origin.empty() ? fromBrowser(request.header("user-agent"), request.header("sec-fetch-site"))
                       : !sameOrigin(origin, request.header("host"), hosts_.tls))
      return reply.send(error(403, "a change is taken only from this daemon's own page"));
  }
  if (request.bodyTooLarge)
    return reply.send(error(
        413, "the body is longer than " + std::to_string(settings_.server.limits.body) + " bytes"));
  authorize(request, reply);
}

// With a password, every request carries it; an address that guessed wrong waits its turn.
void HttpFace::authorize(const HttpRequest& request, const HttpReply& reply) {
  if (settings_.password.empty()) return serve(routeOf(request.path), request, reply);
  const std::optional<std::string> password = basicPassword(request.header("authorization"));
  if (!password) return reply.send(error(401, "this daemon wants its password"));
  const auto now = Clock::now();
  if (const auto wait = guesses_.wait(request.peer, now); wait > Clock::duration::zero()) {
    QTimer::singleShot(std::chrono::ceil<std::chrono::milliseconds>(wait), this,
                       [this, request, reply] { authorize(request, reply); });
    return;
  }
  const bool right = sameSecret(*password, settings_.password);
  const auto next = guesses_.judged(request.peer, right, now);
  if (!right) {
    projector_.log().counted(
        "http wrong password from " + request.peer, 1, [peer = request.peer, next](long count) {
          std::string told = "HTTP: " + std::to_string(count) + " wrong password" +
                             (count == 1 ? "" : "s") + " from " + peer;
          if (next > Clock::duration::zero())
            told += "; its next try waits " +
                    std::to_string(std::chrono::ceil<std::chrono::seconds>(next).count()) + " s";
          return told;
        });
    return reply.send(error(401, "wrong password"));
  }
  serve(routeOf(request.path), request, reply);
}

void HttpFace::serve(const Route& route, const HttpRequest& request, const HttpReply& reply) {
  switch (route.endpoint) {
    case Endpoint::asset: {
      const auto found = assets_.find(route.name);
      if (found == assets_.end())
        return reply.send(error(404, "there is nothing at " + request.path));
      HttpResponse page = response(200, found->second.second, found->second.first);
      page.headers.back() = {"Cache-Control", "no-cache"};
      return reply.send(page);
    }
    case Endpoint::state:
      return reply.send(response(200, stateJson(projector_.document())));
    case Endpoint::commandList:
      return reply.send(response(200, commandList_));
    case Endpoint::events:
      return openStream(reply);
    case Endpoint::metrics:
      return reply.send(response(
          200,
          metricsText(projector_.document(), projector_.port().counters(), projector_.clients()),
          "text/plain; version=0.0.4; charset=utf-8"));
    case Endpoint::command:
      return runCommand(route.name, request, reply);
    case Endpoint::outcome:
      return tellOutcome(route.name, reply);
    case Endpoint::hold:
      return startHold(request, reply);
    case Endpoint::renew:
      return renewHold(route.hold, request, reply);
    case Endpoint::release:
      return releaseHold(route.hold, request, reply);
    case Endpoint::notFound:
      break;
  }
  reply.send(error(404, "there is nothing at " + request.path));
}

void HttpFace::runCommand(const std::string& name, const HttpRequest& request,
                          const HttpReply& reply) {
  // An unknown name is refused by the door with its own words, as without the preference.
  if (lowerCase(request.header("prefer")).find("respond-async") == std::string::npos ||
      !commandNamed(name)) {
    projector_.commands().run(name, [this, reply, name](const CommandDoor::Result& result) {
      reply.send(response(statusOf(result), outcomeJson(name, result)));
    });
    return;
  }
  if (awaited_ >= kMaxAwaited)
    return reply.send(
        error(429, std::to_string(kMaxAwaited) + " commands wait for the projector already"));
  ++awaited_;
  const std::string ticket = newToken();
  outcomes_[ticket].command = name;
  outcomeOrder_.push_back(ticket);
  projector_.commands().run(
      name, [this, ticket](const CommandDoor::Result& result) { outcomeKnown(ticket, result); });
  HttpResponse taken = response(
      202, "{\"command\": " + jsonString(name) + ", \"ticket\": " + jsonString(ticket) + "}");
  taken.headers.emplace_back("Preference-Applied", "respond-async");
  taken.headers.emplace_back("Location", "/api/outcomes/" + ticket);
  reply.send(taken);
}

void HttpFace::outcomeKnown(const std::string& ticket, const CommandDoor::Result& result) {
  Pending& pending = outcomes_[ticket];
  pending.result = result;
  --awaited_;
  for (const HttpReply& waiting : pending.waiting)
    waiting.send(response(statusOf(result), outcomeJson(pending.command, result)));
  pending.waiting.clear();
  forgetOutcomes();
}

void HttpFace::tellOutcome(const std::string& ticket, const HttpReply& reply) {
  const auto found = outcomes_.find(ticket);
  if (found == outcomes_.end())
    return reply.send(error(404, "no outcome has that ticket (the last " +
                                     std::to_string(kOutcomesKept) + " are kept)"));
  Pending& pending = found->second;
  if (pending.result)
    return reply.send(
        response(statusOf(*pending.result), outcomeJson(pending.command, *pending.result)));
  std::erase_if(pending.waiting, [](const HttpReply& waiting) { return !waiting.open(); });
  pending.waiting.push_back(reply);
}

// The oldest outcomes told go; one still awaited stays until it is known.
void HttpFace::forgetOutcomes() {
  for (auto ticket = outcomeOrder_.begin();
       outcomes_.size() > kOutcomesKept && ticket != outcomeOrder_.end();) {
    const auto found = outcomes_.find(*ticket);
    if (!found->second.result) {
      ++ticket;
      continue;
    }
    outcomes_.erase(found);
    ticket = outcomeOrder_.erase(ticket);
  }
}

void HttpFace::startHold(const HttpRequest& request, const HttpReply& reply) {
  std::string problem;
  const std::optional<HoldBody> body = readHoldBody(request.body, true, problem);
  if (!body) return reply.send(error(400, problem));
  if (!projector_.port().isOpen())
    return reply.send(error(503, "the projector's port is not open"));
  const auto lease = body->lease.value_or(kPageLease);
  // The door says on its next turn why it refused; a hold it took is told here at once.
  auto started = std::make_shared<std::optional<CommandDoor::HoldId>>();
  const std::string command = body->command;
  const auto id = projector_.commands().hold(
      command, lease, [this, reply, started, command](const CommandDoor::Result& result) {
        if (*started)
          holdEnded(**started, result);
        else
          reply.send(response(statusOf(result), outcomeJson(command, result)));
      });
  if (!id) return;
  *started = id;
  const std::string token = newToken();
  holds_[*id] = {command, token};
  reply.send(response(200, "{\"hold\": " + std::to_string(*id) + ", \"token\": " +
                               jsonString(token) + ", \"command\": " + jsonString(command) +
                               ", \"lease_ms\": " + std::to_string(lease.count()) + "}"));
}

// Nothing when `token` is the hold's own; else the answer that refuses another client.
std::optional<HttpResponse> HttpFace::notOwner(CommandDoor::HoldId id,
                                               const std::string& token) const {
  const auto held = holds_.find(id);
  const auto ended = ended_.find(id);
  const std::string* own = held != holds_.end()    ? &held->second.token
                           : ended != ended_.end() ? &ended->second.token
                                                   : nullptr;
  if (!own) return error(404, "there is no such hold");
  if (sameSecret(token, *own)) return std::nullopt;
  return error(403, "hold " + std::to_string(id) +
                        " is another client's: only the token its start was answered with "
                        "renews or releases it");
}

void HttpFace::holdEnded(CommandDoor::HoldId id, const CommandDoor::Result& result) {
  const auto held = holds_.find(id);
  if (held == holds_.end()) return;
  ended_[id] = {held->second.command, held->second.token, result};
  holds_.erase(held);
  while (ended_.size() > kEndedKept) ended_.erase(ended_.begin());
}

void HttpFace::renewHold(CommandDoor::HoldId id, const HttpRequest& request,
                         const HttpReply& reply) {
  std::string problem;
  const std::optional<HoldBody> body = readHoldBody(request.body, false, problem);
  if (!body) return reply.send(error(400, problem));
  const auto lease = body->lease.value_or(kPageLease);
  if (lease > CommandDoor::kMaxHold)
    return reply.send(
        error(400, "a hold lasts 1 to " + std::to_string(CommandDoor::kMaxHold.count()) + " ms"));
  if (auto refused = notOwner(id, body->token)) return reply.send(*refused);
  if (holds_.contains(id) && projector_.commands().renew(id, lease))
    return reply.send(response(200, "{\"hold\": " + std::to_string(id) + ", \"command\": " +
                                        jsonString(holds_[id].command) + ", \"held\": true}"));
  const auto ended = ended_.find(id);
  if (ended == ended_.end()) return reply.send(error(404, "there is no such hold"));
  reply.send(response(404, outcomeJson(ended->second.command, ended->second.result)));
}

void HttpFace::releaseHold(CommandDoor::HoldId id, const HttpRequest& request,
                           const HttpReply& reply) {
  std::string problem;
  const std::optional<HoldBody> body = readHoldBody(request.body, false, problem);
  if (!body) return reply.send(error(400, problem));
  if (auto refused = notOwner(id, body->token)) return reply.send(*refused);
  if (holds_.contains(id)) projector_.commands().release(id);
  const auto ended = ended_.find(id);
  if (ended == ended_.end()) return reply.send(error(404, "there is no such hold"));
  reply.send(response(200, outcomeJson(ended->second.command, ended->second.result)));
}

void HttpFace::openStream(const HttpReply& reply) {
  countStreams();
  if (streams_.size() >= static_cast<std::size_t>(kMaxStreams))
    return reply.send(
        error(429, std::to_string(kMaxStreams) + " pages get the live state already"));
  HttpResponse head = response(200, {});
  head.headers.emplace_back("Content-Type", "text/event-stream");
  reply.openStream(head.headers);
  reply.event("event: state\ndata: " + stateJson(projector_.document()) + "\n\n");
  streams_.push_back(reply);
  countStreams();
}

void HttpFace::pushState() {
  const std::string event = "event: state\ndata: " + stateJson(projector_.document()) + "\n\n";
  for (const HttpReply& stream : streams_) stream.event(event);
}

void HttpFace::countStreams() {
  std::erase_if(streams_, [](const HttpReply& stream) { return !stream.open(); });
  projector_.setClients("http", static_cast<int>(streams_.size()));
}

}  // namespace pv7100::daemon
