// The socket ports, opened by name through AnyPort, against a far end in the test: a TCP
// server on 127.0.0.1 and a local socket in a temporary directory.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QLocalServer>
#include <QLocalSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "serial/any_port.h"
#include "serial/port_names.h"

namespace pv7100 {
namespace {

// The converter or the daemon: listens, takes one connection, and is the far end of the line.
class FarEnd {
 public:
  explicit FarEnd(PortKind kind) : kind_(kind) {
    if (kind_ == PortKind::tcp) {
      EXPECT_TRUE(tcp_.listen(QHostAddress::LocalHost));
      name_ = "tcp:127.0.0.1:" + std::to_string(tcp_.serverPort());
    } else {
      const std::string path = directory_.filePath("line.sock").toStdString();
      EXPECT_TRUE(local_.listen(QString::fromStdString(path)));
      name_ = "unix:" + path;
    }
  }

  const std::string& name() const { return name_; }
  // Nothing listens at the name any more.
  void stopListening() { kind_ == PortKind::tcp ? tcp_.close() : local_.close(); }

  bool accept() {
    if (kind_ == PortKind::tcp) {
      if (!tcp_.waitForNewConnection(2000)) return false;
      peer_.reset(tcp_.nextPendingConnection());
    } else {
      if (!local_.waitForNewConnection(2000)) return false;
      peer_.reset(local_.nextPendingConnection());
    }
    return peer_ != nullptr;
  }

  void send(std::string_view bytes) {
    peer_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (auto* socket = qobject_cast<QAbstractSocket*>(peer_.get())) socket->flush();
    if (auto* socket = qobject_cast<QLocalSocket*>(peer_.get())) socket->flush();
  }

  std::string read(std::size_t count) {
    QByteArray got;
    while (static_cast<std::size_t>(got.size()) < count && peer_->waitForReadyRead(2000))
      got += peer_->readAll();
    return got.toStdString();
  }

  void hangUp() { peer_.reset(); }

 private:
  PortKind kind_;
  QTemporaryDir directory_;
  QTcpServer tcp_;
  QLocalServer local_;
  std::unique_ptr<QIODevice> peer_;
  std::string name_;
};

class SocketPortTest : public testing::TestWithParam<PortKind> {};

TEST_P(SocketPortTest, CarriesExactBytesBothWaysAndKeepsItsSpeed) {
  FarEnd far(GetParam());
  AnyPort port;
  std::string heard;
  port.onReceived([&](std::string_view bytes) { heard.append(bytes); });
  port.open(far.name(), LineSettings{});
  ASSERT_TRUE(far.accept());
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(port.device(), far.name());
  const std::string line("CF IMAGE REAL\r\x06\0\xff", 17);
  port.write(line);
  EXPECT_EQ(far.read(line.size()), line);
  EXPECT_EQ(port.bytesToWrite(), 0u);
  far.send("80\r");
  ASSERT_TRUE(QTest::qWaitFor([&] { return heard.size() == 3; }, 2000));
  far.send("\x06");
  ASSERT_TRUE(port.waitForReceived(2000));
  EXPECT_EQ(heard, "80\r\x06");

  port.setSettings(LineSettings{});
  try {
    port.setSettings(LineSettings{.baud = 9600});
    ADD_FAILURE() << "took a speed the far end sets";
  } catch (const PortError& error) {
    EXPECT_EQ(error.fault(), PortFault::settingsRefused);
    EXPECT_EQ(error.device(), far.name());
  }
  EXPECT_EQ(port.settings().baud, 19200);
  EXPECT_TRUE(port.isOpen());
}

TEST_P(SocketPortTest, AClosedConnectionIsLostOnceInAnEventLoopAndWithoutOne) {
  for (const bool eventLoop : {true, false}) {
    FarEnd far(GetParam());
    AnyPort port;
    std::string heard;
    std::vector<PortError> lost;
    port.onReceived([&](std::string_view bytes) { heard.append(bytes); });
    port.onLost([&](const PortError& error) { lost.push_back(error); });
    port.open(far.name(), LineSettings{});
    ASSERT_TRUE(far.accept());
    far.send("last\r");
    far.hangUp();
    if (eventLoop) {
      ASSERT_TRUE(QTest::qWaitFor([&] { return !lost.empty(); }, 3000));
      QTest::qWait(100);
    } else {
      for (int i = 0; i < 5 && lost.empty(); ++i) port.waitForReceived(200);
    }
    EXPECT_EQ(heard, "last\r");
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].fault(), PortFault::gone);
    EXPECT_EQ(lost[0].device(), far.name());
    EXPECT_EQ(lost[0].reason(), GetParam() == PortKind::tcp ? "the converter closed the connection"
                                                            : "pv7100d closed the connection");
    EXPECT_FALSE(port.isOpen());
    EXPECT_THROW(port.write("CR0\r"), PortError);
  }
}

PortFault faultOpening(const std::string& name) {
  AnyPort port;
  try {
    port.open(name, LineSettings{});
  } catch (const PortError& error) {
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(error.device(), name);
    return error.fault();
  }
  return PortFault::other;
}

TEST_P(SocketPortTest, NothingListeningIsNoDevice) {
  FarEnd far(GetParam());
  far.stopListening();
  EXPECT_EQ(faultOpening(far.name()), PortFault::noDevice);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SocketPortTest, testing::Values(PortKind::tcp, PortKind::local),
                         [](const auto& info) {
                           return info.param == PortKind::tcp ? "Tcp" : "Local";
                         });

TEST(SocketPortNames, AreReadOrRefusedWithAReason) {
  EXPECT_EQ(portKindOf("tcp:rack-7:4001"), PortKind::tcp);
  EXPECT_EQ(portKindOf("unix:/run/pv7100/hall.sock"), PortKind::local);
  EXPECT_EQ(portKindOf("/dev/ttyUSB0"), PortKind::device);
  EXPECT_EQ(tcpAddressOf("tcp:[::1]:4001")->host, "::1");
  EXPECT_EQ(tcpAddressOf("tcp:10.0.0.7:4001")->port, 4001);
  for (const char* bad : {"tcp:rack-7", "tcp::4001", "tcp:rack-7:0", "tcp:rack-7:65536",
                          "tcp:rack-7:40x1", "tcp:::1:4001", "unix:"})
    EXPECT_EQ(faultOpening(bad), PortFault::other) << bad;
  QTemporaryDir directory;
  const std::string file = directory.filePath("plain").toStdString();
  std::ofstream(file) << "x";
  EXPECT_EQ(faultOpening("unix:" + file), PortFault::notSerial);
}

}  // namespace
}  // namespace pv7100
