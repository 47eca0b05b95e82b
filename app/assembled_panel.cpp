#include "app/assembled_panel.h"

#include <cstdio>

#include "app/panel_port_texts.h"

namespace pv7100 {
namespace {

std::unique_ptr<LoggedSerialPort> logTo(SerialPort& port, const std::string& logFile) {
  if (logFile.empty()) return nullptr;
  return std::make_unique<LoggedSerialPort>(port, logFile);
}

}  // namespace

AssembledPanel::AssembledPanel(PortDevices devices, const std::string& logFile)
    : logged_(logTo(serial_, logFile)),
      panel_(logged_ ? static_cast<SerialPort&>(*logged_) : serial_, toolkit_, std::move(devices),
             panelPortTexts()) {
  if (!logged_) return;
  // Said once, on standard error and on the notice line; the panel goes on without its log.
  // The notice is set after the send that found the failure has cleared the line.
  logged_->onLogFailed([this](const std::string& reason) {
    std::fprintf(stderr, "pv7100-panel: %s\n", reason.c_str());
    QMetaObject::invokeMethod(
        &serial_, [this, reason] { toolkit_.line(ui::LineRole::notice).setCaption(reason); },
        Qt::QueuedConnection);
  });
}

void AssembledPanel::start() {
  panel_.start();
  toolkit_.show();
}

}  // namespace pv7100
