#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <utility>

extern char** environ;

namespace pv7100::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text(*entry);
    if (!changes.contains(text.substr(0, text.find('=')))) result.push_back(text);
  }
  for (const auto& [name, value] : changes) {
    if (!value.empty()) result.push_back(name + '=' + value);
  }
  return result;
}

void closeOpen(std::initializer_list<int> fds) {
  for (const int fd : fds) {
    if (fd >= 0) ::close(fd);
  }
}

// Rounded up, so that a wait does not end just short of its deadline.
int millisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Spawn& spawn) {
  std::array<int, 2> in{-1, -1};
  std::array<int, 2> out{-1, -1};
  std::array<int, 2> err{-1, -1};
  const bool captureStderr = !spawn.quiet && spawn.captureStderr;
  if (!spawn.quiet && (::pipe2(in.data(), O_CLOEXEC) != 0 || ::pipe2(out.data(), O_CLOEXEC) != 0 ||
                       (captureStderr && ::pipe2(err.data(), O_CLOEXEC) != 0))) {
    closeOpen({in[0], in[1], out[0], out[1], err[0], err[1]});
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (spawn.quiet) {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (captureStderr)
      posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    else if (!spawn.stderrFile.empty())
      posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, spawn.stderrFile.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  if (spawn.fd3 >= 0) posix_spawn_file_actions_adddup2(&actions, spawn.fd3, 3);
  std::vector<std::string> args = argv;
  std::vector<std::string> environment = environmentWith(spawn.env);
  if (::posix_spawn(&pid_, args.front().c_str(), &actions, nullptr, pointers(args).data(),
                    pointers(environment).data()) != 0)
    pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  // Debian 12's <sys/pidfd.h> declares pidfd_open without C linkage, so the bare system call.
  if (pid_ > 0) pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
  closeOpen({in[0], out[1], err[1]});
  stdin_ = in[1];
  stdout_ = out[0];
  stderr_ = err[0];
}

ChildProcess::~ChildProcess() {
  if (running()) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  closeStdin();
  closeOpen({stdout_, stderr_, pidfd_});
}

bool ChildProcess::running() {
  if (pid_ <= 0 || status_) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
  return !status_;
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (const std::size_t end = pending_.find('\n'); end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return line;
    }
    const int left = millisecondsUntil(deadline);
    pollfd watched{stdout_, POLLIN, 0};
    if (stdout_ < 0 || left <= 0 || ::poll(&watched, 1, left) <= 0) return std::nullopt;
    std::array<char, 256> buffer{};
    const ssize_t count = ::read(stdout_, buffer.data(), buffer.size());
    if (count <= 0) return std::nullopt;
    pending_.append(buffer.data(), static_cast<std::size_t>(count));
  }
}

void ChildProcess::closeStdin() {
  if (stdin_ >= 0) ::close(stdin_);
  stdin_ = -1;
}

void ChildProcess::signal(int number) {
  if (running()) ::kill(pid_, number);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (running()) {
    const int left = millisecondsUntil(deadline);
    if (left <= 0) break;
    pollfd ended{pidfd_, POLLIN, 0};
    ::poll(&ended, 1, pidfd_ >= 0 ? left : std::min(left, 10));
  }
  return status_;
}

Finished ChildProcess::finish(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  closeStdin();
  Finished result{.status = std::nullopt, .out = std::exchange(pending_, {}), .err = {}};
  // Both at once: a program that fills one pipe while the other is read would never end.
  std::array<pollfd, 2> watched{{{stdout_, POLLIN, 0}, {stderr_, POLLIN, 0}}};
  const std::array<std::string*, 2> into{&result.out, &result.err};
  while (watched[0].fd >= 0 || watched[1].fd >= 0) {
    const int left = millisecondsUntil(deadline);
    if (left <= 0 || ::poll(watched.data(), watched.size(), left) <= 0) break;
    for (std::size_t i = 0; i < watched.size(); ++i) {
      if (watched[i].revents == 0) continue;
      std::array<char, 4096> chunk{};
      const ssize_t count = ::read(watched[i].fd, chunk.data(), chunk.size());
      if (count > 0)
        into[i]->append(chunk.data(), static_cast<std::size_t>(count));
      else
        watched[i].fd = -1;
    }
  }
  result.status = waitForExit(std::chrono::milliseconds(millisecondsUntil(deadline)));
  return result;
}

void ChildProcess::stop(std::chrono::milliseconds grace) {
  signal(SIGTERM);
  if (!waitForExit(grace)) signal(SIGKILL);
  waitForExit(grace);
}

bool ChildProcess::holdsOpen(const std::string& path) const {
  std::error_code error;
  const std::filesystem::path fds = "/proc/" + std::to_string(pid_) + "/fd";
  for (const auto& entry : std::filesystem::directory_iterator(fds, error)) {
    if (std::filesystem::read_symlink(entry.path(), error) == path) return true;
  }
  return false;
}

std::int64_t ChildProcess::cpuNs() const {
  std::error_code error;
  std::int64_t total = 0;
  const std::filesystem::path tasks = "/proc/" + std::to_string(pid_) + "/task";
  for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
    std::ifstream schedstat(task.path() / "schedstat");
    std::int64_t onCpu = 0;
    if (schedstat >> onCpu) total += onCpu;
  }
  return total;
}

long ChildProcess::peakRssKiB() const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmHWM:")) return std::stol(line.substr(6));
  }
  return 0;
}

std::string findOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path != nullptr ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = dir + '/' + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

}  // namespace pv7100::testing
