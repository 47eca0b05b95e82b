// The exchange on its own (send, reply, reply window, display clear) on the test doubles,
// driven by the input as a little program, and checked after every step against a model of
// the reply. The toolkit and the port are built once per process and reset between programs,
// so that a program costs what its steps cost; the whole panel is fuzzed by the receive target.
//
//   r N bytes...   the projector sends the next N bytes (fewer when the input ends)
//   l N0 N1 B      the projector sends N0 + 256 * (N1 modulo 4) copies of byte B: the long
//                  replies that fill the reply up to its capacity at once are the receive
//                  target's, and would cost this one most of its time
//   t M            the virtual clock advances by M ms (up to 100), or by (M - 100) * 40 ms
//   s I            status read I (modulo nine) is sent
//   m N bytes...   the next N bytes are sent as a code
//   i I            the intervals of reply window and display clear become pair I (modulo seven)
//   h              a hold ends
//   o              writes to the port start failing, or stop failing
//
// Any other byte is skipped.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/program.h"
#include "fuzz/reply_model.h"
#include "fuzz/require.h"
#include "panel/exchange.h"
#include "panel/port_link.h"
#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"
#include "tests/support/fake_serial.h"
#include "tests/support/fake_toolkit.h"

namespace {

using pv7100::fuzz::Program;
using pv7100::fuzz::require;
using pv7100::ui::LineRole;
using pv7100::ui::TimerRole;

constexpr std::array kStatusReads = std::to_array<std::string_view>(
    {"CR0", "CR1", "CR3", "CR4", "CR6", "CR7", "CR9", "CRA", "CR PRESSURE"});
// The pairs of reply window and display clear that the panel's senders set.
constexpr std::array<std::array<int, 2>, 7> kIntervals = {
    {{500, 1000}, {2000, 2500}, {5000, 5500}, {200, 245}, {100, 100}, {150, 190}, {5, 5}}};
constexpr std::string_view kTimedOut = " X X X X";

// The doubles, built once.
struct World {
  World() { serial.open("/dev/ttyS0", pv7100::LineSettings{}); }

  // As built: the three lines and the notice empty, both timers stopped at their start
  // intervals, writes going out.
  void reset() {
    for (const LineRole role :
         {LineRole::transmit, LineRole::receive, LineRole::status, LineRole::notice})
      tk.line(role).setCaption("");
    for (const auto& [role, interval] : {std::pair{TimerRole::replyWindow, kIntervals[0][0]},
                                         std::pair{TimerRole::displayClear, kIntervals[0][1]}}) {
      tk.timer(role).setEnabled(false);
      tk.timer(role).setInterval(interval);
    }
    serial.failWrites(false);
    serial.written.clear();
    serial.log.clear();
  }

  pv7100::testing::FakeSerial serial;
  pv7100::testing::FakeToolkit tk;
  // What a port's notice says is no part of what is checked here.
  static std::string portText(int, const pv7100::PortError& error) { return error.what(); }
  pv7100::PortLink link{
      serial, tk, pv7100::PortDevices{"/dev/ttyS0", "/dev/ttyS1"}, {portText, portText}};
};

class Session {
 public:
  explicit Session(World& world) : world_(world), exchange_(world.link, world.tk) {
    world_.reset();
    world_.serial.onReceived([this](std::string_view bytes) { exchange_.received(bytes); });
    timer(TimerRole::replyWindow).onTick([this] { exchange_.closeReplyWindow(); });
    timer(TimerRole::displayClear).onTick([this] { exchange_.clearDisplay(); });
  }

