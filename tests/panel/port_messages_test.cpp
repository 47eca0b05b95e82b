#include "panel/port_messages.h"

#include <gtest/gtest.h>

namespace pv7100 {
namespace {

// Each failure names the port with its device, the system's reason, and what to do.
TEST(PortMessages, AnOpenFailureSaysWhatToDo) {
  struct Case {
    PortFault fault;
    long holder;
    const char* remedy;
  };
  const Case cases[] = {
      {PortFault::noDevice, 0, "Plug in the cable or adapter, or name the device with --com2"},
      {PortFault::noPermission, 0, "run sudo adduser $USER dialout, then log out and log in"},
      {PortFault::busy, 4321, "another program (PID 4321, pv7100ctl) holds it"},
      {PortFault::busy, 0, "choose COM1 under COM"},
      {PortFault::notSerial, 0, "not a serial device (why). Name the serial device with --com2"},
      {PortFault::other, 0, "Check the device, or name another with --com2 DEVICE"},
  };
  for (const Case& c : cases) {
    const std::string text =
        openFailureText(2, PortError(c.fault, "/dev/ttyUSB0", "why", c.holder, "pv7100ctl"));
    EXPECT_EQ(text.rfind("COM2 (/dev/ttyUSB0) cannot be opened", 0), 0u) << text;
    EXPECT_NE(text.find("why"), std::string::npos) << text;
    EXPECT_NE(text.find(c.remedy), std::string::npos) << text;
  }
}

TEST(PortMessages, ALostPortSaysHowToBringItBack) {
  const std::string text = portLostText(1, PortError(PortFault::gone, "/dev/ttyUSB0", "gone"));
  EXPECT_EQ(text,
            "COM1 (/dev/ttyUSB0) went away (gone). Plug it back in and choose COM1 under COM.");
}

}  // namespace
}  // namespace pv7100
