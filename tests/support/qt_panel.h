// The whole panel in the test process: the serial control on a real device, the Qt Widgets
// window on the offscreen platform, Form1 bound to both and started.
#pragma once

#include <QMessageBox>
#include <QTimer>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/port_devices.h"
#include "app/qt_serial_control.h"
#include "tests/support/event_loop.h"
#include "ui/qt_toolkit.h"

namespace pv7100::testing {

// Dismisses every message box soon after it shows, keeping its text.
class MessageBoxes {
 public:
  MessageBoxes();
  std::vector<std::string> texts;

 private:
  QTimer timer_;
};

class QtPanel {
 public:
  explicit QtPanel(PortDevices devices);

  QWidget& widget(std::string_view name) { return toolkit.widget(name); }
  const std::string& caption(std::string_view label) { return toolkit.label(label).caption(); }
  // The client area's height in logical pixels.
  int clientHeight() { return toolkit.window().widget().height(); }

  MessageBoxes boxes;
  QtSerialControl comm;
  ui::QtToolkit toolkit;
  Form1 form{comm, toolkit};
};

}  // namespace pv7100::testing
