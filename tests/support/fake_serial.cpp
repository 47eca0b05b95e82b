#include "tests/support/fake_serial.h"

namespace pv7100::testing {

void FakeSerial::open(const std::string& device, const LineSettings& settings) {
  log.push_back("open " + device + " " + std::to_string(settings.baud));
  open_ = false;
  device_ = device;
  const auto failure = openFailures_.find(device);
  if (failure != openFailures_.end()) throw PortError(failure->second, device, "refused");
  open_ = true;
  settings_ = settings;
}

void FakeSerial::close() {
  log.push_back("close");
  open_ = false;
}

void FakeSerial::setSettings(const LineSettings& settings) {
  log.push_back("speed " + std::to_string(settings.baud));
  if (failSettings_) throw PortError(PortFault::settingsRefused, device_, "it would not");
  settings_ = settings;
}

void FakeSerial::write(std::string_view bytes) {
  log.push_back("write");
  if (!open_) throw PortError(PortFault::notOpen, device_, "the port is not open");
  if (failWrites_) throw PortError(PortFault::writeRefused, device_, "Input/output error");
  written.append(bytes);
}

void FakeSerial::failOpening(const std::string& device, std::optional<PortFault> fault) {
  if (fault)
    openFailures_[device] = *fault;
  else
    openFailures_.erase(device);
}

void FakeSerial::receive(std::string_view bytes) {
  if (onReceived_) onReceived_(bytes);
}

void FakeSerial::lose() {
  open_ = false;
  if (onLost_) onLost_(PortError(PortFault::gone, device_, "the device is gone"));
}

void FakeSerial::reset() {
  log.clear();
  written.clear();
  bytesToGo = 0;
  open_ = false;
  device_.clear();
  settings_ = {};
  openFailures_.clear();
  failSettings_ = false;
  failWrites_ = false;
}

}  // namespace pv7100::testing
