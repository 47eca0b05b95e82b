// pv7100_bench_startup: start-up time and peak memory of pv7100-panel, beside a bare Qt window
// and a generic Qt serial terminal, each started as a program of its own on the offscreen
// platform and, when Xvfb is installed, on an X server started here.
//
// Watched from outside, with nothing added to the programs: "port open" is the first moment the
// program holds the pty's slave open (/proc/PID/fd); "window mapped" is the X server mapping
// its top-level window; "ready" is the end of its start-up work: the last moment its threads
// used CPU (at least 0.1 ms within one 1 ms poll) before 300 ms without any such use, once the
// port is open and the window mapped. Peak RSS is VmHWM just before the program is ended.
//
//   pv7100_bench_startup [--runs N]
#include <poll.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/monotonic.h"
#include "bench/stats.h"
#include "bench/virtual_display.h"
#include "tests/support/child_process.h"
#include "tests/support/pty.h"

namespace {

using namespace pv7100::bench;
using pv7100::testing::ChildProcess;

constexpr std::int64_t kBusyCpuNs = 100'000;
constexpr std::int64_t kQuietNs = 300'000'000;
constexpr std::int64_t kGiveUpNs = 20'000'000'000;

struct Program {
  const char* name;
  std::string path;
  bool opensPort;
  std::vector<std::string> argv(const std::string& device) const {
    if (!opensPort) return {path};
    if (std::strcmp(name, "pv7100-panel") == 0) return {path, "--com1", device};
    return {path, device};
  }
};

struct Samples {
  std::vector<double> portOpen;  // ms from the start
  std::vector<double> mapped;    // ms from the start
  std::vector<double> ready;     // ms from the start
  std::vector<double> peakMiB;
};

class Runner {
 public:
  Runner(const std::string& device, VirtualDisplay* display) : device_(device), display_(display) {}

  // One start of `program`, on the X server when `onX`, else offscreen.
  void run(const Program& program, bool onX, Samples& samples) {
    const std::map<std::string, std::string> env =
        onX ? std::map<std::string, std::string>{{"QT_QPA_PLATFORM", "xcb"},
                                                 {"DISPLAY", display_->name()}}
            : std::map<std::string, std::string>{{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ""}};
    if (onX) display_->topLevelMapped();
    const std::int64_t start = monotonicNs();
    ChildProcess child(
        program.argv(device_),
        {.env = env, .quiet = true, .fd3 = -1, .captureStderr = false, .stderrFile = {}});
    std::int64_t portOpen = -1;
    std::int64_t mapped = -1;
    std::int64_t lastBusy = start;
    std::int64_t lastCpu = 0;
    bool open = false;
    for (;;) {
      pollfd watched{onX ? display_->fd() : -1, POLLIN, 0};
      ::poll(&watched, 1, 1);
      const std::int64_t now = monotonicNs();
      if (onX && mapped < 0 && display_->topLevelMapped()) mapped = now;
      if (program.opensPort) {
        const bool holds = child.holdsOpen(device_);
        if (holds && !open) portOpen = now;
        open = holds;
      }
      const std::int64_t cpu = child.cpuNs();
      if (cpu - lastCpu >= kBusyCpuNs) lastBusy = now;
      lastCpu = cpu;
      const bool started = (open || !program.opensPort) && (mapped >= 0 || !onX);
      if (started && now - lastBusy >= kQuietNs) break;
      if (!child.running() || now - start > kGiveUpNs)
        throw std::runtime_error(std::string(program.name) + " did not start");
    }
    samples.peakMiB.push_back(static_cast<double>(child.peakRssKiB()) / 1024.0);
    child.stop();
    if (portOpen >= 0) samples.portOpen.push_back(toMs(portOpen - start));
    if (mapped >= 0) samples.mapped.push_back(toMs(mapped - start));
    samples.ready.push_back(toMs(lastBusy - start));
  }

 private:
  std::string device_;
  VirtualDisplay* display_;
};

std::string cell(const std::vector<double>& samples) {
  if (samples.empty()) return "–";
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", median(samples));
  return text;
}

int parseRuns(int argc, char** argv) {
  if (argc == 1) return 10;
  if (argc == 3 && std::strcmp(argv[1], "--runs") == 0 && std::atoi(argv[2]) > 0)
    return std::atoi(argv[2]);
  std::fprintf(stderr, "usage: %s [--runs N]\n", argv[0]);
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = parseRuns(argc, argv);
  const std::vector<Program> programs = {
      {"pv7100-panel", PV7100_PANEL, true},
      {"bare Qt window", BARE_WINDOW, false},
      {"generic serial terminal", SERIAL_TERMINAL, true},
  };
  pv7100::testing::Pty pty;
  const std::unique_ptr<VirtualDisplay> display = VirtualDisplay::start();
  std::vector<bool> platforms = {false};
  if (display) platforms.push_back(true);
  Runner runner(pty.slavePath(), display.get());

  // samples[platform][program]; one round first to fill the caches, not counted.
  std::vector<std::vector<Samples>> samples(platforms.size(),
                                            std::vector<Samples>(programs.size()));
  for (int round = 0; round <= runs; ++round) {
    for (std::size_t p = 0; p < platforms.size(); ++p) {
      for (std::size_t i = 0; i < programs.size(); ++i) {
        Samples discarded;
        runner.run(programs[i], platforms[p], round == 0 ? discarded : samples[p][i]);
      }
    }
  }

  std::printf("Start-up, median of %d runs (one warm-up run before, not counted)%s.\n\n", runs,
              display ? "" : "; Xvfb is not installed, so offscreen only");
  std::printf(
      "| Program | platform | port open ms | window mapped ms | ready ms | ready min–max ms "
      "| peak RSS MiB |\n|---|---|---:|---:|---:|---:|---:|\n");
  for (std::size_t p = 0; p < platforms.size(); ++p) {
    for (std::size_t i = 0; i < programs.size(); ++i) {
      const Samples& s = samples[p][i];
      std::printf("| %s | %s | %s | %s | %.0f | %.0f–%.0f | %.1f |\n", programs[i].name,
                  platforms[p] ? "xcb (Xvfb)" : "offscreen", cell(s.portOpen).c_str(),
                  cell(s.mapped).c_str(), median(s.ready), percentile(s.ready, 0),
                  percentile(s.ready, 100), median(s.peakMiB));
    }
  }
  std::printf("\n");
  for (std::size_t p = 0; p < platforms.size(); ++p) {
    const Samples& panel = samples[p][0];
    const Samples& terminal = samples[p][2];
    const double time = median(panel.ready) / median(terminal.ready);
    const double memory = median(panel.peakMiB) / median(terminal.peakMiB);
    std::printf(
        "%s: pv7100-panel / generic serial terminal = %.2f in time, %.2f in peak RSS "
        "(target at most 0.50: %s)\n",
        platforms[p] ? "xcb (Xvfb)" : "offscreen", time, memory,
        time <= 0.5 && memory <= 0.5 ? "met" : "not met");
    const Samples& bare = samples[p][1];
    if (!panel.mapped.empty() && !bare.mapped.empty()) {
      const double mapped = median(panel.mapped) / median(bare.mapped);
      std::printf(
          "%s: pv7100-panel / bare Qt window = %.2f in time to a mapped window (target at most "
          "1.50: %s)\n",
          platforms[p] ? "xcb (Xvfb)" : "offscreen", mapped, mapped <= 1.5 ? "met" : "not met");
    }
  }
  return 0;
}
