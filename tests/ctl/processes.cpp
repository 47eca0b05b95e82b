#include "tests/ctl/processes.h"

#include <array>
#include <csignal>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pv7100::ctl::testing {

namespace {

using Clock = std::chrono::steady_clock;

pid_t spawn(const std::vector<std::string>& argv, int out, int err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) throw std::runtime_error("cannot start " + argv[0]);
  return pid;
}

std::vector<std::string> ctlCommand(const std::vector<std::string>& args) {
  std::vector<std::string> argv{PV7100_CTL};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

int exitCodeOf(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int waitFor(pid_t pid, Clock::time_point deadline) {
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return -1;
    }
    poll(nullptr, 0, 5);
  }
  return exitCodeOf(status);
}

}  // namespace

CtlRun runCtl(const std::vector<std::string>& args, std::chrono::milliseconds limit) {
  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  const auto begin = Clock::now();
  const auto deadline = begin + limit;
  const pid_t pid = spawn(ctlCommand(args), out[1], err[1]);
  close(out[1]);
  close(err[1]);
  CtlRun run;
  std::array<pollfd, 2> watched{{{out[0], POLLIN, 0}, {err[0], POLLIN, 0}}};
  std::array<std::string*, 2> into{&run.out, &run.err};
  int open = 2;
  while (open > 0 && Clock::now() < deadline) {
    if (poll(watched.data(), watched.size(), 10) <= 0) continue;
    for (std::size_t i = 0; i < watched.size(); ++i) {
      if (watched[i].fd < 0 || !watched[i].revents) continue;
      std::array<char, 4096> chunk{};
      const ssize_t got = read(watched[i].fd, chunk.data(), chunk.size());
      if (got > 0) {
        into[i]->append(chunk.data(), static_cast<std::size_t>(got));
      } else {
        close(watched[i].fd);
        watched[i].fd = -1;
        --open;
      }
    }
  }
  run.exitCode = waitFor(pid, deadline);
  run.took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin);
  for (const pollfd& end : watched) {
    if (end.fd >= 0) close(end.fd);
  }
  return run;
}

Background::Background(const std::vector<std::string>& args) {
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  pid_ = spawn(ctlCommand(args), null, null);
  close(null);
}

Background::~Background() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

int Background::wait(std::chrono::milliseconds limit) {
  const int code = waitFor(pid_, Clock::now() + limit);
  pid_ = -1;
  return code;
}

Projector::Projector(std::vector<std::string> options) : logFile_(temporaryFile("sim.log")) {
  options.insert(options.begin(), {PV7100_SIM, "--verbose"});
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const int log = open(logFile_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  pid_ = spawn(options, out[1], log);
  close(out[1]);
  close(log);
  pollfd watched{out[0], POLLIN, 0};
  char c = 0;
  while (poll(&watched, 1, 3000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') device_ += c;
  close(out[0]);
}

Projector::~Projector() {
  stop();
}

void Projector::stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

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
