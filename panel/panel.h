// The whole panel's behaviour: its parts, bound to the controls of the toolkit and to the
// serial port. The world comes in only through these two interfaces.
#pragma once

#include "panel/command_pad.h"
#include "panel/exchange.h"
#include "panel/link.h"
#include "panel/port_devices.h"
#include "port/serial_port.h"
#include "panel/toolkit.h"
#include "panel/views.h"

namespace pv7100 {

class Panel {
 public:
  Panel(SerialPort& port, ui::Toolkit& toolkit, PortDevices devices);
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  // Places the window, compact, and opens COM1 at 19200 baud.
  void start();

 private:
  void bind(SerialPort& port, ui::Toolkit& toolkit);

  Link link_;
  Exchange exchange_;
  CommandPad pad_;
  Views views_;
};

}  // namespace pv7100
