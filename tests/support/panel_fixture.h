// A started panel on a fake serial port and a fake toolkit: the window is placed, the port is
// open on COM1, and the serial port's log is empty.
#pragma once

#include <gtest/gtest.h>

#include <string>

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

  void click(std::string_view name) { tk.button(name).click(); }
  void press(std::string_view name) { tk.button(name).press(); }
  void release(std::string_view name) { tk.button(name).release(); }
  void advance(long long ms) { tk.clock().advance(ms); }
  const std::string& caption(std::string_view label) { return tk.label(label).caption(); }
  FakeTimer& timer(std::string_view name) { return tk.timer(name); }
  // What went out since the last call.
  std::string sent() { return std::exchange(serial.written, {}); }
  // Sends `line` from the manual command line.
  void type(const std::string& line) {
    tk.textBox("Text1").setText(line);
    click("Command95");
  }

  FakeSerial serial;
  FakeToolkit tk;
  Panel panel{serial, tk, PortDevices{"/dev/ttyS0", "/dev/ttyS1"}};
};

}  // namespace pv7100::testing
