// The serial control `MSComm1`: the operations the panel performs on its serial port.
//
// Property writes that the control cannot carry out throw CommError, whose text is the
// description shown to the user. Every call happens on the user-interface thread, and the
// notifications are delivered there too.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pv7100 {

class CommError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Codes read from CommEvent inside the notification.
inline constexpr std::int16_t comEvReceive = 2;

class SerialControl {
 public:
  virtual ~SerialControl() = default;

  // The port (1 = COM1, 2 = COM2) that the next opening uses. Throws while the port is open.
  virtual void CommPort(std::int16_t port) = 0;
  virtual std::int16_t CommPort() const = 0;

  // "19200,N,8,1" and the like: speed, parity, data bits, stop bits. Applies at once to an
  // open port, without closing it.
  virtual void Settings(const std::string& settings) = 0;

  // True opens the numbered port with the current settings; false closes it.
  virtual void PortOpen(bool open) = 0;
  virtual bool PortOpen() const = 0;

  // Queues the whole text for transmission, one byte per character, in order and unchanged.
  // Throws when the port is closed or refuses the write; then nothing of the text is queued.
  virtual void Output(std::string_view text) = 0;

  // All received characters that are waiting, in order of arrival; removes them.
  virtual std::string Input() = 0;

  // Inside the notification: the code of the event being raised.
  virtual std::int16_t CommEvent() const = 0;

  // Characters written but not yet sent down the line.
  virtual std::size_t OutBufferCount() const = 0;

  // Raised whenever received characters are waiting (CommEvent 2) and for other conditions.
  virtual void OnComm(std::function<void()> handler) = 0;

  // Raised once when the open port stops working (the device went away); the control has
  // closed the port by then. The text says which port and why.
  virtual void OnPortLost(std::function<void(const std::string&)> handler) = 0;
};

}  // namespace pv7100
