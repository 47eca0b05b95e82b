// The whole panel in the test process, assembled as the program assembles it: the serial port
// on a real device, the window on the offscreen platform, started and shown.
#pragma once

#include <QMessageBox>
#include <QTimer>
#include <string>
#include <vector>

#include "app/assembled_panel.h"
#include "tests/support/event_loop.h"

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

  QWidget& widget(std::string_view name) { return assembled.toolkit().widget(name); }
  QWidget& widget(ui::ButtonRole role) { return widget(ui::controlName(role)); }
  QWidget& widget(ui::OptionRole role) { return widget(ui::controlName(role)); }
  // The button of the command called `name`.
  QWidget& command(std::string_view name) { return widget(ui::commandControl(name)); }
  const std::string& text(ui::LineRole role) { return assembled.toolkit().line(role).caption(); }
  ui::QtTimer& timer(ui::TimerRole role) { return assembled.toolkit().timer(role); }
  bool portOpen() { return assembled.serialPort().isOpen(); }
  // The client area's height in logical pixels.
  int clientHeight() { return assembled.toolkit().window().widget().height(); }

  MessageBoxes boxes;
  AssembledPanel assembled;
};

}  // namespace pv7100::testing
