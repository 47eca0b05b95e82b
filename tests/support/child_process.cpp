#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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
  if (!spawn.quiet && (::pipe2(in.data(), O_CLOEXEC) != 0 || ::pipe2(out.data(), O_CLOEXEC) != 0)) {
    for (const int fd : {in[0], in[1]}) {
      if (fd >= 0) ::close(fd);
    }
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
  }
  if (spawn.fd3 >= 0) posix_spawn_file_actions_adddup2(&actions, spawn.fd3, 3);
  std::vector<std::string> args = argv;
  std::vector<std::string> environment = environmentWith(spawn.env);
  if (::posix_spawn(&pid_, args.front().c_str(), &actions, nullptr, pointers(args).data(),
                    pointers(environment).data()) != 0)
    pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (spawn.quiet) return;
  ::close(in[0]);
  ::close(out[1]);
  stdin_ = in[1];
  stdout_ = out[0];
}

ChildProcess::~ChildProcess() {
  if (running()) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  closeStdin();
  if (stdout_ >= 0) ::close(stdout_);
}

bool ChildProcess::running() {
  if (pid_ <= 0 || ended_) return false;
  ended_ = ::waitpid(pid_, nullptr, WNOHANG) == pid_;
  return !ended_;
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (const std::size_t end = pending_.find('\n'); end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return line;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd watched{stdout_, POLLIN, 0};
    if (stdout_ < 0 || left.count() <= 0 ||
        ::poll(&watched, 1, static_cast<int>(left.count())) <= 0)
      return std::nullopt;
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
  while (pid_ > 0 && !ended_) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      ended_ = true;
      return status;
    }
    if (Clock::now() >= deadline) break;
    ::poll(nullptr, 0, 10);
  }
  return std::nullopt;
}

void ChildProcess::stop(std::chrono::milliseconds grace) {
  signal(SIGTERM);
  if (!ended_ && !waitForExit(grace)) signal(SIGKILL);
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
