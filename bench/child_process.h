// A program started here and watched from outside through /proc: which files it holds open,
// how much CPU its threads have used, and its peak resident memory. Nothing is added to the
// program for this.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <sys/types.h>

namespace pv7100::bench {

class ChildProcess {
 public:
  // Starts `argv` with this process's environment changed by `env` (an empty value removes the
  // variable); its standard streams go to /dev/null, and `fd3`, unless -1, becomes its file
  // descriptor 3. Throws std::runtime_error when it cannot.
  ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               int fd3 = -1);
  // Ends the program if it still runs.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool running();
  // Whether one of its file descriptors is open on `path`.
  bool holdsOpen(const std::string& path) const;
  // CPU time of all its threads, in nanoseconds.
  std::int64_t cpuNs() const;
  // Its peak resident set size (VmHWM), in KiB.
  long peakRssKiB() const;
  // SIGTERM, then waits for it.
  void stop();

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
};

// The first executable called `name` on PATH, "" when there is none.
std::string findOnPath(const std::string& name);

}  // namespace pv7100::bench
