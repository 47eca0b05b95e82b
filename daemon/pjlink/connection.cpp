#include "daemon/pjlink/connection.h"

#include <QPointer>
#include <QRandomGenerator>

#include "daemon/pjlink/digest.h"
#include "daemon/pjlink/server.h"

namespace pv7100::daemon {
namespace {

constexpr char kCarriageReturn = '\r';

std::string peerOf(const QTcpSocket& socket) {
  const QHostAddress address = socket.peerAddress();
  std::string peer = address.toString().toStdString();
  if (address.protocol() == QAbstractSocket::IPv6Protocol) {
    peer.insert(peer.begin(), '[');
    peer += ']';
  }
  peer += ':';
  peer += std::to_string(socket.peerPort());
  return peer;
}

}  // namespace

Connection::Connection(QTcpSocket* socket, PjlinkServer& server)
    : QObject(&server),
      socket_(socket),
      server_(server),
      peer_(peerOf(*socket)),
      authenticated_(server.settings_.password.empty()),
      cutter_(kMaxRequestLength - 1 + kDigestLength) {
  socket_->setParent(this);
  // Each reply leaves in a packet of its own: some clients read one packet as one reply.
  socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  server_.projector_.setClients("pjlink", ++server_.clients_);
  idleTimer_.setSingleShot(true);
  idleTimer_.setInterval(PjlinkServer::kIdleClose);
  answerTimer_.setSingleShot(true);
  answerTimer_.setInterval(PjlinkServer::kAnswerBy);
  connect(&idleTimer_, &QTimer::timeout, this, [this] { idleCheck(); });
  connect(&answerTimer_, &QTimer::timeout, this, [this] { overdue(); });
  connect(socket_, &QTcpSocket::readyRead, this, [this] { readable(); });
  connect(socket_, &QTcpSocket::disconnected, this, [this] { deleteLater(); });
  greet();
  lastHeard_ = std::chrono::steady_clock::now();
  idleTimer_.start();
}

Connection::~Connection() {
  if (ticket_) server_.door_.cancel(*ticket_);
  server_.projector_.setClients("pjlink", --server_.clients_);
}

void Connection::greet() {
  std::string greeting = "PJLINK 0";
  if (!authenticated_) {
    char seed[9];
    std::snprintf(seed, sizeof seed, "%08x", QRandomGenerator::system()->generate());
    seed_ = seed;
    greeting = "PJLINK 1 " + seed_;
  }
  server_.log_.pjlink(peer_, false, greeting);
  socket_->write((greeting + kCarriageReturn).c_str());
  socket_->flush();
}

// The timer is not restarted at every request, which would cost more than the request itself:
// when it fires, it runs on for the time left since the last one.
void Connection::idleCheck() {
  const auto idle = std::chrono::steady_clock::now() - lastHeard_;
  if (idle >= PjlinkServer::kIdleClose) {
    close("idle for 30 s");
    return;
  }
  idleTimer_.start(std::chrono::ceil<std::chrono::milliseconds>(PjlinkServer::kIdleClose - idle));
}

void Connection::readable() {
  if (closing_) return;
  lastHeard_ = std::chrono::steady_clock::now();
  const QByteArray bytes = socket_->readAll();
  cutter_.add(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (cutter_.lines() > kMaxWaitingLines) {
    close("too many requests waiting");
    return;
  }
  pump();
}

void Connection::pump() {
  if (pumping_) return;
  pumping_ = true;
  while (!request_ && !closing_) {
    std::optional<LineCutter::Line> line = cutter_.next();
    if (!line) break;
    take(std::move(*line));
  }
  pumping_ = false;
}

// The first line after a greeting with a seed starts with MD5(seed and password) in hex.
bool Connection::authenticate(std::string& line) {
  const std::string expected = pjlinkDigest(seed_, server_.settings_.password);
  if (line.size() < kDigestLength ||
      QByteArray::fromStdString(line.substr(0, kDigestLength)).toLower().toStdString() !=
          expected) {
    server_.log_.pjlink(peer_, true, line);
    server_.log_.pjlink(peer_, false, "PJLINK ERRA");
    socket_->write("PJLINK ERRA\r");
    socket_->flush();
    close("wrong password");
    return false;
  }
  line.erase(0, kDigestLength);
  authenticated_ = true;
  return true;
}

void Connection::take(LineCutter::Line line) {
  if (!authenticated_ && !authenticate(line.text)) return;
  server_.log_.pjlink(peer_, true, line.text);
  ParsedRequest parsed = parseRequest(line.text);
  if (parsed.fault == RequestFault::noHeader) {
    close("not a PJLink request");
    return;
  }
  request_ = std::move(parsed.request);
  ++requestNumber_;
  started_ = std::chrono::steady_clock::now();
  if (line.tooLong || parsed.fault == RequestFault::badParameter) {
    answer(kBadParameter);
    return;
  }
  consider(true);
}

void Connection::consider(bool mayWait) {
  StatePoller& poller = server_.poller_;
  const Knowledge knowledge{.state = poller.state(),
                            .answering = server_.port_.answering(),
                            .fresh = poller.freshness(),
                            .mayWait = mayWait,
                            .holding = server_.port_.holding()};
  plan_ = decide(*request_, knowledge, server_.settings_.identity);
  switch (plan_.kind) {
    case Decision::Kind::answer:
      answer(plan_.result);
      return;
    case Decision::Kind::wait:
      if (!answerTimer_.isActive()) answerTimer_.start();
      poller.whenRead(plan_.read, [self = QPointer(this), number = requestNumber_] {
        if (self && self->request_ && self->requestNumber_ == number) self->consider(false);
      });
      return;
    case Decision::Kind::act:
      if (!answerTimer_.isActive()) answerTimer_.start();
      sendNext();
      return;
  }
}

// A step starts only when it can end within the answer's time, as long as the projector took
// for its last reply: a change is not made, or left half made, after its answer was given.
void Connection::sendNext() {
  if (plan_.commands.empty()) {
    answer(kDone);
    return;
  }
  const auto left = PjlinkServer::kAnswerBy - (std::chrono::steady_clock::now() - started_);
  if (left < server_.port_.lastReplyTime()) {
    answer(kNotNow);
    return;
  }
  const std::string_view command = plan_.commands.front();
  plan_.commands.erase(plan_.commands.begin());
  ticket_ = server_.door_.run(
      command, [self = QPointer(this), number = requestNumber_](const CommandDoor::Result& result) {
        if (self) self->sent(number, result);
      });
}

void Connection::sent(std::uint64_t request, const CommandDoor::Result& result) {
  if (!request_ || request != requestNumber_) return;
  ticket_.reset();
  if (result.outcome == CommandDoor::Outcome::ack) {
    sendNext();
    return;
  }
  answer(result.outcome == CommandDoor::Outcome::nak ? kNotNow : kFailure);
}

// Still queued behind others, or sent late for that: the projector is busy. A projector that
// does not answer has failed its line's own time-out before this.
void Connection::overdue() {
  if (!request_) return;
  if (plan_.kind == Decision::Kind::wait) {
    consider(false);
    return;
  }
  if (ticket_) server_.door_.cancel(*ticket_);
  ticket_.reset();
  answer(kNotNow);
}

void Connection::answer(std::string_view result) {
  const std::string reply = request_->header() + "=" + std::string(result);
  server_.log_.pjlink(peer_, false, reply);
  socket_->write((reply + kCarriageReturn).c_str());
  socket_->flush();
  request_.reset();
  if (answerTimer_.isActive()) answerTimer_.stop();
  pump();
}

void Connection::close(std::string_view why) {
  if (closing_) return;
  closing_ = true;
  server_.log_.event("closed the connection of " + peer_ + ": " + std::string(why));
  idleTimer_.stop();
  answerTimer_.stop();
  socket_->disconnectFromHost();
}

}  // namespace pv7100::daemon
