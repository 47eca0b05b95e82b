// Pseudo-terminals for tests and benchmarks: a pair standing in for a cable to a device (the
// code under test opens the slave path as its serial port, the test plays the far end on the
// master), and reading and writing any terminal. Every wait is bounded.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include <termios.h>

namespace pv7100::testing {

inline constexpr std::chrono::milliseconds kPatience{3000};

// Runs while a wait lasts, a few milliseconds at a time: a test of Qt code lets Qt's event
// loop run there, so that a QSerialPort's queued output goes out.
using WhileWaiting = std::function<void()>;

// Opens the terminal at `path` read-write and non-blocking, leaving its settings alone;
// -1 on failure.
int openTerminal(const std::string& path);

// Writes all of `bytes` to `fd` within `timeout`; false when it could not.
bool writeAll(int fd, std::string_view bytes, std::chrono::milliseconds timeout = kPatience,
              const WhileWaiting& whileWaiting = {});

// Reads until what came ends with `end`, or `timeout` has passed; returns what came.
std::string readUntil(int fd, char end, std::chrono::milliseconds timeout = kPatience);

// Reads until `count` bytes have come or `timeout` has passed, whichever is first.
std::string readUpTo(int fd, std::size_t count, std::chrono::milliseconds timeout,
                     const WhileWaiting& whileWaiting = {});

class Pty {
 public:
  // A new pair, both ends raw at 19200 baud. Throws std::runtime_error when the system has
  // none to give.
  explicit Pty(WhileWaiting whileWaiting = {});
  ~Pty();
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  // The device path the code under test opens: "/dev/pts/7".
  const std::string& slavePath() const { return slavePath_; }
  int masterFd() const { return master_; }

  // The far end sends all of `bytes` within `timeout`; false when it could not.
  bool write(std::string_view bytes,
             std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

  // What the far end receives until `count` bytes have come or `timeout` has passed.
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
  WhileWaiting whileWaiting_;
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace pv7100::testing