  void step(Program& program) {
    world_.serial.written.clear();
    switch (program.next()) {
      case 'r':
        receive(program.take(program.next()));
        break;
      case 'l': {
        const std::size_t count = program.next() + 256 * std::size_t{program.next() % 4u};
        receive(std::string(count, static_cast<char>(program.next())));
        break;
      }
      case 't': {
        const int m = program.next();
        advance(m <= 100 ? m : (m - 100) * 40);
        break;
      }
      case 's':
        send(kStatusReads[program.next() % kStatusReads.size()]);
        break;
      case 'm':
        send(program.take(program.next()));
        break;
      case 'i': {
        const auto& [window, clear] = kIntervals[program.next() % kIntervals.size()];
        exchange_.setIntervals(window, clear);
        break;
      }
      case 'h':
        exchange_.endHold();
        emptyReply();
        awaiting_ = false;
        require(caption(LineRole::receive).empty() && caption(LineRole::transmit).empty(),
                "the end of a hold empties the TXD and RXD lines");
        require(
            !timer(TimerRole::replyWindow).enabled() && timer(TimerRole::displayClear).enabled(),
            "the end of a hold closes the reply window and starts the display clear");
        break;
      case 'o':
        writesFail_ = !writesFail_;
        world_.serial.failWrites(writesFail_);
        break;
      default:
        break;
    }
    checkInvariants();
  }

 private:
  const std::string& caption(LineRole role) { return world_.tk.line(role).caption(); }
  pv7100::ui::Timer& timer(TimerRole role) { return world_.tk.timer(role); }

  void receive(std::string_view chars) {
    world_.serial.receive(chars);
    reply_.grow(chars);
    const std::string& rxd = caption(LineRole::receive);
    require(rxd == reply_.rendered(),
            "the RXD line shows what arrived since the reply began, up to its capacity");
    awaiting_ = false;
    shown_ = rxd;
    if (const auto status = pv7100::decodeStatus(line_, rxd))
      require(caption(LineRole::status) == status->text, "the STATUS line shows the decoded reply");
  }

  void send(std::string_view code) {
    if (!timer(TimerRole::replyWindow).enabled()) emptyReply();
    exchange_.send(code);
    line_ = pv7100::commandLine(code);
    awaiting_ = true;
    require(caption(LineRole::transmit) == pv7100::renderMonitor(line_),
            "the TXD line shows the line sent");
    require(timer(TimerRole::replyWindow).enabled() && timer(TimerRole::displayClear).enabled(),
            "a send opens the reply window and the display clear");
    if (writesFail_)
      require(world_.serial.written.empty() && caption(LineRole::notice).starts_with("Not sent."),
              "a line that cannot go out is reported");
    else
      require(world_.serial.written == line_ && caption(LineRole::notice).empty(),
              "the whole line goes out");
  }

  void advance(int ms) {
    const bool windowOpen = timer(TimerRole::replyWindow).enabled();
    const bool clearPending = timer(TimerRole::displayClear).enabled();
    const std::string rxd = caption(LineRole::receive);
    world_.tk.clock().advance(ms);
    const bool closed = windowOpen && !timer(TimerRole::replyWindow).enabled();
    const bool cleared = clearPending && !timer(TimerRole::displayClear).enabled();
    if (closed) {
      if (awaiting_)
        require(caption(LineRole::receive) == kTimedOut ||
                    (cleared && caption(LineRole::receive).empty()),
                "a window with no reply times out");
      emptyReply();
      awaiting_ = false;
    }
    if (!closed && !cleared)
      require(caption(LineRole::receive) == rxd, "with no tick the RXD line stays");
    if (cleared)
      require(caption(LineRole::transmit).empty() && caption(LineRole::status).empty(),
              "the display clear empties TXD and STATUS");
  }

  void emptyReply() { reply_.empty(); }

  void checkInvariants() {
    const std::string& rxd = caption(LineRole::receive);
    require(rxd.empty() || rxd == kTimedOut || rxd == shown_,
            "the RXD line is empty, timed out, or the last reply shown");
    const std::string& txd = caption(LineRole::transmit);
    require(txd.empty() || txd == pv7100::renderMonitor(line_),
            "the TXD line is empty or shows the last line sent");
  }

  World& world_;
  pv7100::Exchange exchange_;
  bool writesFail_ = false;
  std::string line_;                // the last command line sent
  pv7100::fuzz::ReplyModel reply_;  // what arrived since the reply began, and its rendering
  bool awaiting_ = false;           // a line went out and nothing came back yet
  std::string shown_;               // what the last receive put on the RXD line
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static World world;
  Program program(std::string_view(reinterpret_cast<const char*>(data), size));
  Session session(world);
  while (!program.done()) session.step(program);
  return 0;
}
