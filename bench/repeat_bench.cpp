// pv7100_bench_repeat: hold-to-repeat timing at the far end of a real pseudo-terminal.
//
// The real panel (AssembledPanel: Qt toolkit, QSerialPort) runs on this thread with COM1 on the
// slave side of a pty; a second thread reads the master side and stamps each command line. For each
// button: one long hold gives the periods between consecutive lines, and short presses give the
// time from the mouse button going down to the first byte at the far end. With --through-daemon
// the panel's COM1 is pv7100d's local socket and pv7100d holds the pty: the same figures
// through the daemon (19200 baud only: the speed is the daemon's).
//
//   pv7100_bench_repeat [--periods N] [--presses N] [--through-daemon]
#include <QApplication>
#include <QTcpServer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/assembled_panel.h"
#include "bench/far_end.h"
#include "bench/monotonic.h"
#include "bench/qt_user.h"
#include "bench/stats.h"
#include "tests/support/child_process.h"
#include "tests/support/pty.h"
#include "widgets/qt_controls.h"

namespace {

using namespace pv7100::bench;

struct Case {
  const char* caption;
  const char* command;  // its name
  const char* code;
  int period;  // ms
  bool targeted;
};

struct Options {
  int periods = 100;  // periods per long hold, at least 3 s of holding
  int presses = 50;
  bool throughDaemon = false;
};

struct Row {
  std::string caption;
  int period;
  int baud;
  std::vector<double> periods;           // ms, between consecutive line ends
  std::vector<double> latencies;         // ms, mouse button down to first byte
  std::vector<double> handlerLatencies;  // ms, press handler called to first byte
  bool targeted;
  double wireMs = 0;   // one line on the modelled wire
  int busyAtSend = 0;  // sends that found the previous line still on the modelled wire
};

std::vector<StampedLine> linesOf(const FarEnd& far, const std::string& code, std::int64_t from) {
  std::vector<StampedLine> chosen;
  for (StampedLine& line : far.lines()) {
    if (line.firstByte >= from && line.text == code + '\r') chosen.push_back(std::move(line));
  }
  return chosen;
}

class Bench {
 public:
  Bench(pv7100::ui::QtToolkit& toolkit, FarEnd& far, const Options& options)
      : toolkit_(toolkit), far_(far), options_(options) {}

  Row measure(const Case& c, int baud) {
    Row row{c.caption, c.period, baud, {}, {}, {}, c.targeted};
    hold(c, row);
    row.latencies = pressRepeatedly(c, false);
    row.handlerLatencies = pressRepeatedly(c, true);
    return row;
  }

 private:
  void hold(const Case& c, Row& row) {
    const int holdMs = std::max(3000, options_.periods * c.period);
    const std::int64_t from = monotonicNs();
    press(toolkit_, c.command);
    runEventLoop(holdMs);
    release(toolkit_, c.command);
    runEventLoop(100);
    const std::vector<StampedLine> lines = linesOf(far_, c.code, from);
    // The line on a real wire of `row.baud`: each starts when sent or when the one before has
    // gone out, and takes ten bit times a character.
    row.wireMs = 1000.0 * 10.0 * static_cast<double>(std::strlen(c.code) + 1) / row.baud;
    double wireFree = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const double sent = toMs(lines[i].firstByte);
      if (i > 0) {
        row.periods.push_back(toMs(lines[i].end - lines[i - 1].end));
        if (sent < wireFree) ++row.busyAtSend;
      }
      wireFree = std::max(sent, wireFree) + row.wireMs;
    }
  }

  // Short presses, each by a mouse event on the button or, when `handlerOnly`, by calling the
  // button's press handler alone (no mouse event, no repaint of the pressed button).
  std::vector<double> pressRepeatedly(const Case& c, bool handlerOnly) {
    auto& button = static_cast<pv7100::ui::PanelButton&>(
        toolkit_.widget(pv7100::ui::commandControl(c.command)));
    std::vector<std::int64_t> pressedAt;
    const std::int64_t from = monotonicNs();
    for (int i = 0; i < options_.presses; ++i) {
      pressedAt.push_back(monotonicNs());
      if (handlerOnly)
        button.pressed();
      else
        press(toolkit_, c.command);
      runEventLoop(15);
      if (handlerOnly)
        button.released();
      else
        release(toolkit_, c.command);
      runEventLoop(35);
    }
    const std::vector<StampedLine> lines = linesOf(far_, c.code, from);
    std::vector<double> latencies;
    std::size_t next = 0;
    for (const std::int64_t pressed : pressedAt) {
      while (next < lines.size() && lines[next].firstByte < pressed) ++next;
      if (next < lines.size()) latencies.push_back(toMs(lines[next].firstByte - pressed));
    }
    return latencies;
  }

  pv7100::ui::QtToolkit& toolkit_;
  FarEnd& far_;
  const Options& options_;
};

