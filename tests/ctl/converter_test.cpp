// pv7100ctl through ser2net, the serial device server from Debian, in raw TCP mode on
// 127.0.0.1 in front of the simulated projector.
#include <gtest/gtest.h>

#include <fstream>

#include <unistd.h>

#include <QTcpServer>
#include <QTcpSocket>

#include "tests/ctl/processes.h"

namespace pv7100::ctl::testing {
namespace {

constexpr const char* kSer2net = "/usr/sbin/ser2net";

// ser2net serving `device` raw at 19200,8N1 on a free port of 127.0.0.1, as the README says.
class Converter {
 public:
  explicit Converter(const std::string& device) {
    QTcpServer free;
    free.listen(QHostAddress::LocalHost);
    const quint16 port = free.serverPort();
    free.close();
    name = "tcp:127.0.0.1:" + std::to_string(port);
    const std::string config = temporaryFile("ser2net.yaml");
    std::ofstream(config) << "%YAML 1.1\n---\nconnection: &projector\n  accepter: tcp,127.0.0.1,"
                          << port << "\n  connector: serialdev," << device << ",19200n81,local\n";
    pv7100::testing::Spawn quiet;
    quiet.quiet = true;
    process.emplace(std::vector<std::string>{kSer2net, "-n", "-u", "-c", config}, quiet);
    for (int i = 0; i < 100; ++i) {
      QTcpSocket socket;
      socket.connectToHost(QHostAddress::LocalHost, port);
      if (socket.waitForConnected(50)) break;
      ::usleep(20'000);
    }
  }

  std::string name;
  std::optional<ChildProcess> process;
};

TEST(CtlConverter, EveryKindOfCommandGoesThroughAndALostLineIsSaidSo) {
  if (::access(kSer2net, X_OK) != 0) GTEST_SKIP() << kSer2net << " is missing: apt install ser2net";
  Projector projector({"--count-down", "0"});
  Converter converter(projector.device());
  const CtlRun state = runCtl({"--port", converter.name, "status", "state"});
  EXPECT_EQ(state.exitCode, 0) << state.err;
  EXPECT_EQ(state.out, "state: Stand by\n");
  pv7100::testing::Spawn environment;
  environment.env = {{"PV7100_PORT", converter.name}};
  ChildProcess fromEnvironment({PV7100_CTL, "power-on"}, environment);
  EXPECT_EQ(exitCodeOf(fromEnvironment.waitForExit(15s)), 0);
  EXPECT_EQ(runCtl({"--port", converter.name, "vol-plus", "--for", "600"}).exitCode, 0);
  EXPECT_TRUE(projector.waitForTaken("C09", 3));
  EXPECT_EQ(projector.taken("C09"), 3);
  const CtlRun probe = runCtl({"probe", converter.name});
  EXPECT_EQ(probe.out, converter.name + "\t-\tPower ON\n") << probe.err;
  ChildProcess waiting = startCtl({"--port", converter.name, "wait", "standby", "--within", "30"});
  ASSERT_TRUE(projector.waitForTaken("CR0", 3));
  projector.stop();
  EXPECT_EQ(exitCodeOf(waiting.waitForExit(10s)), 5);
}

}  // namespace
}  // namespace pv7100::ctl::testing
