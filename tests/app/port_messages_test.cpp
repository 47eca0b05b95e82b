#include "app/port_messages.h"

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

namespace pv7100 {
namespace {

OpenFailureFacts fromErrno(int error) {
  return {openFailureOfErrno(error), std::strerror(error)};
}

TEST(PortMessagesTest, LabelsThePortWithItsDevice) {
  EXPECT_EQ(portLabel(1, "/dev/ttyS0"), "COM1 (/dev/ttyS0)");
  EXPECT_EQ(portLabel(2, "/dev/ttyUSB0"), "COM2 (/dev/ttyUSB0)");
}

TEST(PortMessagesTest, MissingDeviceSaysPlugInOrNameTheDevice) {
  EXPECT_EQ(openFailureText(1, "/dev/ttyS0", fromErrno(ENOENT)),
            "COM1 (/dev/ttyS0) cannot be opened: there is no such device (No such file or "
            "directory). Plug in the cable or adapter, or name the device with --com1 DEVICE.");
  EXPECT_EQ(openFailureText(2, "/dev/ttyS1", fromErrno(ENXIO)),
            "COM2 (/dev/ttyS1) cannot be opened: there is no such device (No such device or "
            "address). Plug in the cable or adapter, or name the device with --com2 DEVICE.");
}

TEST(PortMessagesTest, PermissionDeniedSaysJoinTheDialoutGroup) {
  EXPECT_EQ(openFailureText(1, "/dev/ttyUSB0", fromErrno(EACCES)),
            "COM1 (/dev/ttyUSB0) cannot be opened: permission denied (Permission denied). Your "
            "user must be in the dialout group: run sudo adduser $USER dialout, then log out and "
            "log in again.");
  EXPECT_EQ(openFailureOfErrno(EPERM), OpenFailure::noPermission);
}

TEST(PortMessagesTest, BusyDeviceNamesTheHolderWhenKnown) {
  EXPECT_EQ(openFailureText(1, "/dev/ttyS0", fromErrno(EBUSY)),
            "COM1 (/dev/ttyS0) cannot be opened: another program is using it (Device or resource "
            "busy). Close that program, or choose COM2 under COM.");
  EXPECT_EQ(
      openFailureText(2, "/dev/ttyS1", {OpenFailure::busy, "lock file /var/lock/LCK..ttyS1", 4321}),
      "COM2 (/dev/ttyS1) cannot be opened: another program (PID 4321) is using it (lock "
      "file /var/lock/LCK..ttyS1). Close that program, or choose COM1 under COM.");
}

TEST(PortMessagesTest, NotASerialDeviceSaysNameTheDevice) {
  EXPECT_EQ(openFailureText(1, "/dev/null", fromErrno(ENOTTY)),
            "COM1 (/dev/null) cannot be opened: it is not a serial device (Inappropriate ioctl "
            "for device). Name the serial device with --com1 DEVICE.");
  EXPECT_EQ(openFailureOfErrno(EISDIR), OpenFailure::notSerial);
}

TEST(PortMessagesTest, AlreadyOpenAndOtherFailures) {
  EXPECT_EQ(openFailureText(1, "/dev/ttyS0", {OpenFailure::alreadyOpen, ""}),
            "COM1 (/dev/ttyS0) cannot be opened: it is open already. Close it before opening it "
            "again.");
  EXPECT_EQ(openFailureText(2, "/dev/ttyS1", fromErrno(ENOMEM)),
            "COM2 (/dev/ttyS1) cannot be opened (Cannot allocate memory). Check the device, or "
            "name another with --com2 DEVICE.");
}

TEST(PortMessagesTest, EveryKindOfFailureReadsDifferently) {
  const OpenFailure kinds[] = {OpenFailure::noDevice,    OpenFailure::noPermission,
                               OpenFailure::busy,        OpenFailure::notSerial,
                               OpenFailure::alreadyOpen, OpenFailure::other};
  for (const OpenFailure a : kinds) {
    for (const OpenFailure b : kinds) {
      if (a != b) {
        EXPECT_NE(openFailureText(1, "/dev/ttyS0", {a, "x"}),
                  openFailureText(1, "/dev/ttyS0", {b, "x"}));
      }
    }
  }
}

TEST(PortMessagesTest, OtherTexts) {
  EXPECT_EQ(notOpenText(), "No port is open: choose COM1 or COM2 under COM.");
  EXPECT_EQ(portLostText(2, "/dev/ttyUSB0", "Input/output error"),
            "COM2 (/dev/ttyUSB0) went away (Input/output error). Plug it back in and choose COM2 "
            "under COM.");
  EXPECT_EQ(invalidPortText(3), "Invalid port number 3: the panel has COM1 and COM2.");
  EXPECT_EQ(portChangeWhileOpenText(1, "/dev/ttyS0"),
            "Port already open: close COM1 (/dev/ttyS0) before choosing another port.");
  EXPECT_EQ(invalidSettingsText("19200,N,9,1"),
            "Invalid settings \"19200,N,9,1\": write speed, parity (N, E, O, M or S), data bits "
            "(5 to 8) and stop bits (1, 1.5 or 2), such as 19200,N,8,1.");
  EXPECT_EQ(settingsRefusedText(1, "/dev/ttyS0", "9600,N,8,1.5", "Unsupported stop bits"),
            "COM1 (/dev/ttyS0) did not accept the settings 9600,N,8,1.5 (Unsupported stop bits).");
  EXPECT_EQ(outputRefusedText(2, "/dev/ttyS1", "Input/output error"),
            "COM2 (/dev/ttyS1) refused the output (Input/output error).");
}

}  // namespace
}  // namespace pv7100