Options parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; i += 2) {
    if (std::strcmp(argv[i], "--through-daemon") == 0) {
      options.throughDaemon = true;
      --i;
    } else if (i + 1 == argc) {
      std::fprintf(stderr, "%s needs a value\n", argv[i]);
      std::exit(2);
    } else if (std::strcmp(argv[i], "--periods") == 0) {
      options.periods = std::atoi(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--presses") == 0) {
      options.presses = std::atoi(argv[i + 1]);
    } else {
      std::fprintf(stderr, "usage: %s [--periods N] [--presses N] [--through-daemon]\n", argv[0]);
      std::exit(2);
    }
  }
  return options;
}

void printHeader() {
  std::printf(
      "| Button | period ms | baud | periods | mean period ms | mean dev %% | p99 abs dev ms | "
      "max abs dev ms | press→byte p50 ms | p99 ms | handler→byte p50 ms | p99 ms | target |\n"
      "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n");
}

void print(const Row& row) {
  std::vector<double> deviations;
  for (const double p : row.periods) deviations.push_back(std::fabs(p - row.period));
  const double meanPeriod = mean(row.periods);
  const double meanDev = 100.0 * (meanPeriod - row.period) / row.period;
  const double p99Dev = percentile(deviations, 99);
  const double p99Lat = percentile(row.latencies, 99);
  const bool periodMet = !row.targeted || (std::fabs(meanDev) <= 1.0 && p99Dev < 2.0);
  std::printf(
      "| %s | %d | %d | %zu | %.3f | %+.2f | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f | %s |\n",
      row.caption.c_str(), row.period, row.baud, row.periods.size(), meanPeriod, meanDev, p99Dev,
      percentile(deviations, 100), percentile(row.latencies, 50), p99Lat,
      percentile(row.handlerLatencies, 50), percentile(row.handlerLatencies, 99),
      periodMet && p99Lat < 1.0 ? "met" : "not met");
}

// What the 5 ms arrow would give on a real wire of `row.baud`.
void printWire(const Row& row) {
  const double linesPerSecond = 1000.0 / mean(row.periods);
  std::printf(
      "\n%s at %d baud: a line takes %.2f ms on the wire; %.0f lines/s use %.0f %% of the "
      "line; %d of %zu sends would find the line still busy with the one before.\n",
      row.caption.c_str(), row.baud, row.wireMs, linesPerSecond,
      100.0 * linesPerSecond * row.wireMs / 1000.0, row.busyAtSend, row.periods.size());
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parse(argc, argv);
  preferOffscreen();
  QApplication app(argc, argv);

  pv7100::testing::Pty pty;
  FarEnd far(pty.masterFd());
  pv7100::PortDevices devices;
  devices.com1 = pty.slavePath();
  std::optional<pv7100::testing::ChildProcess> daemon;
  if (options.throughDaemon) {
    char folder[] = "/tmp/pv7100-bench-XXXXXX";
    const std::string socket = std::string(::mkdtemp(folder)) + "/line.sock";
    QTcpServer free;
    free.listen(QHostAddress::LocalHost);
    const std::string listen = "127.0.0.1:" + std::to_string(free.serverPort());
    free.close();
    pv7100::testing::Spawn quiet;
    quiet.quiet = true;
    daemon.emplace(
        std::vector<std::string>{PV7100D, "--config", "/dev/null", "--port", pty.slavePath(),
                                 "--listen", listen, "--socket", socket},
        quiet);
    for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) ::usleep(20'000);
    devices.com1 = "unix:" + socket;
  }
  pv7100::AssembledPanel panel(devices);
  panel.start();
  pv7100::ui::QtToolkit& toolkit = panel.toolkit();
  runEventLoop(200);
  Bench bench(toolkit, far, options);

  const Case cases[] = {
      {"VOL + (vol-plus)", "vol-plus", "C09", 250, true},
      {"Zoom + (zoom-plus)", "zoom-plus", "C47", 105, true},
      {"SELECT (cursor-select)", "cursor-select", "C3F", 500, true},
  };
  const Case arrow{"→ (cursor-right)", "cursor-right", "C3A", 5, false};

  std::printf(
      "Hold-to-repeat at the far end of a pty: %d periods a hold (3 s at least), %d "
      "presses a button each way; the far end answers every line with ACK.\n\n",
      options.periods, options.presses);
  printHeader();
  for (const Case& c : cases) print(bench.measure(c, 19200));

  // "D.Zoom +" pressed and released gives the cursor arrows their 5 ms period.
  press(toolkit, "d-zoom-plus");
  runEventLoop(50);
  release(toolkit, "d-zoom-plus");
  runEventLoop(50);
  const Row fast = bench.measure(arrow, 19200);
  print(fast);

  if (options.throughDaemon) {
    printWire(fast);
    return 0;
  }
  toolkit.option(pv7100::ui::OptionRole::baud9600).select();
  runEventLoop(50);
  const Row slow = bench.measure(arrow, 9600);
  print(slow);
  printWire(fast);
  printWire(slow);
  return 0;
}
