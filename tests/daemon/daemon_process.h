// pv7100d as a process for the tests: started against a projector on a pseudo-terminal
// (pv7100-sim, or one the test plays), its clients plain sockets; every wait bounded.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "tests/support/child_process.h"

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
