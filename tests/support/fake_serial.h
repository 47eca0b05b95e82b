// A serial control for tests: records every operation, fails the ones a test chooses, and
// delivers received characters through the notification as the real port does.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/serial_control.h"

namespace pv7100::testing {

class FakeSerial : public SerialControl {
 public:
  void CommPort(std::int16_t port) override;
  std::int16_t CommPort() const override { return port_; }
  void Settings(const std::string& settings) override;
  void PortOpen(bool open) override;
  bool PortOpen() const override { return open_; }
  void Output(std::string_view text) override;
  std::string Input() override;
  std::int16_t CommEvent() const override { return event_; }
  std::size_t OutBufferCount() const override { return outBufferCount; }
  void OnComm(std::function<void()> handler) override { onComm_ = std::move(handler); }
  void OnPortLost(std::function<void(const std::string&)> handler) override {
    onLost_ = std::move(handler);
  }

  // Steps as the log writes them ("PortOpen=True", "CommPort=2", "Settings=9600,N,8,1",
  // "Output") fail with `description` from now on.
  void failOn(const std::string& step, const std::string& description) {
    failures_[step] = description;
  }
  void succeedOn(const std::string& step) { failures_.erase(step); }

  // The far end sends `chars`: they wait in the input and the notification is raised.
  void receive(const std::string& chars);
  // The notification with another event code.
  void raise(std::int16_t code);
  // The device goes away: the port closes and the loss is reported.
  void lose(const std::string& description);

  std::vector<std::string> log;  // every operation, in order
  std::string written;           // every byte that went out
  std::string settings;
  std::size_t outBufferCount = 0;

 private:
  void step(const std::string& entry);
  std::int16_t port_ = 1;
  bool open_ = false;
  std::int16_t event_ = 0;
  std::string input_;
  std::map<std::string, std::string> failures_;
  std::function<void()> onComm_;
  std::function<void(const std::string&)> onLost_;
};

}  // namespace pv7100::testing
