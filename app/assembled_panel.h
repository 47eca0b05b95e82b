// The panel as the program runs it: the serial port each name picks (a device, a converter
// over TCP, pv7100d's socket), written to a traffic log when one is named, the window on Qt
// Widgets, and the panel's behaviour bound to both. The program, the tests and the benchmarks
// all assemble it here.
#pragma once

#include <memory>
#include <string>

#include "panel/panel.h"
#include "panel/port_devices.h"
#include "serial/any_port.h"
#include "serial/logged_serial_port.h"
#include "widgets/qt_toolkit.h"

namespace pv7100 {

class AssembledPanel {
 public:
  // Throws LogFileError when `logFile` is named and cannot be appended to.
  explicit AssembledPanel(PortDevices devices, const std::string& logFile = "");

  // Places the window, opens COM1 and shows the window with the focus on its first control.
  void start();
  // Ends the program as "END" does.
  void end() { panel_.end(); }

  ui::QtToolkit& toolkit() { return toolkit_; }
  AnyPort& serialPort() { return serial_; }

 private:
  AnyPort serial_;
  std::unique_ptr<LoggedSerialPort> logged_;
  ui::QtToolkit toolkit_;
  Panel panel_;
};

}  // namespace pv7100
