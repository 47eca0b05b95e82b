// pv7100ctl against the usual Python script (pyserial): the wall time of one status read,
// from process start to exit, side by side on the same simulated projector, and optionally
// against another build of pv7100ctl (an older one) in the same rounds. Also what
// QSerialPort's opening costs beyond the system's own open(), which is mostly its lock file.
//
//   pv7100_bench_ctl [--rounds N] [--compare OTHER_PV7100CTL]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
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

// One program's command line and its wall times.
struct Timed {
  Timed(const char* what, std::vector<std::string> argv) : what(what), argv(std::move(argv)) {}
  const char* what;
  std::vector<std::string> argv;
  std::vector<double> ms;
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
  // Debian keeps /run/lock, where the lock file goes, in memory; on a disk it costs a sync.
  struct statfs lockDirectory {};
  const bool inMemory =
      ::statfs("/run/lock", &lockDirectory) == 0 && lockDirectory.f_type == TMPFS_MAGIC;
  std::printf(
      "\n| Opening and closing the device (%d times; /run/lock %s) | median ms | p90 ms | "
      "max ms |\n",
      rounds, inMemory ? "a tmpfs" : "on disk");
  std::printf("|---|---:|---:|---:|\n");
  printRow("QSerialPort open() + close() (lock file included)", qt);
  printRow("open(2) + close(2)", bare);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  int rounds = 50;
  std::string other;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--rounds") rounds = std::atoi(argv[i + 1]);
    if (option == "--compare") other = argv[i + 1];
  }
  if (rounds < 1 || argc % 2 == 0) {
    std::fprintf(stderr, "usage: pv7100_bench_ctl [--rounds N] [--compare OTHER_PV7100CTL]\n");
    return 2;
  }
  try {
    ChildProcess sim({PV7100_SIM, "--count-down", "0"});
    const std::string device = sim.readLine(std::chrono::seconds(3)).value_or("");
    if (device.empty()) throw std::runtime_error("the simulator printed no device");
    // Each round runs every program once, in an order shuffled anew, so that none always
    // follows the same one (a run after the Python script finds colder caches).
    std::vector<Timed> runs = {
        {"pv7100ctl --port DEV status state", {PV7100_CTL, "--port", device, "status", "state"}},
        {"python3 + pyserial: open, write CR0, read to CR, print",
         {kPython, "-c", kScript, device}},
        {"pv7100ctl --version (start and exit, no port)", {PV7100_CTL, "--version"}},
        {"pv7100-sim --version (a C++ program without Qt)", {PV7100_SIM, "--version"}},
    };
    if (!other.empty()) {
      runs.push_back({"the other pv7100ctl --port DEV status state",
                      {other, "--port", device, "status", "state"}});
      runs.push_back({"the other pv7100ctl --version", {other, "--version"}});
    }
    for (Timed& run : runs) timedRun(run.argv);
    std::vector<Timed*> order;
    for (Timed& run : runs) order.push_back(&run);
    std::mt19937 shuffler(7100);
    for (int i = 0; i < rounds; ++i) {
      std::shuffle(order.begin(), order.end(), shuffler);
      for (Timed* run : order) run->ms.push_back(timedRun(run->argv));
    }
    std::printf("| A status read (CR0), %d rounds | median ms | p90 ms | max ms |\n", rounds);
    std::printf("|---|---:|---:|---:|\n");
    for (const Timed& run : runs) printRow(run.what, run.ms);
    const auto ratio = [&](std::size_t a, std::size_t b) {
      return median(runs[a].ms) / median(runs[b].ms);
    };
    std::printf("\npv7100ctl / python median: %.2f\n", ratio(0, 1));
    if (!other.empty())
      std::printf(
          "the other pv7100ctl / python median: %.2f; the other / this, status read: "
          "%.2f, --version: %.2f\n",
          ratio(4, 1), ratio(4, 0), ratio(5, 2));
    measureOpening(device, rounds * 4);
    sim.stop();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pv7100_bench_ctl: %s\n", error.what());
    return 1;
  }
  return 0;
}
