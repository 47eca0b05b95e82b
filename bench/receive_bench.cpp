// pv7100_bench_receive: the receive path, from the serial port's notification through the
// panel's exchange to the RXD line and the status decoder, with the last line sent a status
// read. The Panel runs on the fake serial port of the tests and on either the fake toolkit of
// the tests or the real Qt toolkit (offscreen), with or without the repaint that follows in the
// event loop. Its four timers run on a virtual clock in every case, so that the benchmark closes
// the reply window and clears the display when it chooses.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QObject>
#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "app/panel_port_texts.h"
#include "bench/monotonic.h"
#include "panel/panel.h"
#include "protocol/commands.h"
#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "protocol/reply_text.h"
#include "tests/support/fake_serial.h"
#include "tests/support/fake_toolkit.h"
#include "widgets/layout.h"
#include "widgets/qt_toolkit.h"

namespace {

using pv7100::bench::monotonicNs;

// One 500 ms reply window at the full rate of a 19200-baud line.
constexpr std::size_t kWindowChars = 960;

// Printable characters with a CR now and then, as a talking projector sends them; the same
// `seed` gives the same text.
std::string lineNoise(std::size_t size, std::uint32_t seed = 1) {
  std::string text;
  text.reserve(size);
  std::uint32_t state = seed;
  for (std::size_t i = 0; i < size; ++i) {
    state = state * 1664525u + 1013904223u;
    const std::uint32_t draw = state >> 16;
    text += draw % 20 == 0 ? pv7100::kCarriageReturn : static_cast<char>(' ' + draw % 91);
  }
  return text;
}

enum class Ui { fake, qt, qtPainted };

// Counts the paint events of one widget.
class PaintCounter : public QObject {
 public:
  long long paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

// `Inner` with the panel's four timers on a virtual clock of their own.
template <typename Inner>
class VirtualTimers : public pv7100::ui::Toolkit {
 public:
  pv7100::ui::Window& window() override { return inner.window(); }
  pv7100::ui::Label& line(pv7100::ui::LineRole role) override { return inner.line(role); }
  pv7100::ui::Timer& timer(pv7100::ui::TimerRole role) override {
    return timers_[static_cast<std::size_t>(role)];
  }
  pv7100::ui::Button& button(pv7100::ui::ButtonRole role) override { return inner.button(role); }
  pv7100::ui::Button& commandButton(std::string_view control) override {
    return inner.commandButton(control);
  }
  pv7100::ui::OptionButton& option(pv7100::ui::OptionRole role) override {
    return inner.option(role);
  }
  pv7100::ui::Frame& portFrame() override { return inner.portFrame(); }
  pv7100::ui::TextBox& commandBox() override { return inner.commandBox(); }
  pv7100::ui::Picture& picture() override { return inner.picture(); }

  // One tick of the timer of `role`.
  void tick(pv7100::ui::TimerRole role) { timers_[static_cast<std::size_t>(role)].fire(); }

  Inner inner;

 private:
  pv7100::testing::VirtualClock clock_;
  std::array<pv7100::testing::FakeTimer, 4> timers_{
      {{clock_, 0}, {clock_, 0}, {clock_, 0}, {clock_, 0}}};
};

// A click on a control, as the user's.
void click(pv7100::testing::FakeToolkit& toolkit, std::string_view control) {
  toolkit.button(control).click();
}
void click(pv7100::ui::QtToolkit& toolkit, std::string_view control) {
  static_cast<QAbstractButton&>(toolkit.widget(control)).click();
}

// The panel started as at run time, the last line sent the status read "CR0".
template <Ui ui>
struct Receiver {
  using Inner =
      std::conditional_t<ui == Ui::fake, pv7100::testing::FakeToolkit, pv7100::ui::QtToolkit>;

  Receiver() {
    panel.start();
    if constexpr (ui != Ui::fake) {
      // The window grows to show the TXD, RXD and STATUS lines.
      click(toolkit.inner, pv7100::ui::controlName(pv7100::ui::ButtonRole::dataToggle));
      toolkit.inner.show();
      toolkit.inner.widget(pv7100::ui::controlName(pv7100::ui::LineRole::receive))
          .installEventFilter(&rxdPaints);
    }
    click(toolkit.inner, pv7100::ui::commandControl("read-status"));
    settle();
    rxdPaints.paints = 0;
  }

  // What the event loop does after the handler: the repaint of what changed.
  void settle() {
    if constexpr (ui == Ui::qtPainted) QCoreApplication::processEvents();
  }

  void receive(const std::string& chars) {
    serial.receive(chars);
    settle();
  }

