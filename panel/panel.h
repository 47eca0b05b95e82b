// The whole panel's behaviour: its parts, bound to the controls of the toolkit and to the
// serial port. The world comes in only through these two interfaces; the program words what
// went wrong with a port.
#pragma once

#include "panel/command_pad.h"
#include "panel/exchange.h"
#include "panel/port_devices.h"
#include "panel/port_link.h"
#include "panel/port_messages.h"
#include "panel/toolkit.h"
#include "panel/views.h"
#include "port/serial_port.h"

namespace pv7100 {

class Panel {
 public:
  Panel(SerialPort& port, ui::Toolkit& toolkit, PortDevices devices, PortTroubleTexts texts);
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  // Places the window, compact, and opens COM1 at 19200 baud.
  void start();
  // Ends the program as "END" does: the port closed, the window unloaded.
  void end() { portLink_.end(); }
  // Back to the state it was built in, with its bindings kept: the parts, which hold all the
  // state, are built again in place, where the bound handlers find them. A fuzzer runs each of
  // its programs on one panel so, rather than binding a hundred controls for every program.
  void reset();

 private:
  void bind();

  SerialPort& port_;
  ui::Toolkit& toolkit_;

  PortLink portLink_;
  Exchange exchange_;
  CommandPad pad_;
  Views views_;
};

}  // namespace pv7100
