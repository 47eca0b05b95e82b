// pv7100_bench_soak: the real panel in this process (the program's AssembledPanel) on the
// simulated projector talking unasked at the full rate of its 19200-baud line, with "Zoom +"
// held for the whole run. Reports memory, CPU time and what went wrong.
//
//   pv7100_bench_soak [--minutes N] [--compact]     (default 10 minutes)
//
// The window shows its TXD, RXD and STATUS lines, so that every reply is painted; --compact
// leaves it at its start-up height, where those lines are out of sight. The simulator runs with
// --verbose, so its log counts every command line it took and every byte it could not put on the
// line. The panel's modal boxes (a lost port) are counted and dismissed here, as nobody else
// would dismiss them.
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/assembled_panel.h"
#include "bench/monotonic.h"
#include "bench/qt_user.h"
#include "widgets/layout.h"

namespace {

using namespace pv7100::bench;

long statusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with(field)) return std::stol(line.substr(std::strlen(field)));
  }
  return 0;
}

double ownCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU time of another process of ours, from /proc/PID/stat.
double cpuSecondsOf(qint64 pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stod(field);
  }
  return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// What the simulator's log says.
struct SimulatorLog {
  long commands = 0;  // "Zoom +" lines taken
  long refused = 0;   // answered with the negative reply
  long lostBytes = 0;
  std::string pending;

  void feed(const QByteArray& bytes) {
    pending += bytes.toStdString();
    std::size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      const std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (line == "<- C47")
        ++commands;
      else if (line.starts_with("-> <NAK>"))
        ++refused;
      else if (line.starts_with("lost "))
        lostBytes += std::stol(line.substr(5));
    }
  }
};

struct Options {
  int minutes = 10;
  bool compact = false;
};

Options parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--compact") == 0) {
      options.compact = true;
    } else if (std::strcmp(argv[i], "--minutes") == 0 && i + 1 < argc &&
               std::atoi(argv[i + 1]) > 0) {
      options.minutes = std::atoi(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: %s [--minutes N] [--compact]\n", argv[0]);
      std::exit(2);
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parse(argc, argv);
  const int minutes = options.minutes;
  preferOffscreen();
  QApplication app(argc, argv);

  QProcess simulator;
  SimulatorLog log;
  QObject::connect(&simulator, &QProcess::readyReadStandardError,
                   [&] { log.feed(simulator.readAllStandardError()); });
  simulator.start(QStringLiteral(PV7100_SIM),
                  {"--chatty", "1920", "--count-down", "0", "--verbose"});
  if (!simulator.waitForReadyRead(5000)) {
    std::fprintf(stderr, "pv7100-sim did not start\n");
    return 1;
  }
  const std::string device = simulator.readLine().trimmed().toStdString();

  pv7100::PortDevices devices;
  devices.com1 = device;
  pv7100::AssembledPanel panel(devices);
  panel.start();
  pv7100::ui::QtToolkit& toolkit = panel.toolkit();
  long boxes = 0;
  long notices = 0;
  bool noticeShown = false;
  QTimer watch;
  watch.callOnTimeout([&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      ++boxes;
      std::fprintf(stderr, "message box: %s\n", box->text().toStdString().c_str());
      box->accept();
    }
    const bool shown = !toolkit.line(pv7100::ui::LineRole::notice).caption().empty();
    notices += shown && !noticeShown;
    noticeShown = shown;
  });
  watch.start(50);

  // The TXD, RXD and STATUS lines in sight.
  if (!options.compact) click(toolkit, pv7100::ui::ButtonRole::dataToggle);
  press(toolkit, "power-on");  // power "ON": the simulated lamp lights at once
  release(toolkit, "power-on");
  runEventLoop(1000);

  const long rssStart = statusKiB("VmRSS:");
  const double cpuStart = ownCpuSeconds();
  const double simCpuStart = cpuSecondsOf(simulator.processId());
  const long commandsStart = log.commands;
  const std::int64_t start = monotonicNs();
  std::printf(
      "Soak: \"Zoom +\" (zoom-plus, 105 ms) held for %d min, %s; pv7100-sim --chatty 1920 on "
      "%s\n\n| minute | RSS MiB | commands taken |\n|---:|---:|---:|\n",
      minutes, options.compact ? "compact window" : "TXD/RXD/STATUS lines shown", device.c_str());
  std::printf("| 0 | %.1f | 0 |\n", rssStart / 1024.0);
  std::fflush(stdout);
  press(toolkit, "zoom-plus");
  for (int minute = 1; minute <= minutes; ++minute) {
    runEventLoop(60'000);
    std::printf("| %d | %.1f | %ld |\n", minute, statusKiB("VmRSS:") / 1024.0,
                log.commands - commandsStart);
    std::fflush(stdout);
  }
  release(toolkit, "zoom-plus");
  const double wall = toMs(monotonicNs() - start) / 1000.0;
  const double cpu = ownCpuSeconds() - cpuStart;
  const double simCpu = cpuSecondsOf(simulator.processId()) - simCpuStart;
  const long rssEnd = statusKiB("VmRSS:");
  runEventLoop(200);
  simulator.terminate();
  simulator.waitForFinished(5000);

  const long commands = log.commands - commandsStart;
  std::printf("\n| Figure | Value |\n|---|---:|\n");
  std::printf("| run | %.1f s |\n", wall);
  std::printf("| RSS at start / end | %.1f / %.1f MiB |\n", rssStart / 1024.0, rssEnd / 1024.0);
  std::printf("| peak RSS (VmHWM) | %.1f MiB |\n", statusKiB("VmHWM:") / 1024.0);
  std::printf("| panel CPU | %.1f s = %.2f %% of one core |\n", cpu, 100.0 * cpu / wall);
  std::printf("| simulator CPU | %.1f s = %.2f %% of one core |\n", simCpu, 100.0 * simCpu / wall);
  std::printf(
      "| \"Zoom +\" lines taken by the projector | %ld (%.2f ms apart on average; 105 "
      "set) |\n",
      commands, 1000.0 * wall / static_cast<double>(commands));
  std::printf("| refused by the projector (NAK) | %ld |\n", log.refused);
  std::printf("| bytes the projector could not send (line full) | %ld |\n", log.lostBytes);
  std::printf("| notices (\"Not sent\", port lost) | %ld |\n", notices);
  std::printf("| message boxes (port lost) | %ld |\n", boxes);
  return 0;
}
