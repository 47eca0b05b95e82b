#include "serial/socket_port.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pv7100 {
namespace {

// Reads of one turn: a far end that never pauses cannot hold the event loop.
constexpr int kReadsPerTurn = 4;

}  // namespace

SocketPort::SocketPort(std::string farEnd, std::string speedKeeper, unsigned long unsentRequest,
                       std::string_view refusal)
    : farEnd_(std::move(farEnd)),
      speedKeeper_(std::move(speedKeeper)),
      unsentRequest_(unsentRequest),
      refusal_(refusal) {
  connect(&readable_, &QSocketNotifier::activated, this, [this] { received(); });
  connect(&writable_, &QSocketNotifier::activated, this, [this] { flush(); });
}

SocketPort::~SocketPort() {
  close();
}

void SocketPort::open(const std::string& device, const LineSettings& settings) {
  close();
  loss_.reset();
  device_ = device;
  descriptor_ = connectTo(device);
  settings_ = settings;
  heard_ = refusal_.empty();
  readable_.setSocket(descriptor_);
  writable_.setSocket(descriptor_);
  readable_.setEnabled(true);
}

// Closing the socket ends the connection, which is no loss.
void SocketPort::close() {
  if (descriptor_ < 0) return;
  readable_.setEnabled(false);
  writable_.setEnabled(false);
  ::close(std::exchange(descriptor_, -1));
  unsent_.clear();
  held_.clear();
}

void SocketPort::setSettings(const LineSettings& settings) {
  if (isOpen() && settings != settings_)
    throw PortError(PortFault::settingsRefused, device_,
                    "the line's speed is set by " + speedKeeper_ + ", not through this connection");
  settings_ = settings;
}

void SocketPort::write(std::string_view bytes) {
  if (!isOpen()) throw PortError(PortFault::notOpen, device_, "the port is not open");
  unsent_.append(bytes);
  flush();
  if (loss_) throw *loss_;
}

std::size_t SocketPort::bytesToWrite() const {
  if (!isOpen()) return 0;
  int inSystem = 0;
  if (::ioctl(descriptor_, unsentRequest_, &inSystem) != 0 || inSystem < 0) inSystem = 0;
  return unsent_.size() + static_cast<std::size_t>(inSystem);
}

bool SocketPort::waitForReceived(int ms) {
  bool got = false;
  if (isOpen()) {
    pollfd watched{descriptor_, static_cast<short>(POLLIN | (unsent_.empty() ? 0 : POLLOUT)), 0};
    if (::poll(&watched, 1, ms) > 0) {
      if (watched.revents & POLLOUT) flush();
      if (watched.revents & ~POLLOUT) got = received();
    }
  }
  deliverLoss();
  return got;
}

// True when bytes came. An end found after them waits for the next turn, so that a reader has
// what came before it first.
bool SocketPort::received() {
  std::array<char, 16384> buffer;
  bool came = false;
  for (int reads = 0; reads < kReadsPerTurn && isOpen();) {
    const ssize_t got = ::recv(descriptor_, buffer.data(), buffer.size(), 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (got <= 0) {
      if (!came) ended(got == 0 ? 0 : errno);
      break;
    }
    came = true;
    ++reads;
    take(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    if (static_cast<std::size_t>(got) < buffer.size()) break;
  }
  return came;
}

// The connection's first bytes wait while they may still be the refusal, which comes whole
// as the far end's first and last words.
void SocketPort::take(std::string_view bytes) {
  if (heard_) return deliver(bytes);
  held_.append(bytes);
  if (!refusal_.starts_with(held_)) {
    heard_ = true;
    return deliver(std::exchange(held_, {}));
  }
  if (held_.size() < refusal_.size()) return;
  std::string_view said = refusal_;
  while (!said.empty() && (said.back() == '\r' || said.back() == '\n')) said.remove_suffix(1);
  lose(PortError(PortFault::busy, device_, std::string(said)));
}

void SocketPort::deliver(std::string_view bytes) {
  if (!bytes.empty() && onReceived_) onReceived_(bytes);
}

void SocketPort::flush() {
  while (isOpen() && !unsent_.empty()) {
    const ssize_t sent = ::send(descriptor_, unsent_.data(), unsent_.size(), MSG_NOSIGNAL);
    if (sent > 0) {
      unsent_.erase(0, static_cast<std::size_t>(sent));
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      break;
    } else if (errno != EINTR) {
      // What the far end said before it left is still read: it may say why.
      const int error = errno;
      received();
      if (isOpen()) ended(error);
    }
  }
  writable_.setEnabled(isOpen() && !unsent_.empty());
}

// What came just before the end is still the line's and has gone out first.
void SocketPort::ended(int error) {
  deliver(std::exchange(held_, {}));
  const bool closed = error == 0 || error == ECONNRESET || error == EPIPE;
  lose(PortError(PortFault::gone, device_,
                 closed ? farEnd_ + " closed the connection" : std::strerror(error)));
}

// The handler runs afterwards, outside the socket's own notification.
void SocketPort::lose(PortError error) {
  close();
  loss_.emplace(std::move(error));
  QMetaObject::invokeMethod(
      this, [this] { deliverLoss(); }, Qt::QueuedConnection);
}

void SocketPort::deliverLoss() {
  if (!loss_) return;
  const PortError error = *std::exchange(loss_, std::nullopt);
  if (onLost_) onLost_(error);
}

}  // namespace pv7100
