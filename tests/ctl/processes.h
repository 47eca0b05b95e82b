// pv7100ctl run as a process, and the simulated projector it talks to, on ChildProcess.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/child_process.h"

namespace pv7100::ctl::testing {

using namespace std::chrono_literals;
using pv7100::testing::ChildProcess;

struct CtlRun {
  int exitCode = -1;  // -1: it did not end within the limit, or ended by a signal
  std::string out;
  std::string err;
  std::chrono::milliseconds took{};
};

// Runs the built pv7100ctl with `args`; kills it after `limit`.
CtlRun runCtl(const std::vector<std::string>& args, std::chrono::milliseconds limit = 15s);
// Starts the built pv7100ctl with `args` in the background, its output on /dev/null.
ChildProcess startCtl(const std::vector<std::string>& args);
// The exit code of a wait status; -1 for none, or an end by a signal.
int exitCodeOf(std::optional<int> status);

// pv7100-sim on a new pseudo-terminal, with --verbose: what it takes is logged to a file.
class Projector {
 public:
  explicit Projector(std::vector<std::string> options = {});
  ~Projector() { stop(); }

  const std::string& device() const { return device_; }
  // How many lines with `code` it has taken so far.
  int taken(std::string_view code) const;
  // Waits until it has taken `count` lines with `code`; false after `limit`.
  bool waitForTaken(std::string_view code, int count, std::chrono::milliseconds limit = 5s) const;
  void stop() { process_.stop(); }

 private:
  std::string logFile_;
  ChildProcess process_;
  std::string device_;
};

// A file name in a fresh temporary directory.
std::string temporaryFile(const std::string& name);
std::string readFile(const std::string& path);

}  // namespace pv7100::ctl::testing
