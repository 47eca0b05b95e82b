// SIGINT and SIGTERM turned into a byte on a pipe, so that a poll loop sees them as input.
#pragma once

namespace pv7100::sim {

class StopSignals {
 public:
  // Installs the handlers. Throws std::system_error. One instance at a time.
  StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;
  // Restores the default handlers.
  ~StopSignals();

  // Readable once a stop signal has arrived.
  int fd() const { return readEnd_; }

 private:
  int readEnd_;
};

}  // namespace pv7100::sim
