// PJLink Class 2 on UDP, on loopback only: search, link-up, a notification for each change.
#include "tests/daemon/daemon_process.h"

namespace pv7100::daemon {
namespace {

// A controller's UDP socket on 127.0.0.1, where the daemon's datagrams come.
class Controller {
 public:
  Controller() : fd_(::socket(AF_INET, SOCK_DGRAM, 0)), port_(freePort()) {
    sockaddr_in address = loopback(port_);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const int yes = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes);
  }
  ~Controller() { ::close(fd_); }
  int port() const { return port_; }
  void send(std::string_view bytes, int port, in_addr_t to = INADDR_LOOPBACK) {
    sockaddr_in address = loopback(port);
    address.sin_addr.s_addr = htonl(to);
    ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address),
             sizeof address);
  }
  // The next datagram, "" when none came within `limit`.
  std::string next(std::chrono::milliseconds limit = 3000ms) {
    pollfd watched{fd_, POLLIN, 0};
    if (::poll(&watched, 1, static_cast<int>(limit.count())) <= 0) return "";
    char buffer[512];
    const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : "";
  }

 private:
  int fd_;
  int port_;
};

std::vector<std::string> udpOptions(const std::string& link, int port, const Controller& to) {
  const std::string udp = std::to_string(port), back = std::to_string(to.port());
  return {"--port", link, "--pjlink-udp-port", udp, "--pjlink-controller-port", back};
}

const std::string kAcknowledgement = "%2ACKN=00:00:00:00:00:00\r";

TEST_F(DaemonTest, AnswersASearchAndTellsEachChangeOnce) {
  SimulatedProjector projector(link_, {"--count-down", "1000", "--cool-down", "1000"});
  Controller controller;
  const int port = freePort();
  Daemon daemon(udpOptions(link_, port, controller));
  EXPECT_EQ(controller.next(), "%2LKUP=00:00:00:00:00:00\r");
  controller.send("%2SRCH\r", port);
  EXPECT_EQ(controller.next(), kAcknowledgement);
  // Not searches: never answered.
  for (const char* other : {"%2ACKN=00:00:00:00:00:00\r", "%1SRCH\r", "%2SRCH ?\r"})
    controller.send(other, port);
  EXPECT_EQ(controller.next(500ms), "");
  // A controller is told once it has sent a request.
  Client client(daemon.port());
  client.line();
  EXPECT_EQ(client.ask("%2POWR ?"), "%2POWR=0");
  EXPECT_EQ(runCtl({"--port", "unix:" + daemon.socket(), "power-on"}).status, 0);
  EXPECT_EQ(controller.next(8000ms), "%2POWR=1\r");
  EXPECT_EQ(client.ask("%2INPT 23"), "%2INPT=OK");
  EXPECT_EQ(controller.next(), "%2INPT=23\r");
  EXPECT_EQ(client.ask("%1AVMT 21"), "%1AVMT=OK");
  EXPECT_EQ(controller.next(), "%2AVMT=21\r");
  // The same state again is no change.
  EXPECT_EQ(client.ask("%1AVMT 21"), "%1AVMT=OK");
  EXPECT_EQ(controller.next(1500ms), "");
  // A flood of searches: a few answered a second.
  for (int i = 0; i < 40; ++i) controller.send("%2SRCH\r", port);
  int answers = 0;
  while (controller.next(300ms) != "") ++answers;
  EXPECT_TRUE(answers >= 1 && answers <= 8) << answers;
}

TEST_F(DaemonTest, SeveralDaemonsAnswerOneBroadcastSearch) {
  SimulatedProjector first(link_, {});
  const std::string secondLink = temporaryDirectory() + "/projector";
  SimulatedProjector second(secondLink, {});
  Controller controller;
  const int port = freePort();
  Daemon one(udpOptions(link_, port, controller));
  Daemon two(udpOptions(secondLink, port, controller));
  controller.next(), controller.next();  // the link-ups
  // Loopback's own broadcast address: it goes nowhere beyond this machine.
  controller.send("%2SRCH\r", port, INADDR_LOOPBACK | 0x00ffffff);
  EXPECT_EQ(controller.next(), kAcknowledgement);
  EXPECT_EQ(controller.next(), kAcknowledgement);
  // Switched off: no answer, no link-up.
  const std::string thirdLink = temporaryDirectory() + "/projector";
  SimulatedProjector third(thirdLink, {});
  std::vector<std::string> off = udpOptions(thirdLink, freePort(), controller);
  off.insert(off.end(), {"--pjlink-search", "no"});
  Daemon three(off);
  controller.send("%2SRCH\r", std::stoi(off[3]));
  EXPECT_EQ(controller.next(1500ms), "");
}

}  // namespace
}  // namespace pv7100::daemon
