// The socket ports, opened by name through AnyPort, against a far end in the test: a TCP
// server on 127.0.0.1 and a local socket in a temporary directory.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <QLocalServer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "serial/any_port.h"
#include "serial/port_names.h"

namespace pv7100 {
namespace {

// The converter or the daemon: listens, takes one connection, and is the far end of the line.
class FarEnd {
 public:
  explicit FarEnd(PortKind kind) : tcp_(kind == PortKind::tcp) {
    if (tcp_) {
      EXPECT_TRUE(tcpServer_.listen(QHostAddress::LocalHost));
      name_ = "tcp:127.0.0.1:" + std::to_string(tcpServer_.serverPort());
    } else {
      EXPECT_TRUE(localServer_.listen(directory_.filePath("line.sock")));
      name_ = "unix:" + localServer_.fullServerName().toStdString();
    }
  }

  const std::string& name() const { return name_; }
  void stopListening() { tcp_ ? tcpServer_.close() : localServer_.close(); }
  bool accept() {
    if (tcp_ ? !tcpServer_.waitForNewConnection(2000) : !localServer_.waitForNewConnection(2000))
      return false;
    peer_.reset(tcp_ ? static_cast<QIODevice*>(tcpServer_.nextPendingConnection())
                     : localServer_.nextPendingConnection());
    return peer_ != nullptr;
  }
  void send(std::string_view bytes) {
    peer_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    peer_->waitForBytesWritten(2000);
  }
  std::string read(std::size_t count) {
    QByteArray got;
    while (static_cast<std::size_t>(got.size()) < count && peer_->waitForReadyRead(2000))
      got += peer_->readAll();
    return got.toStdString();
  }
  void hangUp() { peer_.reset(); }

 private:
  bool tcp_;
  QTemporaryDir directory_;
  QTcpServer tcpServer_;
  QLocalServer localServer_;
  std::unique_ptr<QIODevice> peer_;
  std::string name_;
};

class SocketPortTest : public testing::TestWithParam<PortKind> {};

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
    port.open(far.name(), LineSettings{});
    ASSERT_TRUE(far.accept());
    const std::string line("CF IMAGE REAL\r\x06\0\xff", 17);
    port.write(line);
    EXPECT_EQ(far.read(line.size()), line);
    EXPECT_EQ(port.bytesToWrite(), 0u);
    far.send("80\r");
    EXPECT_TRUE(until([&] { return heard.size() == 3; }));
    port.setSettings(LineSettings{});
    EXPECT_THROW(port.setSettings(LineSettings{.baud = 9600}), PortError);
    EXPECT_EQ(port.settings().baud, 19200);
    far.send("\x06");
    far.hangUp();
    EXPECT_TRUE(until([&] { return !lost.empty(); }));
    QTest::qWait(50);
    EXPECT_EQ(heard, "80\r\x06");
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].fault(), PortFault::gone);
    EXPECT_EQ(lost[0].reason(), GetParam() == PortKind::tcp ? "the converter closed the connection"
                                                            : "pv7100d closed the connection");
    EXPECT_FALSE(port.isOpen());
    EXPECT_THROW(port.write("CR0\r"), PortError);
    far.stopListening();
    try {
      port.open(far.name(), LineSettings{});
      ADD_FAILURE() << "opened with nothing listening";
    } catch (const PortError& error) {
      EXPECT_EQ(error.fault(), PortFault::noDevice);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, SocketPortTest, testing::Values(PortKind::tcp, PortKind::local),
                         [](const auto& info) {
                           return info.param == PortKind::tcp ? "Tcp" : "Local";
                         });

TEST(SocketPortNames, AreReadOrRefused) {
  EXPECT_EQ(tcpAddressOf("tcp:[::1]:4001")->host, "::1");
  EXPECT_EQ(tcpAddressOf("tcp:rack-7:4001")->port, 4001);
  for (const char* bad : {"tcp:rack-7", "tcp::4001", "tcp:rack-7:0", "tcp:rack-7:65536",
                          "tcp:::1:4001", "tcp:rack-7:40x1"})
    EXPECT_FALSE(tcpAddressOf(bad)) << bad;
}

}  // namespace
}  // namespace pv7100
