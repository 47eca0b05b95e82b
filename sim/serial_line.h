// The line the simulator answers on: a pseudo-terminal of its own, or a real serial device,
// in raw mode at the chosen speed.
#pragma once

#include <string>

namespace pv7100::sim {

class SerialLine {
 public:
  // A new pseudo-terminal; path() is the device the panel opens. Throws std::system_error.
  static SerialLine openPseudoTerminal(int baud);
  // The serial device at `path`. Throws std::system_error.
  static SerialLine openDevice(const std::string& path, int baud);

  SerialLine(SerialLine&& other) noexcept;
  SerialLine& operator=(SerialLine&&) = delete;
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;
  ~SerialLine();

  // The simulator's end, non-blocking.
  int fd() const { return fd_; }
  // The device the panel opens.
  const std::string& path() const { return path_; }

 private:
  SerialLine(int fd, int farEnd, std::string path);

  int fd_;
  // The pseudo-terminal's other end, held open so that the line and its raw settings last
  // while no panel has it open; -1 for a serial device.
  int farEnd_;
  std::string path_;
};

// A symbolic link to the device, removed when it goes out of scope (if it still points there).
// A link left behind by an earlier run is replaced; any other file in the way is an error.
class DeviceLink {
 public:
  DeviceLink(std::string path, std::string target);
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;
  ~DeviceLink();

 private:
  std::string path_;
  std::string target_;
};

}  // namespace pv7100::sim
