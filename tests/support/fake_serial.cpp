#include "tests/support/fake_serial.h"

#include <utility>

namespace pv7100::testing {

void FakeSerial::step(const std::string& entry) {
  log.push_back(entry);
  const auto failure = failures_.find(entry);
  if (failure != failures_.end()) throw CommError(failure->second);
}

void FakeSerial::CommPort(std::int16_t port) {
  step("CommPort=" + std::to_string(port));
  if (open_) throw CommError("Port already open");
  port_ = port;
}

void FakeSerial::Settings(const std::string& text) {
  step("Settings=" + text);
  settings = text;
}

void FakeSerial::PortOpen(bool open) {
  step(open ? "PortOpen=True" : "PortOpen=False");
  open_ = open;
}

void FakeSerial::Output(std::string_view text) {
  log.push_back("Output");
  if (failures_.contains("Output")) throw CommError(failures_["Output"]);
  if (!open_) throw CommError("No port is open");
  written.append(text);
}

std::string FakeSerial::Input() {
  return std::exchange(input_, {});
}

void FakeSerial::receive(const std::string& chars) {
  input_ += chars;
  raise(comEvReceive);
}

void FakeSerial::raise(std::int16_t code) {
  event_ = code;
  if (onComm_) onComm_();
}

void FakeSerial::lose(const std::string& description) {
  open_ = false;
  if (onLost_) onLost_(description);
}

}  // namespace pv7100::testing
