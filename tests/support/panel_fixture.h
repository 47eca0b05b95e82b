// A started panel on a fake serial control and a fake toolkit: Form_Load has run, the port
// is open on COM1, and the log of the serial control is empty.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/form1.h"
#include "tests/support/fake_serial.h"
#include "tests/support/fake_toolkit.h"
#include "ui/bindings.h"

namespace pv7100::testing {

class PanelTest : public ::testing::Test {
 protected:
  PanelTest() { ui::bindHandlers(form, tk, serial); }

  void SetUp() override {
    form.Form_Load();
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

  FakeSerial serial;
  FakeToolkit tk;
  Form1 form{serial, tk};
};

}  // namespace pv7100::testing
