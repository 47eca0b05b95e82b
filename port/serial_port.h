// The serial port as its users see it: open a device with line settings, write command lines,
// hear what comes back and when the device goes away. Every call and every notification
// happens on the thread of the event loop that owns the port.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pv7100 {

enum class Parity { none, even, odd };

struct LineSettings {
  int baud = 19200;
  int dataBits = 8;
  Parity parity = Parity::none;
  int stopBits = 1;

  bool operator==(const LineSettings&) const = default;
};

// What went wrong with a port, as far as the device shows it.
enum class PortFault {
  noDevice,         // nothing is there
  noPermission,     // the user may not use the device
  busy,             // another program holds it
  notSerial,        // the path names something other than a serial device
  settingsRefused,  // the device would not take the line settings
  notOpen,          // a write with no port open
  writeRefused,     // the device refused the bytes
  gone,             // the open device stopped working
  other,
};

// The program that can hold a port and share its line on a local socket, as the system names
// its process, and the form of the socket it shares on by default.
inline constexpr std::string_view kDaemonName = "pv7100d";
inline constexpr std::string_view kDefaultSocketForm = "/run/pv7100/NAME.sock";

class PortError : public std::runtime_error {
 public:
  // `reason` is the system's own words ("No such file or directory"), or empty; `holder` the
  // PID of the program that holds a busy device, 0 when not known, `holderName` its name, and
  // `sharedAt` the local socket on which the holder (pv7100d) shares the line, or empty.
  PortError(PortFault fault, std::string device, std::string reason, long holder = 0,
            std::string holderName = "", std::string sharedAt = "")
      : std::runtime_error(reason.empty() ? device : device + ": " + reason),
        fault_(fault),
        device_(std::move(device)),
        reason_(std::move(reason)),
        holder_(holder),
        holderName_(std::move(holderName)),
        sharedAt_(std::move(sharedAt)) {}

  PortFault fault() const { return fault_; }
  const std::string& device() const { return device_; }
  const std::string& reason() const { return reason_; }
  long holder() const { return holder_; }
  const std::string& holderName() const { return holderName_; }
  const std::string& sharedAt() const { return sharedAt_; }

 private:
  PortFault fault_;
  std::string device_;
  std::string reason_;
  long holder_;
  std::string holderName_;
  std::string sharedAt_;
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens `device` raw, with no flow control and the modem lines as the device leaves them,
  // and drops what arrived before. Throws PortError and stays closed when it cannot.
  virtual void open(const std::string& device, const LineSettings& settings) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // The device open now, or last opened.
  virtual const std::string& device() const = 0;
  virtual const LineSettings& settings() const = 0;

  // Applies at once to an open port, without closing it, or to the next opening. Throws
  // PortError (settingsRefused) and keeps the settings it had when the device refuses them.
  virtual void setSettings(const LineSettings& settings) = 0;

  // Queues all of `bytes` for the line, in order and unchanged, and starts them on their way.
  // Throws PortError (notOpen, writeRefused) and queues nothing when it cannot.
  virtual void write(std::string_view bytes) = 0;
  // Bytes written but not yet sent down the line.
  virtual std::size_t bytesToWrite() const = 0;

  // Called with every burst of received bytes, in order of arrival.
  virtual void onReceived(std::function<void(std::string_view bytes)> handler) = 0;
  // Called once when the open port stops working (the device went away), after the port has
  // closed itself; the error says which device and why (fault gone).
  virtual void onLost(std::function<void(const PortError& error)> handler) = 0;
};

}  // namespace pv7100
