// A program started by a test or a benchmark. Every wait is bounded, and a program still
// running at the end is killed. It can be watched from outside through /proc: the files it
// holds open, the CPU its threads have used, its peak resident memory.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pv7100::testing {

struct Spawn {
  // Changes to this process's environment; an empty value removes the variable.
  std::map<std::string, std::string> env;
  // Standard input, output and error on /dev/null, for programs nobody talks to; otherwise
  // standard input and output are pipes to this process and standard error is shared.
  bool quiet = false;
  // Unless -1, becomes the program's file descriptor 3.
  int fd3 = -1;
  // Unless quiet: standard error on a pipe too, read by finish().
  bool captureStderr = false;
  // Unless quiet or empty, standard error goes to this file, created or truncated: a log to
  // read while the program runs.
  std::string stderrFile;
};

// What a program left behind: its wait status and all it wrote.
struct Finished {
  std::optional<int> status;  // nullopt: still running at the deadline
  std::string out;
  std::string err;  // only with captureStderr
};

class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv, const Spawn& spawn = {});
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  bool running();

  // The next line of standard output without its LF; nullopt if none came within `timeout`.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);
  void closeStdin();
  void signal(int number);

  // The wait status once the program has ended; nullopt if it still runs after `timeout`.
  std::optional<int> waitForExit(std::chrono::milliseconds timeout);
  // Closes standard input, reads standard output (and error, if captured) to their end and
  // waits for the exit, all within `timeout`.
  Finished finish(std::chrono::milliseconds timeout);
  // SIGTERM, and SIGKILL when it has not ended within `grace`.
  void stop(std::chrono::milliseconds grace = std::chrono::milliseconds(5000));

  // Whether one of its file descriptors is open on `path`.
  bool holdsOpen(const std::string& path) const;
  // CPU time of all its threads, in nanoseconds.
  std::int64_t cpuNs() const;
  // Its peak resident set size (VmHWM), in KiB.
  long peakRssKiB() const;

 private:
  pid_t pid_ = -1;
  // Readable once the program has ended, so that a wait wakes at its exit; -1 where the
  // kernel has none, and a wait polls.
  int pidfd_ = -1;
  std::optional<int> status_;
  int stdin_ = -1;
  int stdout_ = -1;
  int stderr_ = -1;
  std::string pending_;
};

// The first executable called `name` on PATH, "" when there is none.
std::string findOnPath(const std::string& name);

}  // namespace pv7100::testing
