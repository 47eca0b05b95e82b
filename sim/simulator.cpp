#include "sim/simulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <limits>
#include <string>
#include <system_error>

#include "sim/line_reader.h"
#include "sim/projector_model.h"
#include "sim/reply_scheduler.h"

namespace pv7100::sim {
namespace {

// Bytes as a log line shows them: printable ASCII as itself, CR, LF, ACK and NAK by name,
// anything else in hex.
std::string shown(std::string_view bytes) {
  std::string text;
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    if (code == '\r') {
      text += "<CR>";
    } else if (code == '\n') {
      text += "<LF>";
    } else if (code == 0x06) {
      text += "<ACK>";
    } else if (code == 0x15) {
      text += "<NAK>";
    } else if (code >= 0x20 && code < 0x7f) {
      text.push_back(byte);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", code);
      text += hex;
    }
  }
  return text;
}

class Session {
 public:
  Session(const Options& options, const SerialLine& line, std::ostream& log)
      : options_(options),
        line_(line),
        log_(log),
        origin_(std::chrono::steady_clock::now()),
        model_(options.model),
        scheduler_(options.shaping, 0) {}

  Millis now() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 origin_)
        .count();
  }

  // How long poll may wait: until the next byte falls due, or for ever.
  int timeout() const {
    const std::optional<Millis> next = scheduler_.nextDue();
    if (!next) return -1;
    const Millis wait = std::max<Millis>(0, *next - now());
    return static_cast<int>(std::min<Millis>(wait, std::numeric_limits<int>::max()));
  }

  void receive() {
    std::array<char, 512> buffer;
    for (;;) {
      const ssize_t count = read(line_.fd(), buffer.data(), buffer.size());
      if (count > 0) {
        answer(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
        continue;
      }
      if (count < 0 && errno == EINTR) continue;
      if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        throw std::system_error(errno, std::generic_category(), "cannot read " + line_.path());
      }
      return;
    }
  }

  // Writes what has fallen due. Bytes the line will not take are lost, as on a wire that
  // nobody listens to.
  void transmit() {
    const std::string due = scheduler_.takeDue(now());
    if (due.empty()) return;
    const ssize_t written = write(line_.fd(), due.data(), due.size());
    const std::size_t sent = written > 0 ? static_cast<std::size_t>(written) : 0;
    if (options_.verbose && sent < due.size()) {
      log_ << "lost " << due.size() - sent << " bytes: the line is full\n";
    }
  }

 private:
  void answer(std::string_view bytes) {
    for (const ReceivedLine& received : reader_.feed(bytes)) {
      const Millis at = now();
      const std::string reply =
          received.overflow ? std::string(kNegativeReply) : model_.respond(received.code, at);
      if (options_.verbose) {
        log_ << "<- " << (received.overflow ? "(line too long)" : shown(received.code)) << "\n"
             << "-> " << shown(reply) << "\n";
      }
      scheduler_.submit(reply, at);
    }
  }

  const Options& options_;
  const SerialLine& line_;
  std::ostream& log_;
  std::chrono::steady_clock::time_point origin_;
  ProjectorModel model_;
  LineReader reader_;
  ReplyScheduler scheduler_;
};

// True when standard input has closed.
bool stdinClosed() {
  std::array<char, 256> buffer;
  const ssize_t count = read(STDIN_FILENO, buffer.data(), buffer.size());
  return count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN);
}

}  // namespace

void serve(const Options& options, const SerialLine& line, int stopFd, std::ostream& log) {
  Session session(options, line, log);
  std::array<pollfd, 3> watched = {
      {{line.fd(), POLLIN, 0}, {stopFd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}}};
  const nfds_t count = options.exitWithStdin ? 3 : 2;
  for (;;) {
    if (poll(watched.data(), count, session.timeout()) < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "poll");
    }
    if (watched[1].revents != 0) return;
    if (count == 3 && watched[2].revents != 0 && stdinClosed()) return;
    if ((watched[0].revents & POLLIN) != 0) session.receive();
    if ((watched[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      throw std::system_error(EIO, std::generic_category(), line.path() + " has gone");
    }
    session.transmit();
  }
}

}  // namespace pv7100::sim
