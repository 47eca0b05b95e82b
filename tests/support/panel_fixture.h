// A started panel on a fake serial port and a fake toolkit: the window is placed, the port is
// open on COM1, and the serial port's log is empty.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/panel_port_texts.h"
#include "panel/panel.h"
#include "tests/support/fake_serial.h"
#include "tests/support/fake_toolkit.h"

namespace pv7100::testing {

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel.start();
    serial.log.clear();
  }

  // The button of the command called `command`, or of a role.
  void click(std::string_view command) { tk.command(command).click(); }
  void click(ui::ButtonRole role) { tk.button(role).click(); }
  void press(std::string_view command) { tk.command(command).press(); }
  void release(std::string_view command) { tk.command(command).release(); }
  void advance(long long ms) { tk.clock().advance(ms); }
  const std::string& text(ui::LineRole role) { return tk.line(role).caption(); }
  FakeTimer& timer(ui::TimerRole role) { return tk.timer(role); }
  // What went out since the last call.
  std::string sent() { return std::exchange(serial.written, {}); }
  // Sends `line` from the manual command line.
  void type(const std::string& line) {
    tk.commandBox().setText(line);
    click(ui::ButtonRole::sendLine);
  }

  FakeSerial serial;
  FakeToolkit tk;
  Panel panel{serial, tk, PortDevices{"/dev/ttyS0", "/dev/ttyS1"}, panelPortTexts()};
};

}  // namespace pv7100::testing
