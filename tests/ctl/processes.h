// pv7100ctl run as a process, and the simulated projector it talks to.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace pv7100::ctl::testing {

using namespace std::chrono_literals;

struct CtlRun {
  int exitCode = -1;  // -1: it did not end within the limit, or ended by a signal
  std::string out;
  std::string err;
  std::chrono::milliseconds took{};
};

// Runs the built pv7100ctl with `args`; kills it after `limit`.
CtlRun runCtl(const std::vector<std::string>& args, std::chrono::milliseconds limit = 15s);

// A pv7100ctl started in the background; ends with the object.
class Background {
 public:
  explicit Background(const std::vector<std::string>& args);
  ~Background();
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;
  pid_t pid() const { return pid_; }
  // The exit code once it ends within `limit`, -1 otherwise.
  int wait(std::chrono::milliseconds limit);

 private:
  pid_t pid_ = -1;
};

// pv7100-sim on a new pseudo-terminal, with --verbose: what it takes is logged to a file.
class Projector {
 public:
  explicit Projector(std::vector<std::string> options = {});
  ~Projector();
  Projector(const Projector&) = delete;
  Projector& operator=(const Projector&) = delete;

  const std::string& device() const { return device_; }
  // How many lines with `code` it has taken so far.
  int taken(std::string_view code) const;
  // Waits until it has taken `count` lines with `code`; false after `limit`.
  bool waitForTaken(std::string_view code, int count, std::chrono::milliseconds limit = 5s) const;
  void stop();

 private:
  pid_t pid_ = -1;
  std::string device_;
  std::string logFile_;
};

// A file name in a fresh temporary directory.
std::string temporaryFile(const std::string& name);
std::string readFile(const std::string& path);

}  // namespace pv7100::ctl::testing