  // The reply window closes: the reply empties.
  void closeReplyWindow() { toolkit.tick(pv7100::ui::TimerRole::replyWindow); }
  void clearDisplay() { toolkit.tick(pv7100::ui::TimerRole::displayClear); }
  const std::string& rxd() { return toolkit.line(pv7100::ui::LineRole::receive).caption(); }

  // Repaints of the RXD line per receive event.
  void count(benchmark::State& state) {
    if constexpr (ui == Ui::qtPainted) {
      state.counters["rxd_paints_per_event"] =
          static_cast<double>(rxdPaints.paints) / static_cast<double>(state.iterations());
    }
  }

  PaintCounter rxdPaints;
  pv7100::testing::FakeSerial serial;
  VirtualTimers<Inner> toolkit;
  pv7100::Panel panel{serial, toolkit, pv7100::PortDevices{"/dev/ttyS0", "/dev/ttyS1"},
                      pv7100::panelPortTexts()};
};

// Characters per second for bursts of `range(0)` characters per receive event; the reply
// window closes each time a window's worth has come in.
template <Ui ui>
void BM_Throughput(benchmark::State& state) {
  const auto burst = static_cast<std::size_t>(state.range(0));
  const std::string noise = lineNoise(4096 + burst);
  std::vector<std::string> bursts;
  for (std::size_t at = 0; at < 4096; at += burst) bursts.push_back(noise.substr(at, burst));

  Receiver<ui> receiver;
  std::size_t next = 0;
  std::size_t inWindow = 0;
  for (auto _ : state) {
    receiver.receive(bursts[next]);
    next = next + 1 == bursts.size() ? 0 : next + 1;
    inWindow += burst;
    if (inWindow >= kWindowChars) {
      receiver.closeReplyWindow();
      inWindow = 0;
    }
  }
  const auto chars = static_cast<std::int64_t>(state.iterations() * burst);
  state.SetItemsProcessed(chars);
  state.SetLabel("items = characters");
  receiver.count(state);
}

// One receive event of 16 characters with `range(0)` characters already buffered. Only the
// event is timed; between events the buffer and the RXD line are brought back to what they
// were, as the reply window and the display clear leave them.
template <Ui ui>
void BM_EventWithBuffered(benchmark::State& state) {
  const auto buffered = static_cast<std::size_t>(state.range(0));
  const std::string before = lineNoise(buffered, 2);
  const std::string chars = lineNoise(16, 3);

  Receiver<ui> receiver;
  std::size_t inReply = 0;
  const auto refill = [&] {
    receiver.closeReplyWindow();
    receiver.clearDisplay();
    if (buffered > 0) receiver.receive(before);
    receiver.settle();
    inReply = buffered;
  };
  long long eventPaints = 0;
  for (auto _ : state) {
    if (inReply != buffered) refill();
    const long long paintsBefore = receiver.rxdPaints.paints;
    const std::int64_t start = monotonicNs();
    receiver.receive(chars);
    state.SetIterationTime(static_cast<double>(monotonicNs() - start) / 1e9);
    inReply = std::min(inReply + chars.size(), pv7100::ReplyText::kCapacity);
    eventPaints += receiver.rxdPaints.paints - paintsBefore;
  }
  receiver.rxdPaints.paints = eventPaints;
  receiver.count(state);
  state.counters["monitor_bytes"] = static_cast<double>(receiver.rxd().size());
}

// The copy of the RXD text that each event hands to the label: the one cost that grows with
// what is buffered. `range(0)` characters buffered give this monitor text.
void BM_CopyMonitor(benchmark::State& state) {
  const std::string monitor =
      pv7100::renderMonitor(lineNoise(static_cast<std::size_t>(state.range(0)), 2));
  for (auto _ : state) {
    std::string copy = monitor;
    benchmark::DoNotOptimize(copy.data());
  }
  state.counters["monitor_bytes"] = static_cast<double>(monitor.size());
}

void bursts(benchmark::internal::Benchmark* b) {
  b->Arg(1)->Arg(16)->Arg(256);
}

void buffered(benchmark::internal::Benchmark* b) {
  b->Arg(0)->Arg(1000)->Arg(32751)->Arg(32767);
}

BENCHMARK(BM_Throughput<Ui::fake>)->Apply(bursts);
BENCHMARK(BM_Throughput<Ui::qt>)->Apply(bursts);
BENCHMARK(BM_Throughput<Ui::qtPainted>)->Apply(bursts);
BENCHMARK(BM_EventWithBuffered<Ui::fake>)->Apply(buffered)->UseManualTime();
BENCHMARK(BM_EventWithBuffered<Ui::qt>)->Apply(buffered)->UseManualTime();
BENCHMARK(BM_EventWithBuffered<Ui::qtPainted>)->Apply(buffered)->UseManualTime();
BENCHMARK(BM_CopyMonitor)->Apply(buffered);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
