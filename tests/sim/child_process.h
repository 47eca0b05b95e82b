// A child process for the end-to-end tests, with its standard input and output on pipes.
// Every wait is bounded; a child still running at the end is killed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace pv7100::sim::testing {

class ChildProcess {
 public:
  // Starts `argv[0]` with `argv`; standard error is shared with the test.
  explicit ChildProcess(const std::vector<std::string>& argv);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  bool started() const { return pid_ > 0; }

  // The next line of standard output without its LF; nullopt if none came within `timeout`.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);

  void closeStdin();
  void signal(int number);

  // The wait status once the child has ended; nullopt if it still runs after `timeout`.
  std::optional<int> waitForExit(std::chrono::milliseconds timeout);

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  std::string pending_;
};

}  // namespace pv7100::sim::testing
