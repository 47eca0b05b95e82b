// The socket ports, opened by name through AnyPort, against a far end in the test: a TCP
// server on loopback, named by address or by name, and a local socket in a temporary directory.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <QLocalServer>
#include <QLocalSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "serial/any_port.h"
#include "serial/port_names.h"
#include "serial/turned_away.h"

namespace pv7100 {
namespace {

// The converter, its host as the port's name gives it, or the daemon (no host): listens, and
// takes one connection as the far end of the line.
struct FarEnd {
  explicit FarEnd(const std::string& host) : tcp(!host.empty()) {
    EXPECT_TRUE(tcp ? tcpServer.listen(host == "[::1]" ? QHostAddress::LocalHostIPv6
                                                       : QHostAddress::LocalHost)
                    : localServer.listen(directory.filePath("line.sock")));
    name = tcp ? "tcp:" + host + ":" + std::to_string(tcpServer.serverPort())
               : "unix:" + localServer.fullServerName().toStdString();
  }
  bool accept() {
    if (tcp ? tcpServer.waitForNewConnection(2000) : localServer.waitForNewConnection(2000))
      peer.reset(tcp ? static_cast<QIODevice*>(tcpServer.nextPendingConnection())
                     : localServer.nextPendingConnection());
    return peer != nullptr;
  }
  void send(const char* bytes) {
    peer->write(bytes);
    peer->waitForBytesWritten(2000);
  }

  bool tcp;
  QTemporaryDir directory;
  QTcpServer tcpServer;
  QLocalServer localServer;
  std::unique_ptr<QIODevice> peer;
  std::string name;
};

class SocketPortTest : public testing::TestWithParam<std::string> {};

// Once in an event loop, once waiting without one, as pv7100ctl does.
TEST_P(SocketPortTest, CarriesExactBytesKeepsItsSpeedAndIsLostOnce) {
  for (const bool eventLoop : {true, false}) {
    FarEnd far(GetParam());
    AnyPort port;
    std::string heard;
    std::vector<PortError> lost;
    port.onReceived([&](std::string_view bytes) { heard.append(bytes); });
    port.onLost([&](const PortError& error) { lost.push_back(error); });
    const auto until = [&](const std::function<bool()>& done) {
      if (eventLoop) return QTest::qWaitFor(done, 2000);
      for (int i = 0; i < 10 && !done(); ++i) port.waitForReceived(200);
      return done();
    };
    port.open(far.name, LineSettings{});
    ASSERT_TRUE(far.accept());
    const std::string line("CF IMAGE REAL\r\x06\0\xff", 17);
    port.write(line);
    QByteArray got;
    while (got.size() < 17 && far.peer->waitForReadyRead(2000)) got += far.peer->readAll();
    EXPECT_EQ(got.toStdString(), line);
    EXPECT_EQ(port.bytesToWrite(), 0u);
    far.send("80\r");
    EXPECT_TRUE(until([&] { return heard.size() == 3; }));
    port.setSettings(LineSettings{});
    EXPECT_THROW(port.setSettings(LineSettings{.baud = 9600}), PortError);
    EXPECT_EQ(port.settings().baud, 19200);
    far.send("\x06");
    far.peer.reset();
    EXPECT_TRUE(until([&] { return !lost.empty(); }));
    QTest::qWait(50);
    EXPECT_EQ(heard, "80\r\x06");
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].fault(), PortFault::gone);
    EXPECT_EQ(lost[0].reason(),
              far.tcp ? "the converter closed the connection" : "pv7100d closed the connection");
    EXPECT_THROW(port.write("CR0\r"), PortError);
    far.tcp ? far.tcpServer.close() : far.localServer.close();
    try {
      port.open(far.name, LineSettings{});
      ADD_FAILURE() << "opened with nothing listening";
    } catch (const PortError& error) {
      EXPECT_EQ(error.fault(), PortFault::noDevice);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, SocketPortTest,
                         testing::Values("127.0.0.1", "localhost", "[::1]", ""));

// The daemon's notice as the connection's first bytes, then its end: busy, and nothing handed
// on. Bytes that only begin like it are the line's.
TEST(SocketPortRefusal, IsABusyPortAndOnlyTheWholeNotice) {
  for (const std::string_view said : {kTurnedAwayNotice, std::string_view("pv7100d serves?\r")}) {
    FarEnd far("");
    AnyPort port;
    std::string heard;
    std::vector<PortError> lost;
    port.onReceived([&](std::string_view bytes) { heard.append(bytes); });
    port.onLost([&](const PortError& error) { lost.push_back(error); });
    port.open(far.name, LineSettings{});
    ASSERT_TRUE(far.accept());
    far.send(std::string(said.substr(0, 8)).c_str());
    far.send(std::string(said.substr(8)).c_str());
    far.peer.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !lost.empty(); }, 2000));
    if (said != kTurnedAwayNotice) {
      EXPECT_EQ(heard, said);
      continue;
    }
    EXPECT_EQ(heard, "");
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].fault(), PortFault::busy);
    EXPECT_EQ(lost[0].reason(), "pv7100d serves as many clients as it takes");
  }
}

TEST(SocketPortNames, AreReadOrRefused) {
  EXPECT_EQ(tcpAddressOf("tcp:[::1]:4001")->host, "::1");
  for (const char* bad : {"tcp:rack-7", "tcp::4001", "tcp:rack-7:0", "tcp:rack-7:65536",
                          "tcp:::1:4001", "tcp:rack-7:40x1"})
    EXPECT_FALSE(tcpAddressOf(bad)) << bad;
}

}  // namespace
}  // namespace pv7100
