// pv7100d as a process for the tests: started against a projector on a pseudo-terminal
// (pv7100-sim, or one the test plays), its clients plain sockets; every wait bounded.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "tests/support/child_process.h"
#include "tests/support/pty.h"

namespace pv7100::daemon {

using namespace std::chrono_literals;
using testing::ChildProcess;

inline std::string temporaryDirectory() {
  std::string pattern = "/tmp/pv7100d-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

inline std::string readFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

inline sockaddr_in loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

inline sockaddr_un localAddress(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  return address;
}

// A TCP port on loopback that nobody listens on now.
inline int freePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = loopback(0);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// A PJLink client on a plain socket, or a client of the daemon's local socket; every read
// bounded.
class Client {
 public:
  explicit Client(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address = loopback(port);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  explicit Client(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un address = localAddress(path);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~Client() { ::close(fd_); }

  bool connected() const { return connected_; }
  // Makes the end a reset rather than a close.
  void resetAtEnd() {
    const linger abrupt{.l_onoff = 1, .l_linger = 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
  }
  // A daemon that has gone fails the test rather than ending it with SIGPIPE.
  void send(std::string_view bytes) {
    (void)!::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }
  // The next line up to its CR, without it, or up to and with an ACK (a reply on the local
  // socket); "" when none came within `limit`, "(closed)" when
  // the daemon closed the connection.
  std::string line(std::chrono::milliseconds limit = 2000ms) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pending_.find_first_of(kEnds) == std::string::npos) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd watched{fd_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0) return "";
      char buffer[512];
      const ssize_t got = ::read(fd_, buffer, sizeof buffer);
      if (got <= 0) return "(closed)";
      pending_.append(buffer, static_cast<std::size_t>(got));
    }
    // An ACK is a line of its own, kept; a CR is dropped.
    const std::size_t end = pending_.find_first_of(kEnds);
    std::string text = pending_.substr(0, pending_[end] == '\r' ? end : end + 1);
    pending_.erase(0, end + 1);
    return text;
  }
  // All that comes until the daemon closes the connection, within `limit`.
  std::string rest(std::chrono::milliseconds limit = 3000ms) {
    pollfd watched{fd_, POLLIN, 0};
    char buffer[4096];
    for (ssize_t got = 1; got > 0 && ::poll(&watched, 1, static_cast<int>(limit.count())) > 0;) {
      got = ::read(fd_, buffer, sizeof buffer);
      if (got > 0) pending_.append(buffer, static_cast<std::size_t>(got));
    }
    return std::exchange(pending_, {});
  }
  std::string ask(std::string_view request) {
    send(std::string(request) + "\r");
    return line();
  }

 private:
  int fd_;
  bool connected_ = false;
  static constexpr std::string_view kEnds{"\r\x06", 2};
  std::string pending_;
};

// pv7100-sim on a pseudo-terminal reached through a link, so that it can be stopped and
// started again on the same path.
class SimulatedProjector {
 public:
  SimulatedProjector(std::string link, std::vector<std::string> options) : link_(std::move(link)) {
    options.insert(options.begin(), {PV7100_SIM, "--link", link_});
    process_ = std::make_unique<ChildProcess>(options, testing::Spawn{});
    process_->readLine(3s);
  }
  void stop() { process_->stop(); }

 private:
  std::string link_;
  std::unique_ptr<ChildProcess> process_;
};

// A projector the test plays: each line the daemon sends is handed to `answer`, with its number
// from 0, which says what to send back and after how long.
class PlayedProjector {
 public:
  struct Reply {
    std::chrono::milliseconds after{0};
    std::string bytes;
  };
  using Answer = std::function<Reply(const std::string& line, int number)>;

  explicit PlayedProjector(Answer answer) : answer_(std::move(answer)) {
    thread_ = std::thread([this] { play(); });
  }
  ~PlayedProjector() {
    done_ = true;
    thread_.join();
  }
  const std::string& device() const { return pty_.slavePath(); }
  // When the line numbered `number` came, once it has.
  std::optional<std::chrono::steady_clock::time_point> cameAt(int number) {
    for (auto end = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(10ms)) {
      const std::lock_guard lock(mutex_);
      if (std::ssize(times_) > number) return times_[static_cast<std::size_t>(number)];
    }
    return std::nullopt;
  }

 private:
  void play() {
    std::string pending;
    while (!done_) {
      pending += pty_.read(4096, 20ms);
      for (auto end = pending.find('\r'); end != std::string::npos; end = pending.find('\r')) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        int number = 0;
        {
          const std::lock_guard lock(mutex_);
          number = static_cast<int>(times_.size());
          times_.push_back(std::chrono::steady_clock::now());
        }
        const Reply reply = answer_(line, number);
        std::this_thread::sleep_for(reply.after);
        pty_.write(reply.bytes, 10s);
      }
    }
  }

  testing::Pty pty_;
  Answer answer_;
  std::mutex mutex_;
  std::vector<std::chrono::steady_clock::time_point> times_;
  std::atomic<bool> done_ = false;
  std::thread thread_;
};

inline testing::Spawn stderrTo(const std::string& file) {
  testing::Spawn spawn;
  spawn.stderrFile = file;
  return spawn;
}

class Daemon {
 public:
  explicit Daemon(std::vector<std::string> options, std::map<std::string, std::string> env = {},
                  const std::string& host = "127.0.0.1")
      : directory_(temporaryDirectory()), port_(freePort()) {
    options.insert(options.begin(), {PV7100D, "--config", "/dev/null", "--listen",
                                     host + ":" + std::to_string(port_), "--socket", socket()});
    testing::Spawn spawn = stderrTo(directory_ + "/stderr");
    spawn.env = std::move(env);
    process_ = std::make_unique<ChildProcess>(options, spawn);
    for (int i = 0; i < 100 && readFile(directory_ + "/stderr").find("PJLink on") == npos; ++i)
      ::poll(nullptr, 0, 20);
  }
  // Ended as systemd ends it, so that its lock and its note go with it.
  ~Daemon() { process_->stop(); }
  int port() const { return port_; }
  std::string socket() const { return directory_ + "/line.sock"; }
  ChildProcess& process() { return *process_; }
  std::string events() const { return readFile(directory_ + "/stderr"); }
  static constexpr auto npos = std::string::npos;

