#include "panel/port_link.h"

#include <string>

#include "panel/port_messages.h"

namespace pv7100 {

PortLink::PortLink(SerialPort& port, ui::Toolkit& toolkit, PortDevices devices,
                   PortTroubleTexts texts)
    : port_(port),
      window_(toolkit.window()),
      notice_(toolkit.line(ui::LineRole::notice)),
      frame_(toolkit.portFrame()),
      frameTimer_(toolkit.timer(ui::TimerRole::portFrame)),
      com1_(toolkit.option(ui::OptionRole::com1)),
      devices_(std::move(devices)),
      texts_(std::move(texts)) {}

void PortLink::start() {
  // A port that does not open here is tried again, and reported, by the COM1 choice below.
  try {
    port_.open(devices_.device(1), settings_);
  } catch (const PortError&) {
  }
  com1_.select();
}

// The panel closes its port only on the way out, so a port that is closed here is one that
// failed to open or went away: a choice opens the chosen port in any case, and is how the user
// brings a lost or mistaken port back. The port already open on the chosen device with the
// same settings stays as it is.
void PortLink::choosePort(int port) {
  const std::string& device = devices_.device(port);
  if (!port_.isOpen() || port_.device() != device || port_.settings() != settings_) {
    port_.close();
    try {
      port_.open(device, settings_);
    } catch (const PortError& e) {
      window_.messageBox(texts_.openFailure(port, e));
      return;
    }
  }
  portNumber_ = port;
  showNotice("");
  frame_.setVisible(false);
}

void PortLink::chooseSpeed(int baud) {
  settings_.baud = baud;
  try {
    port_.setSettings(settings_);
  } catch (const PortError& e) {
    window_.messageBox(settingsRefusedText(portNumber_, e));
  }
  frame_.setVisible(false);
}

void PortLink::showPortFrame() {
  frame_.setVisible(true);
  frameTimer_.setEnabled(true);
}

void PortLink::hidePortFrame() {
  frame_.setVisible(false);
  frameTimer_.setEnabled(false);
}

void PortLink::end() {
  port_.close();
  window_.unload();
}

void PortLink::portLost(const PortError& error) {
  const std::string text = texts_.lost(portNumber_, error);
  showNotice(text);
  window_.messageBox(text);
}

// A line that cannot go out is never silent and never stops the panel: the notice line says so
// at once, in every view, and the reply window runs as for any send.
void PortLink::write(std::string_view line) {
  try {
    port_.write(line);
    showNotice("");
  } catch (const PortError& e) {
    const std::string why =
        e.fault() == PortFault::notOpen ? notOpenText() : outputRefusedText(portNumber_, e);
    showNotice("Not sent. " + why);
  }
}

// Written only when the text changes: a held button may be failing every 5 ms.
void PortLink::showNotice(const std::string& text) {
  if (notice_.caption() != text) notice_.setCaption(text);
}

}  // namespace pv7100
