#include "tests/ctl/processes.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <poll.h>
#include <sys/wait.h>

namespace pv7100::ctl::testing {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> ctlCommand(const std::vector<std::string>& args) {
  std::vector<std::string> argv{PV7100_CTL};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

std::vector<std::string> simulatorCommand(std::vector<std::string> options) {
  options.insert(options.begin(), {PV7100_SIM, "--verbose"});
  return options;
}

}  // namespace

CtlRun runCtl(const std::vector<std::string>& args, std::chrono::milliseconds limit) {
  const auto begin = Clock::now();
  ChildProcess ctl(ctlCommand(args),
                   {.env = {}, .quiet = false, .fd3 = -1, .captureStderr = true, .stderrFile = {}});
  if (!ctl.started()) throw std::runtime_error("cannot start " PV7100_CTL);
  pv7100::testing::Finished finished = ctl.finish(limit);
  return {.exitCode = exitCodeOf(finished.status),
          .out = std::move(finished.out),
          .err = std::move(finished.err),
          .took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin)};
}

ChildProcess startCtl(const std::vector<std::string>& args) {
  return ChildProcess(
      ctlCommand(args),
      {.env = {}, .quiet = true, .fd3 = -1, .captureStderr = false, .stderrFile = {}});
}

int exitCodeOf(std::optional<int> status) {
  return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

Projector::Projector(std::vector<std::string> options)
    : logFile_(temporaryFile("sim.log")),
      process_(
          simulatorCommand(std::move(options)),
          {.env = {}, .quiet = false, .fd3 = -1, .captureStderr = false, .stderrFile = logFile_}),
      device_(process_.readLine(3s).value_or("")) {}

int Projector::taken(std::string_view code) const {
  std::istringstream log(readFile(logFile_));
  const std::string wanted = "<- " + std::string(code);
  int count = 0;
  for (std::string line; std::getline(log, line);) count += line == wanted;
  return count;
}

bool Projector::waitForTaken(std::string_view code, int count,
                             std::chrono::milliseconds limit) const {
  const auto deadline = Clock::now() + limit;
  while (taken(code) < count) {
    if (Clock::now() > deadline) return false;
    poll(nullptr, 0, 10);
  }
  return true;
}

std::string temporaryFile(const std::string& name) {
  std::string pattern = "/tmp/pv7100ctl-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern + "/" + name;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace pv7100::ctl::testing
