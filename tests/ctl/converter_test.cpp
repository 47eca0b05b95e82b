// pv7100ctl through ser2net, the serial device server from Debian, in raw TCP mode on
// 127.0.0.1 in front of the simulated projector.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/ctl/processes.h"

namespace pv7100::ctl::testing {
namespace {

std::string ser2netProgram() {
  for (const char* path : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net"}) {
    if (::access(path, X_OK) == 0) return path;
  }
  return "";
}

sockaddr_in loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A port on 127.0.0.1 that nothing listens on now.
std::uint16_t freePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = loopback(0);
  socklen_t size = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(fd);
  return ntohs(address.sin_port);
}

bool accepts(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = loopback(port);
  const bool connected =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

// ser2net serving `device` raw at 19200,8N1 on 127.0.0.1, as the README configures it.
class Converter {
 public:
  Converter(const std::string& program, const std::string& device)
      : port_(freePort()), config_(temporaryFile("ser2net.yaml")) {
    std::ofstream(config_) << "%YAML 1.1\n---\nconnection: &projector\n  accepter: tcp,127.0.0.1,"
                           << port_ << "\n  connector: serialdev," << device << ",19200n81,local\n";
    pv7100::testing::Spawn quiet;
    quiet.quiet = true;
    process_.emplace(std::vector<std::string>{program, "-n", "-u", "-c", config_}, quiet);
    for (int i = 0; i < 300 && !accepts(port_); ++i) ::poll(nullptr, 0, 10);
  }

  std::string name() const { return "tcp:127.0.0.1:" + std::to_string(port_); }
  void stop() { process_->stop(); }

 private:
  std::uint16_t port_;
  std::string config_;
  std::optional<ChildProcess> process_;
};

class CtlConverter : public ::testing::Test {
 protected:
  void SetUp() override {
    if (ser2netProgram().empty()) GTEST_SKIP() << "ser2net is not installed (apt install ser2net)";
  }
};

TEST_F(CtlConverter, EveryKindOfCommandGoesThroughAndProbeKeepsTheSpeed) {
  Projector projector({"--count-down", "0"});
  Converter converter(ser2netProgram(), projector.device());
  const CtlRun state = runCtl({"--port", converter.name(), "status", "state"});
  EXPECT_EQ(state.exitCode, 0) << state.err;
  EXPECT_EQ(state.out, "state: Stand by\n");

  pv7100::testing::Spawn environment;
  environment.env = {{"PV7100_PORT", converter.name()}};
  environment.captureStderr = true;
  ChildProcess fromEnvironment({PV7100_CTL, "power-on"}, environment);
  const pv7100::testing::Finished powered = fromEnvironment.finish(15s);
  EXPECT_EQ(exitCodeOf(powered.status), 0) << powered.err;
  EXPECT_TRUE(projector.waitForTaken("C00", 1));

  const CtlRun held = runCtl({"--port", converter.name(), "vol-plus", "--for", "600"});
  EXPECT_EQ(held.exitCode, 0) << held.err;
  EXPECT_TRUE(projector.waitForTaken("C09", 3));
  EXPECT_EQ(projector.taken("C09"), 3);

  const CtlRun probe = runCtl({"--port", converter.name(), "probe", converter.name()});
  EXPECT_EQ(probe.exitCode, 0) << probe.err;
  EXPECT_EQ(probe.out, converter.name() + "\t-\tPower ON\n");
}

TEST_F(CtlConverter, ALostLineAndAStoppedConverterAreSaidSo) {
  Projector projector;
  Converter converter(ser2netProgram(), projector.device());
  ChildProcess waiting = startCtl({"--port", converter.name(), "wait", "on", "--within", "30"});
  ASSERT_TRUE(projector.waitForTaken("CR0", 1));
  projector.stop();
  EXPECT_EQ(exitCodeOf(waiting.waitForExit(10s)), 5);

  converter.stop();
  const CtlRun refused = runCtl({"--port", converter.name(), "status", "state"});
  EXPECT_EQ(refused.exitCode, 3);
  EXPECT_NE(refused.err.find("nothing accepts connections at 127.0.0.1:"), std::string::npos)
      << refused.err;
}

}  // namespace
}  // namespace pv7100::ctl::testing
