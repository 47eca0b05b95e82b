#include "serial/any_port.h"

#include "serial/port_names.h"

namespace pv7100 {

AnyPort::AnyPort() {
  for (SerialPort* port : {static_cast<SerialPort*>(&device_), static_cast<SerialPort*>(&tcp_),
                           static_cast<SerialPort*>(&local_)}) {
    port->onReceived([this](std::string_view bytes) {
      if (onReceived_) onReceived_(bytes);
    });
    port->onLost([this](const PortError& error) {
      if (onLost_) onLost_(error);
    });
  }
}

// A port of another kind than the last one closes the last one first: one line at a time.
void AnyPort::open(const std::string& device, const LineSettings& settings) {
  chosen_->close();
  switch (portKindOf(device)) {
    case PortKind::tcp:
      chosenSocket_ = &tcp_;
      break;
    case PortKind::local:
      chosenSocket_ = &local_;
      break;
    case PortKind::device:
      chosenSocket_ = nullptr;
      break;
  }
  chosen_ = chosenSocket_ ? static_cast<SerialPort*>(chosenSocket_) : &device_;
  chosen_->open(device, settings);
}

bool AnyPort::waitForReceived(int ms) {
  return chosenSocket_ ? chosenSocket_->waitForReceived(ms) : device_.waitForReceived(ms);
}

}  // namespace pv7100
