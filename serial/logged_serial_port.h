// A serial port that writes its traffic to a log file (the format is in
// protocol/traffic_log.h) and otherwise passes everything on to the port it wraps.
//
// Every line written is one log line. Received bytes are collected into replies: a reply ends
// with ACK or CR; what is left over is logged when the next line is sent, when the port closes
// or is lost, or once it holds kMaxPending bytes. Each log line goes out in one write on a
// descriptor opened for appending, so that lines of programs sharing the log never interleave.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "port/serial_port.h"
#include "protocol/traffic_log.h"

namespace pv7100 {

// The log file cannot be opened for appending; what() says which and why.
class LogFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Opens the log file at `path` for appending, created when missing: a regular file or a
// character device only, looked at before it is opened and opened without waiting, so that a
// FIFO without a reader cannot stall the program. Throws LogFileError.
int openLogForAppending(const std::string& path);

class LoggedSerialPort : public SerialPort {
 public:
  static constexpr std::size_t kMaxPending = 256;

  // Appends to the file at `path` (openLogForAppending). Throws LogFileError.
  LoggedSerialPort(SerialPort& port, const std::string& path);
  ~LoggedSerialPort() override;
  LoggedSerialPort(const LoggedSerialPort&) = delete;
  LoggedSerialPort& operator=(const LoggedSerialPort&) = delete;

  // Opens the log file again at its path, for a log that was moved away to be rotated: the
  // lines go to the new file from now on. Throws LogFileError, keeping the file it had.
  void reopenLog();
  // reopenLog() for every logging port of the program: what asks for it (a signal) knows no
  // port in particular. Throws LogFileError at the first that fails.
  static void reopenLogs();

  void open(const std::string& device, const LineSettings& settings) override;
  void close() override;
  bool isOpen() const override { return port_.isOpen(); }
  const std::string& device() const override { return port_.device(); }
  const LineSettings& settings() const override { return port_.settings(); }
  void setSettings(const LineSettings& settings) override { port_.setSettings(settings); }
  void write(std::string_view bytes) override;
  std::size_t bytesToWrite() const override { return port_.bytesToWrite(); }
  void onReceived(std::function<void(std::string_view bytes)> handler) override {
    onReceived_ = std::move(handler);
  }
  void onLost(std::function<void(const PortError& error)> handler) override {
    onLost_ = std::move(handler);
  }
  // From now on, a reply that runs past kMaxPending bytes without its ACK or CR is logged up to
  // there and left out from there to its end: a line that talks without end cannot fill the
  // disk.
  void cutLongReplies() { cutLongReplies_ = true; }
  // Called once, at the first log line that could not be written whole, with the reason. The
  // port goes on; later lines are still tried.
  void onLogFailed(std::function<void(const std::string& reason)> handler) {
    onLogFailed_ = std::move(handler);
  }

 private:
  void received(std::string_view bytes);
  void logPending();
  void log(Direction direction, std::string_view bytes);

  SerialPort& port_;
  std::string path_;
  int file_ = -1;
  bool failed_ = false;
  std::string pending_;
  bool cutLongReplies_ = false;
  bool cutting_ = false;  // the rest of a long reply is left out up to its end
  std::function<void(std::string_view)> onReceived_;
  std::function<void(const PortError&)> onLost_;
  std::function<void(const std::string&)> onLogFailed_;
};

}  // namespace pv7100
