// pv7100ctl against the usual Python script (pyserial): the wall time of one status read,
// from process start to exit, side by side on the same simulated projector. Also what
// QSerialPort's opening costs beyond the system's own open(), which is mostly its lock file.
//
//   pv7100_bench_ctl [--rounds N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSerialPort>

#include "bench/monotonic.h"
#include "bench/stats.h"
#include "tests/support/child_process.h"

namespace {

using namespace pv7100::bench;
using pv7100::testing::ChildProcess;

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kScript =
    "import sys, serial\n"
    "port = serial.Serial(sys.argv[1], 19200, timeout=1)\n"
    "port.write(b'CR0\\r')\n"
    "print(port.read_until(b'\\r').decode('ascii', 'replace'))\n";

// Far beyond any run here: a run that takes longer has hung.
constexpr std::chrono::seconds kPatience{10};

// The wall time of one run in ms, its output on /dev/null; throws when it does not exit with 0.
double timedRun(const std::vector<std::string>& argv) {
  const auto begin = monotonicNs();
  ChildProcess run(argv,
                   {.env = {}, .quiet = true, .fd3 = -1, .captureStderr = false, .stderrFile = {}});
  const std::optional<int> status = run.waitForExit(kPatience);
  const auto end = monotonicNs();
  if (!run.started() || !status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
    throw std::runtime_error(argv[0] + " failed (status " +
                             (status ? std::to_string(*status) : "none") + ")");
  return toMs(end - begin);
}

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
    ChildProcess sim({PV7100_SIM, "--count-down", "0"});
    const std::string device = sim.readLine(std::chrono::seconds(3)).value_or("");
    if (device.empty()) throw std::runtime_error("the simulator printed no device");
    const std::vector<std::string> ctl = {PV7100_CTL, "--port", device, "status", "state"};
    const std::vector<std::string> version = {PV7100_CTL, "--version"};
    const std::vector<std::string> plain = {PV7100_SIM, "--version"};
    const std::vector<std::string> python = {kPython, "-c", kScript, device};
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
    measureOpening(device, rounds * 4);
    sim.stop();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pv7100_bench_ctl: %s\n", error.what());
    return 1;
  }
  return 0;
}
