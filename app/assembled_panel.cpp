#include "app/assembled_panel.h"

namespace pv7100 {
namespace {

std::unique_ptr<LoggedSerialPort> logTo(SerialPort& port, const std::string& logFile) {
  if (logFile.empty()) return nullptr;
  return std::make_unique<LoggedSerialPort>(port, logFile);
}

}  // namespace

AssembledPanel::AssembledPanel(PortDevices devices, const std::string& logFile)
    : logged_(logTo(serial_, logFile)),
      panel_(logged_ ? static_cast<SerialPort&>(*logged_) : serial_, toolkit_, std::move(devices)) {
}

void AssembledPanel::start() {
  panel_.start();
  toolkit_.show();
}

}  // namespace pv7100
