// pv7100ctl against the usual Python script (pyserial): the wall time of one status read,
// from process start to exit, side by side on the same simulated projector. Also what
// QSerialPort's opening costs beyond the system's own open(), which is mostly its lock file.
//
//   pv7100_bench_ctl [--rounds N]
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSerialPort>

#include "bench/monotonic.h"
#include "bench/stats.h"

extern char** environ;

namespace {

using namespace pv7100::bench;

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kScript =
    "import sys, serial\n"
    "port = serial.Serial(sys.argv[1], 19200, timeout=1)\n"
    "port.write(b'CR0\\r')\n"
    "print(port.read_until(b'\\r').decode('ascii', 'replace'))\n";

// Starts `argv` with standard output on `out` (or /dev/null) and standard error on /dev/null.
pid_t start(const std::vector<std::string>& argv, int out) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (out >= 0)
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  else
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) throw std::runtime_error("cannot start " + argv[0]);
  return pid;
}

// The wall time of one run in ms; throws when it does not exit with 0.
double timedRun(const std::vector<std::string>& argv) {
  const auto begin = monotonicNs();
  const pid_t pid = start(argv, -1);
  int status = 0;
  waitpid(pid, &status, 0);
  const auto end = monotonicNs();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(argv[0] + " failed (status " + std::to_string(status) + ")");
  return toMs(end - begin);
}

// The simulator, and the device it serves, from the first line it prints.
struct Simulator {
  pid_t pid = -1;
  std::string device;

  Simulator() {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    pid = start({PV7100_SIM, "--count-down", "0"}, out[1]);
    close(out[1]);
    char c = 0;
    pollfd watched{out[0], POLLIN, 0};
    while (poll(&watched, 1, 3000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') device += c;
    close(out[0]);
    if (device.empty()) throw std::runtime_error("the simulator printed no device");
  }
  ~Simulator() {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
};

void printRow(const char* what, const std::vector<double>& ms) {
  std::printf("| %s | %.2f | %.2f | %.2f |\n", what, median(ms), percentile(ms, 90),
              percentile(ms, 100));
}

// Opening and closing the device N times, with QSerialPort and with the bare system calls.
void measureOpening(const std::string& device, int rounds) {
  std::vector<double> qt;
  std::vector<double> bare;
  QSerialPort port(QString::fromStdString(device));
  for (int i = 0; i < rounds; ++i) {
    auto begin = monotonicNs();
    if (!port.open(QIODevice::ReadWrite)) throw std::runtime_error("QSerialPort cannot open");
    port.close();
    qt.push_back(toMs(monotonicNs() - begin));
    begin = monotonicNs();
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("open failed");
    ::close(fd);
    bare.push_back(toMs(monotonicNs() - begin));
  }
  std::printf("\n| Opening and closing the device (%d times) | median ms | p90 ms | max ms |\n",
              rounds);
  std::printf("|---|---:|---:|---:|\n");
  printRow("QSerialPort open() + close() (lock file included)", qt);
  printRow("open(2) + close(2)", bare);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  int rounds = 50;
  if (argc == 3 && std::string(argv[1]) == "--rounds") rounds = std::atoi(argv[2]);
  if (rounds < 1) {
    std::fprintf(stderr, "usage: pv7100_bench_ctl [--rounds N]\n");
    return 2;
  }
  try {
    Simulator sim;
    const std::vector<std::string> ctl = {PV7100_CTL, "--port", sim.device, "status", "state"};
    const std::vector<std::string> version = {PV7100_CTL, "--version"};
    const std::vector<std::string> plain = {PV7100_SIM, "--version"};
    const std::vector<std::string> python = {kPython, "-c", kScript, sim.device};
    timedRun(ctl);
    timedRun(python);
    std::vector<double> ctlMs;
    std::vector<double> pythonMs;
    std::vector<double> versionMs;
    std::vector<double> plainMs;
    for (int i = 0; i < rounds; ++i) {
      ctlMs.push_back(timedRun(ctl));
      pythonMs.push_back(timedRun(python));
      versionMs.push_back(timedRun(version));
      plainMs.push_back(timedRun(plain));
    }
    std::printf("| A status read (CR0), %d rounds | median ms | p90 ms | max ms |\n", rounds);
    std::printf("|---|---:|---:|---:|\n");
    printRow("pv7100ctl --port DEV status state", ctlMs);
    printRow("python3 + pyserial: open, write CR0, read to CR, print", pythonMs);
    printRow("pv7100ctl --version (start and exit, no port)", versionMs);
    printRow("pv7100-sim --version (a C++ program without Qt)", plainMs);
    std::printf("\npv7100ctl / python median: %.2f\n", median(ctlMs) / median(pythonMs));
    measureOpening(sim.device, rounds * 4);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pv7100_bench_ctl: %s\n", error.what());
    return 1;
  }
  return 0;
}
