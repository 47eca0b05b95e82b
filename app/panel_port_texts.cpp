#include "app/panel_port_texts.h"

#include "serial/open_failure_remedies.h"

namespace pv7100 {
namespace {

RemedyHints hintsFor(int port) {
  return {.nameDevice = "--com" + std::to_string(port) + " DEVICE",
          .retry = "choose COM1 or COM2 under COM",
          .otherSpeed = "Choose the other speed under COM",
          .usePort = "--com" + std::to_string(port)};
}

}  // namespace

PortTroubleTexts panelPortTexts() {
  return {[](int port, const PortError& error) {
            return openFailureText(portLabel(port, error.device()), error, hintsFor(port));
          },
          [](int port, const PortError& error) {
            return portLostText(portLabel(port, error.device()), error, hintsFor(port));
          }};
}

}  // namespace pv7100
