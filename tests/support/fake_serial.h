// A serial port for tests: records what the panel does with it, fails what a test chooses, and
// hands received bytes to the panel as the real port does.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "port/serial_port.h"

namespace pv7100::testing {

class FakeSerial : public SerialPort {
 public:
  void open(const std::string& device, const LineSettings& settings) override;
  void close() override;
  bool isOpen() const override { return open_; }
  const std::string& device() const override { return device_; }
  const LineSettings& settings() const override { return settings_; }
  void setSettings(const LineSettings& settings) override;
  void write(std::string_view bytes) override;
  std::size_t bytesToWrite() const override { return bytesToGo; }
  void onReceived(std::function<void(std::string_view)> handler) override {
    onReceived_ = std::move(handler);
  }
  void onLost(std::function<void(const PortError&)> handler) override {
    onLost_ = std::move(handler);
  }

  // Opening `device` fails with `fault` from now on; with nullopt it succeeds again.
  void failOpening(const std::string& device, std::optional<PortFault> fault);
  void failSettings(bool fail) { failSettings_ = fail; }
  void failWrites(bool fail) { failWrites_ = fail; }
  // The far end sends `bytes`.
  void receive(std::string_view bytes);
  // The device goes away: the port closes and the loss is reported.
  void lose();
  // Closed, failing nothing, the log and the bytes written empty; the handlers stay.
  void reset();

  // Every operation, in order: "open /dev/ttyS0 19200", "close", "speed 9600", "write".
  std::vector<std::string> log;
  std::string written;  // every byte that went out
  std::size_t bytesToGo = 0;

 private:
  bool open_ = false;
  std::string device_;
  LineSettings settings_;
  std::map<std::string, PortFault> openFailures_;
  bool failSettings_ = false;
  bool failWrites_ = false;
  std::function<void(std::string_view)> onReceived_;
  std::function<void(const PortError&)> onLost_;
};

}  // namespace pv7100::testing
