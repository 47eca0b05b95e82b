#include "app/panel_port_texts.h"

#include <gtest/gtest.h>

namespace pv7100 {
namespace {

// Each failure names the port with its device, the system's reason, and what to do; a socket's
// reason says what to do itself, and nothing is said of cables.
TEST(PortMessages, AnOpenFailureSaysWhatToDo) {
  struct Case {
    PortFault fault;
    const char* device;
    long holder;
    const char* remedy;
  };
  const Case cases[] = {
      {PortFault::noDevice, "/dev/ttyUSB0", 0,
       "Plug in the cable or adapter, or name the device with --com2"},
      {PortFault::noPermission, "/dev/ttyUSB0", 0,
       "run sudo adduser $USER dialout, then log out and log in"},
      {PortFault::busy, "/dev/ttyUSB0", 4321, "another program (PID 4321, pv7100ctl) holds it"},
      {PortFault::busy, "/dev/ttyUSB0", 0, "choose COM1 or COM2 under COM"},
      {PortFault::notSerial, "/dev/ttyUSB0", 0,
       "not a serial device (why). Name the serial device with --com2"},
      {PortFault::settingsRefused, "/dev/ttyUSB0", 0, "(why). Choose the other speed under COM."},
      {PortFault::other, "/dev/ttyUSB0", 0, "Check the device, or name another with --com2 DEVICE"},
      {PortFault::noDevice, "tcp:rack-7:4001", 0, "cannot be opened: why."},
      {PortFault::noDevice, "unix:/run/pv7100/hall.sock", 0, "cannot be opened: why."},
      {PortFault::noPermission, "unix:/run/pv7100/hall.sock", 0, "dialout group"},
      {PortFault::busy, "unix:/run/pv7100/hall.sock", 0,
       "pv7100d turned it away (why). Close a program that uses the socket and choose COM1"},
  };
  for (const Case& c : cases) {
    const std::string text =
        panelPortTexts().openFailure(2, PortError(c.fault, c.device, "why", c.holder, "pv7100ctl"));
    EXPECT_EQ(text.rfind("COM2 (" + std::string(c.device) + ") cannot be opened", 0), 0u) << text;
    EXPECT_NE(text.find("why"), std::string::npos) << text;
    EXPECT_NE(text.find(c.remedy), std::string::npos) << text;
  }
  // Held by the daemon: its socket is the way in.
  for (const std::string socket : {"/run/pv7100/hall.sock", ""}) {
    const std::string text = panelPortTexts().openFailure(
        1, PortError(PortFault::busy, "/dev/ttyUSB0", "why", 812, "pv7100d", socket));
    EXPECT_NE(text.find("(PID 812, pv7100d) holds it (why). Reach the projector through the "
                        "daemon's socket instead: --com1 unix:" +
                        (socket.empty() ? "/run/pv7100/NAME.sock." : socket + ".")),
              std::string::npos)
        << text;
  }
}

TEST(PortMessages, ALostPortSaysWhatToCheck) {
  const auto lost = [](const char* device) {
    return panelPortTexts().lost(1, PortError(PortFault::gone, device, "gone"));
  };
  EXPECT_EQ(lost("/dev/ttyUSB0"),
            "COM1 (/dev/ttyUSB0) went away (gone). Check the cable or adapter and choose COM1 or "
            "COM2 under COM.");
  EXPECT_EQ(lost("tcp:rack-7:4001"),
            "COM1 (tcp:rack-7:4001) went away (gone). Check the converter and the network and "
            "choose COM1 or COM2 under COM.");
  EXPECT_EQ(lost("unix:/run/pv7100/hall.sock"),
            "COM1 (unix:/run/pv7100/hall.sock) went away (gone). Check that pv7100d runs and "
            "choose COM1 or COM2 under COM.");
}

}  // namespace
}  // namespace pv7100