 private:
  std::string directory_;
  int port_;
  std::unique_ptr<ChildProcess> process_;
};

// The body of the web face's answer to GET `path` on 127.0.0.1:`port`; "" when none came.
inline std::string httpGet(int port, const std::string& path) {
  Client client(port);
  client.send("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
              "\r\nConnection: close\r\n\r\n");
  const std::string answer = client.rest();
  const std::size_t body = answer.find("\r\n\r\n");
  return body == std::string::npos ? "" : answer.substr(body + 4);
}

// Asks until the answer is `wanted`, a few times a second for up to `limit`.
inline std::string askUntil(Client& client, std::string_view request, std::string_view wanted,
                            std::chrono::milliseconds limit = 8s) {
  std::string answer;
  for (auto end = std::chrono::steady_clock::now() + limit;
       std::chrono::steady_clock::now() < end && answer != wanted; ::poll(nullptr, 0, 200))
    answer = client.ask(request);
  return answer;
}

class DaemonTest : public ::testing::Test {
 protected:
  std::string link_ = temporaryDirectory() + "/projector";
};

inline testing::Finished runCtl(const std::vector<std::string>& args) {
  std::vector<std::string> argv{PV7100CTL};
  argv.insert(argv.end(), args.begin(), args.end());
  testing::Spawn spawn;
  spawn.captureStderr = true;
  return ChildProcess(argv, spawn).finish(15s);
}

inline int countOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

}  // namespace pv7100::daemon
