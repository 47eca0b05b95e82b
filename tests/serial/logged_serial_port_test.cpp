// The traffic log's lines, and the logging port around another port.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "protocol/traffic_log.h"
#include "serial/logged_serial_port.h"

namespace pv7100 {
namespace {

TEST(TrafficLog, StampsLocalTimeWithItsOffset) {
  using namespace std::chrono;
  const system_clock::time_point when{seconds(1796631123) + milliseconds(141)};
  const char* saved = std::getenv("TZ");
  const std::string before = saved ? saved : "";
  for (const auto& [zone, stamp] : std::vector<std::pair<const char*, const char*>>{
           {"XYZ-1", "2026-12-07T09:12:03.141+01:00"},
           {"XYZ+5:30", "2026-12-07T02:42:03.141-05:30"},
           {"UTC0", "2026-12-07T08:12:03.141+00:00"},
       }) {
    ::setenv("TZ", zone, 1);
    ::tzset();
    EXPECT_EQ(logTimestamp(when), stamp) << zone;
  }
  saved ? ::setenv("TZ", before.c_str(), 1) : ::unsetenv("TZ");
  ::tzset();
  EXPECT_EQ(trafficLogLine("T", Direction::sent, "CR0\r"), "T TX C R 0 CR ");
  EXPECT_EQ(trafficLogLine("T", Direction::received, "\x15\r\xff"), "T RX ? CR ? ");
}

// A port that takes every write and hands on what the test feeds it.
class FakePort : public SerialPort {
 public:
  void open(const std::string& device, const LineSettings&) override { device_ = device; }
  void close() override {}
  bool isOpen() const override { return true; }
  const std::string& device() const override { return device_; }
  const LineSettings& settings() const override { return settings_; }
  void setSettings(const LineSettings& settings) override { settings_ = settings; }
  void write(std::string_view bytes) override { written += bytes; }
  std::size_t bytesToWrite() const override { return 0; }
  void onReceived(std::function<void(std::string_view)> handler) override {
    received = std::move(handler);
  }
  void onLost(std::function<void(const PortError&)> handler) override { lost = std::move(handler); }

  std::string written;
  std::function<void(std::string_view)> received;
  std::function<void(const PortError&)> lost;

 private:
  std::string device_;
  LineSettings settings_;
};

// The log's lines without their time stamps.
std::vector<std::string> logged(const std::string& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);)
    lines.push_back(line.substr(line.find(' ') + 1));
  return lines;
}

TEST(LoggedSerialPort, LogsLinesAndRepliesAndPassesThemOn) {
  char directory[] = "/tmp/pv7100-log-XXXXXX";
  ASSERT_NE(mkdtemp(directory), nullptr);
  const std::string path = std::string(directory) + "/traffic.log";
  FakePort inner;
  std::string heard;
  {
    LoggedSerialPort port(inner, path);
    port.onReceived([&](std::string_view bytes) { heard += bytes; });
    port.write("CR0\r");
    inner.received("8");
    EXPECT_EQ(logged(path).size(), 1u) << "a reply is logged once complete";
    inner.received(
        "0\r\x06"
        "ab");
    port.write("C00\r");
    inner.received(std::string(300, 'x'));
    inner.received("tail");
  }
  EXPECT_EQ(inner.written, "CR0\rC00\r");
  EXPECT_EQ(heard,
            "80\r\x06"
            "ab" +
                std::string(300, 'x') + "tail");
  const std::vector<std::string> lines = logged(path);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "TX C R 0 CR ");
  EXPECT_EQ(lines[1], "RX 8 0 CR ");
  EXPECT_EQ(lines[2], "RX ACK ");
  EXPECT_EQ(lines[3], "RX a b ");
  EXPECT_EQ(lines[4], "TX C 0 0 CR ");
  EXPECT_EQ(lines[5].size(), std::string("RX ").size() + 2 * LoggedSerialPort::kMaxPending);
  std::string rest = "RX";
  for (int i = 0; i < 300 - static_cast<int>(LoggedSerialPort::kMaxPending); ++i) rest += " x";
  EXPECT_EQ(lines[6], rest + " t a i l ");
  EXPECT_THROW(LoggedSerialPort(inner, std::string(directory) + "/no/such/dir.log"), LogFileError);
  ::unlink(path.c_str());
  ::rmdir(directory);
}

}  // namespace
}  // namespace pv7100
