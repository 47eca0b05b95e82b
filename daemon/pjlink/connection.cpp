#include "daemon/pjlink/connection.h"

#include <algorithm>

#include <QPointer>
#include <QRandomGenerator>

#include "daemon/pjlink/server.h"
#include "daemon/pjlink_text/digest.h"

namespace pv7100::daemon {
namespace {

constexpr char kCarriageReturn = '\r';
using Clock = std::chrono::steady_clock;

// An IPv4 client reached through an IPv6 socket is counted under its IPv4 address.
std::string addressOf(const QTcpSocket& socket) {
  QHostAddress address = socket.peerAddress();
  bool v4 = false;
  if (const quint32 ipv4 = address.toIPv4Address(&v4); v4) address = QHostAddress(ipv4);
  return address.toString().toStdString();
}

std::string peerOf(const QTcpSocket& socket, const std::string& address) {
  const bool v6 = address.find(':') != std::string::npos;
  return (v6 ? "[" + address + "]" : address) + ":" + std::to_string(socket.peerPort());
}

// Whether `line` starts with `digest`, in either case.
bool ledBy(std::string_view line, std::string_view digest) {
  return line.size() >= digest.size() &&
         std::equal(digest.begin(), digest.end(), line.begin(), [](char wanted, char c) {
           return wanted == (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
         });
}

std::string seconds(Clock::duration duration) {
  return std::to_string(std::chrono::ceil<std::chrono::seconds>(duration).count()) + " s";
}

}  // namespace

Connection::Connection(QTcpSocket* socket, PjlinkServer& server)
    : QObject(&server),
      socket_(socket),
      server_(server),
      address_(addressOf(*socket)),
      peer_(peerOf(*socket, address_)),
      authenticated_(server.settings_.password.empty()),
      cutter_(kMaxLineLength) {
  socket_->setParent(this);
  // Each reply leaves in a packet of its own: some clients read one packet as one reply.
  socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  socket_->setReadBufferSize(kReadBufferSize);
  server_.projector_.setClients("pjlink", ++server_.clients_);
  for (QTimer* timer : {&idleTimer_, &requestTimer_, &answerTimer_, &tryTimer_})
    timer->setSingleShot(true);
  idleTimer_.setInterval(kIdleClose);
  requestTimer_.setInterval(kRequestDeadline);
  answerTimer_.setInterval(PjlinkServer::kAnswerBy);
  connect(&idleTimer_, &QTimer::timeout, this, [this] { idleCheck(); });
  connect(&requestTimer_, &QTimer::timeout, this, [this] {
    close("a request not complete " + seconds(kRequestDeadline) + " after its first byte");
  });
  connect(&answerTimer_, &QTimer::timeout, this, [this] { overdue(); });
  connect(&tryTimer_, &QTimer::timeout, this, [this] { judge(); });
  connect(socket_, &QTcpSocket::readyRead, this, [this] { pump(); });
  connect(socket_, &QTcpSocket::bytesWritten, this, [this] { pump(); });
  // A reset or a failed write closes the socket: nothing more is read from it or written to it.
  connect(socket_, &QTcpSocket::disconnected, this, [this] {
    end();
    deleteLater();
  });
  greet();
  lastHeard_ = Clock::now();
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
    digest_ = pjlinkDigest(seed_, server_.settings_.password);
    greeting = "PJLINK 1 " + seed_;
  }
  server_.log_.pjlink(peer_, false, greeting);
  socket_->write((greeting + kCarriageReturn).c_str());
  socket_->flush();
}

// The timer is not restarted at every request, which would cost more than the request itself:
// when it fires, it runs on for the time left since the last one.
void Connection::idleCheck() {
  const auto idle = Clock::now() - lastHeard_;
  if (idle >= kIdleClose) {
    close("idle for " + seconds(kIdleClose));
    return;
  }
  idleTimer_.start(std::chrono::ceil<std::chrono::milliseconds>(kIdleClose - idle));
}

// Takes the requests waiting, one at a time, and reads more as they make room.
void Connection::pump() {
  if (pumping_ || closing_) return;
  pumping_ = true;
  const std::uint64_t begun = cutter_.begun();
  while (!closing_) {
    // While a reply waits to be sent, the client is not reading: neither does the daemon.
    if (request_ || trying_ || socket_->bytesToWrite() > 0 || cutter_.lines() == 0) {
      if (read()) continue;
      break;
    }
    take(*cutter_.next());
  }
  // The deadline counts from a request's first byte, while the daemon reads.
  if (closing_ || !cutter_.pending() || cutter_.lines() >= kMaxWaitingLines)
    requestTimer_.stop();
  else if (cutter_.begun() != begun || !requestTimer_.isActive())
    requestTimer_.start();
  pumping_ = false;
}

// Takes from the socket what the request reader has room for: the rest stays in the socket's
// buffer, and beyond it in the kernel's. True when it took any bytes.
bool Connection::read() {
  const qint64 available = socket_->bytesAvailable();
  if (available == 0 || cutter_.lines() >= kMaxWaitingLines) return false;
  const QByteArray bytes = socket_->peek(available);
  const std::size_t taken =
      cutter_.add(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                  kMaxWaitingLines);
  socket_->skip(static_cast<qint64>(taken));
  return taken > 0;
}

void Connection::take(LineCutter::Line line) {
  lastHeard_ = Clock::now();
  if (authenticated_) {
    // As lenient projectors do, a client may lead every line with its digest.
    if (!digest_.empty() && ledBy(line.text, digest_)) line.text.erase(0, kDigestLength);
    handle(std::move(line));
    return;
  }
  trying_ = std::move(line);
  judge();
}

// The first line after a greeting with a seed starts with MD5(seed and password) in hex. It is
// judged once its address may try again; a wrong one is answered and closed then.
void Connection::judge() {
  const auto now = Clock::now();
  if (const auto wait = server_.guesses_.wait(address_, now); wait > Clock::duration::zero()) {
    tryTimer_.start(std::chrono::ceil<std::chrono::milliseconds>(wait));
    return;
  }
  LineCutter::Line line = std::move(*trying_);
  trying_.reset();
  const bool right = ledBy(line.text, digest_);
  const auto next = server_.guesses_.judged(address_, right, now);
  if (right) {
    line.text.erase(0, kDigestLength);
    authenticated_ = true;
    handle(std::move(line));
    return;
  }
  server_.log_.pjlink(peer_, true, line.text);
  server_.log_.pjlink(peer_, false, "PJLINK ERRA");
  socket_->write("PJLINK ERRA\r");
  socket_->flush();
  // Counted per network, as they cost: a guesser with ever-new addresses gets one line.
  const std::string network = networkOf(address_);
  server_.log_.counted(
      "wrong password from " + network, 1, [address = address_, network, next](long n) {
        std::string told = n == 1 ? "a wrong password from " + address + ", the connection closed"
                                  : std::to_string(n) + " wrong passwords from " + network +
                                        ", each connection closed";
        if (next > Clock::duration::zero())
          told += "; the next try from " + network + " waits " + seconds(next);
        return told;
      });
  end();
}

void Connection::handle(LineCutter::Line line) {
  server_.log_.pjlink(peer_, true, line.text);
  ParsedRequest parsed = parseRequest(line.text);
  if (parsed.fault == RequestFault::noHeader) {
    close("not a PJLink request");
    return;
  }
  request_ = std::move(parsed.request);
  emit server_.requestFrom(socket_->peerAddress());
  ++requestNumber_;
  started_ = std::chrono::steady_clock::now();
  if (line.tooLong || parsed.fault == RequestFault::badParameter) {
    answer(kBadParameter);
    return;
  }
  consider(true);
}

void Connection::consider(bool mayWait) {
  const StatePoller& poller = server_.poller_;
  const Knowledge knowledge{.state = poller.state(),
                            .answering = server_.port_.reachable(),
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
      server_.door_.whenRead(plan_.read, [self = QPointer(this), number = requestNumber_] {
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
// for its last reply: a change is not made, or left half made, after its answer was given. The
// steps left undone may be in effect already (`AVMT 30` with the sound not muted): then the
// change is done.
void Connection::sendNext() {
  if (plan_.commands.empty()) {
    answer(kDone);
    return;
  }
  const auto left = PjlinkServer::kAnswerBy - (std::chrono::steady_clock::now() - started_);
  if (left < server_.port_.lastReplyTime()) {
    answer(inEffect(plan_.commands, server_.poller_.state()) ? kDone : kNotNow);
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
  if (!closing_) {
    const std::string reply = request_->header() + "=" + std::string(result);
    server_.log_.pjlink(peer_, false, reply);
    socket_->write((reply + kCarriageReturn).c_str());
    socket_->flush();
  }
  request_.reset();
  if (answerTimer_.isActive()) answerTimer_.stop();
  pump();
}

// Each reason is told at most once every few seconds, however many clients earn it.
void Connection::close(std::string_view why) {
  if (closing_) return;
  server_.log_.counted("closed: " + std::string(why), 1,
                       [peer = peer_, why = std::string(why)](long n) {
                         return n == 1 ? "closed the connection of " + peer + ": " + why
                                       : "closed " + std::to_string(n) +
                                             " connections, the last of " + peer + ": " + why;
                       });
  end();
}

void Connection::end() {
  if (closing_) return;
  closing_ = true;
  for (QTimer* timer : {&idleTimer_, &requestTimer_, &answerTimer_, &tryTimer_}) timer->stop();
  socket_->disconnectFromHost();
}

}  // namespace pv7100::daemon
