// The real panel in this process, as pv7100-panel builds it: the serial control on QSerialPort,
// the Qt Widgets toolkit, Form1 bound to both, Form_Load run and the window shown. A
// QApplication must exist.
#pragma once

#include <string>
#include <string_view>

#include "app/form1.h"
#include "app/qt_serial_control.h"
#include "widgets/qt_toolkit.h"

namespace pv7100::bench {

class PanelStack {
 public:
  // COM1 is `device`.
  explicit PanelStack(const std::string& device);

  // A left mouse button going down on, and up from, a control, as the user's would.
  void press(std::string_view control);
  void release(std::string_view control);

  Form1& form() { return form_; }
  ui::QtToolkit& toolkit() { return toolkit_; }
  QtSerialControl& comm() { return comm_; }

 private:
  QtSerialControl comm_;
  ui::QtToolkit toolkit_;
  Form1 form_{comm_, toolkit_};
};

// Runs the event loop for `ms` milliseconds.
void runEventLoop(int ms);

// Sets the offscreen platform unless the caller chose one.
void preferOffscreen();

}  // namespace pv7100::bench
