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

// ser2net serving `device` raw at 19200,8N1 on a free port of 127.0.0.1, as docs/ports.md says.
class Converter {
 public:
  explicit Converter(const std::string& device) {
    if (QTcpServer free; free.listen(QHostAddress::LocalHost)) port = free.serverPort();
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

  quint16 port = 0;
  std::string name;
  std::optional<ChildProcess> process;
};

TEST(CtlConverter, EveryKindOfCommandGoesThroughAndALostLineIsSaidSo) {
  if (::access(kSer2net, X_OK) != 0) GTEST_SKIP() << kSer2net << " is missing: apt install ser2net";
  Projector projector({"--count-down", "0"});
  Converter converter(projector.device());
  EXPECT_EQ(runCtl({"--port", converter.name, "status", "state"}).out, "state: Stand by\n");
  EXPECT_EQ(runCtl({"--port", converter.name, "power-on"}).exitCode, 0);
  EXPECT_EQ(runCtl({"--port", converter.name, "vol-plus", "--for", "600"}).exitCode, 0);
  EXPECT_TRUE(projector.waitForTaken("C09", 3));
  EXPECT_EQ(projector.taken("C09"), 3);
  const CtlRun probe = runCtl({"probe", converter.name});
  EXPECT_EQ(probe.out, converter.name + "\t-\tPower ON\n") << probe.err;
  QTcpSocket first;
  first.connectToHost(QHostAddress::LocalHost, converter.port);
  ASSERT_TRUE(first.waitForConnected(2000));
  const CtlRun second = runCtl({"--port", converter.name, "status", "state"});
  EXPECT_EQ(second.exitCode, 3);
  EXPECT_NE(second.err.find("(the converter says \"Port already in use\")"), std::string::npos)
      << second.err;
  first.abort();
  ChildProcess waiting = startCtl({"--port", converter.name, "wait", "standby", "--within", "30"});
  ASSERT_TRUE(projector.waitForTaken("CR0", 3));
  projector.stop();
  EXPECT_EQ(exitCodeOf(waiting.waitForExit(10s)), 5);
}

}  // namespace
}  // namespace pv7100::ctl::testing
