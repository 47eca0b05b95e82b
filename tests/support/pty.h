// A pseudo-terminal pair standing in for a cable to a device: the code under test opens the
// slave path as its serial port, and the test plays the far end on the master.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include <termios.h>

namespace pv7100::testing {

class Pty {
 public:
  // A new pair, both ends raw. Throws std::runtime_error when the system has none to give.
  Pty();
  ~Pty();
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  // The device path the code under test opens: "/dev/pts/7".
  const std::string& slavePath() const { return slavePath_; }
  int masterFd() const { return master_; }

  // The far end sends all of `bytes` within `timeout`; false when it could not.
  bool write(std::string_view bytes,
             std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

  // What the far end receives until `count` bytes have come or `timeout` has passed, whichever
  // is first. Qt's event loop runs while it waits, so a QSerialPort's queued output goes out.
  std::string read(std::size_t count, std::chrono::milliseconds timeout);

  // The far end hangs up: whoever has the slave open sees the device go away.
  void closeMaster();

  // The slave's line settings as the code under test left them, and their speed in baud
  // (0 when it is none of the usual speeds).
  termios attributes() const;
  int speed() const;

  // Sets the slave's line as a device may come up before the code under test opens it.
  void setAttributes(const termios& settings);

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace pv7100::testing
