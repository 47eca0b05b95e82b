// The port link: which device stands behind COM1 and COM2, opening the port at start-up and on
// a choice in the port-settings frame, the speed, the frame itself, the end of the program, and
// the notice line that says what could not be done with the port.
#pragma once

#include <string_view>

#include "panel/port_devices.h"
#include "panel/port_messages.h"
#include "panel/toolkit.h"
#include "port/serial_port.h"

namespace pv7100 {

class PortLink {
 public:
  PortLink(SerialPort& port, ui::Toolkit& toolkit, PortDevices devices, PortTroubleTexts texts);

  // Opens COM1 at 19200 baud, then chooses COM1 as a click would.
  void start();
  void choosePort(int port);
  void chooseSpeed(int baud);
  void showPortFrame();
  void hidePortFrame();
  // Closes the port and ends the program.
  void end();
  void portLost(const PortError& error);

  // Puts `line` on the wire, or says on the notice line why it did not go out.
  void write(std::string_view line);
  // Bytes written that have not gone down the line yet.
  std::size_t bytesToWrite() const { return port_.bytesToWrite(); }
  const PortDevices& devices() const { return devices_; }
  const PortTroubleTexts& texts() const { return texts_; }

 private:
  void showNotice(const std::string& text);

  SerialPort& port_;
  ui::Window& window_;
  ui::Label& notice_;
  ui::Frame& frame_;
  ui::Timer& frameTimer_;
  ui::OptionButton& com1_;
  PortDevices devices_;
  PortTroubleTexts texts_;
  LineSettings settings_;
  int portNumber_ = 1;  // of the port open now, or last open
};

}  // namespace pv7100
