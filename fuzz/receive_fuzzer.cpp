// The receive path of a started panel on the test doubles, driven by the input as a little
// program. Each step is one letter and its operands, and what the panel shows is checked after
// every step against a model of the reply kept here:
//
//   r N bytes...   the projector sends the next N bytes (fewer when the input ends)
//   l N0 N1 B      the projector sends N0 + 256 * N1 copies of byte B
//   t M            the virtual clock advances by M ms (up to 100), or by (M - 100) * 40 ms
//   c I            click one-shot button I (modulo their number)
//   p I / u I      press / release hold-to-repeat button I (modulo their number)
//   s I            status read I (modulo nine) goes out from the manual command line
//   m N bytes...   the manual command line gets the next N bytes and is sent
//   e              the open port goes away; a closed one is chosen again as COM1
//   d              the window loses the mouse
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
#include "panel/panel.h"
#include "protocol/commands.h"
#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "protocol/reply_text.h"
#include "protocol/status_decoder.h"
#include "tests/support/fake_serial.h"
#include "tests/support/fake_toolkit.h"

namespace {

using pv7100::ReplyText;
using pv7100::fuzz::Program;
using pv7100::fuzz::require;
using pv7100::ui::ButtonRole;
using pv7100::ui::LineRole;
using pv7100::ui::OptionRole;
using pv7100::ui::TimerRole;

constexpr std::array kStatusReads = std::to_array<std::string_view>(
    {"CR0", "CR1", "CR3", "CR4", "CR6", "CR7", "CR9", "CRA", "CR PRESSURE"});

constexpr std::string_view kTimedOut = " X X X X";
constexpr std::array kMonitorLines{LineRole::transmit, LineRole::receive, LineRole::status};

// The commands of one kind, in table order.
std::vector<const pv7100::Command*> commandsOf(pv7100::CommandKind kind) {
  std::vector<const pv7100::Command*> rows;
  for (const pv7100::Command& row : pv7100::commands()) {
    if (row.kind == kind) rows.push_back(&row);
  }
  return rows;
}

// The panel on its doubles, built and bound once per process: each program starts on a reset
// panel, which costs a tenth of building one, and the model's strings keep their room.
class Session {
 public:
  Session() { reset(); }

  // A started panel, as a program finds it. Done at the end of each program, so that what a
  // program allocates is freed before it returns: libFuzzer takes more allocations than frees
  // in a program for a leak, and runs a costly leak check.
  void reset() {
    serial_.reset();
    tk_.reset();
    panel_.reset();
    panel_.start();
    serial_.log.clear();
    writesFail_ = false;
    held_ = nullptr;
    line_.clear();
    emptyReply();
    awaiting_ = false;
    shown_.clear();
  }

  void step(Program& program) {
    serial_.log.clear();
    serial_.written.clear();
    tk_.window().messages.clear();
    switch (program.next()) {
      case 'r':
        receive(program.take(program.next()));
        break;
      case 'l': {
        const std::size_t count = program.word();
        receive(std::string(count, static_cast<char>(program.next())));
        break;
      }
      case 't': {
        const int m = program.next();
        advance(m <= 100 ? m : (m - 100) * 40);
        break;
      }
      case 'c': {
        const pv7100::Command& row = pick(pv7100::CommandKind::oneShot, program.next());
        send(row.code, [&] { tk_.command(row.name).click(); });
        break;
      }
      case 'p': {
        const pv7100::Command& row = pick(pv7100::CommandKind::repeat, program.next());
        send(row.code, [&] { tk_.command(row.name).press(); });
        held_ = &row;
        break;
      }
      case 'u': {
        tk_.command(pick(pv7100::CommandKind::repeat, program.next()).name).release();
        holdEnded();
        break;
      }
      case 's':
        sendManually(kStatusReads[program.next() % kStatusReads.size()]);
        break;
      case 'm':
        sendManually(program.take(program.next()));
        break;
      case 'e':
        portEvent();
        break;
      case 'd':
        tk_.window().deactivate();
        if (held_ != nullptr) holdEnded();
        break;
      case 'o':
        writesFail_ = !writesFail_;
        serial_.failWrites(writesFail_);
        break;
      default:
        break;
    }
    checkInvariants();
  }

 private:
  const std::string& caption(LineRole role) { return tk_.line(role).caption(); }
  // The command of kind `kind` that `choice` picks, modulo their number.
  static const pv7100::Command& pick(pv7100::CommandKind kind, std::size_t choice) {
    static const std::vector<const pv7100::Command*> oneShot =
        commandsOf(pv7100::CommandKind::oneShot);
    static const std::vector<const pv7100::Command*> repeat =
        commandsOf(pv7100::CommandKind::repeat);
    const auto& rows = kind == pv7100::CommandKind::oneShot ? oneShot : repeat;
    return *rows[choice % rows.size()];
  }
  pv7100::ui::Timer& timer(TimerRole role) { return tk_.timer(role); }
  std::size_t writeAttempts() const {
    return static_cast<std::size_t>(std::count(serial_.log.begin(), serial_.log.end(), "write"));
  }

  void receive(std::string_view chars) {
    serial_.receive(chars);
    const std::string& rxd = caption(LineRole::receive);
    reply_.grow(chars);
    if (rxd != reply_.rendered() && maybeEmptied_) {
      emptyReply();
      reply_.grow(chars);
    }
    require(rxd == reply_.rendered(),
            "the RXD line shows what arrived since the reply began, up to its capacity");
    maybeEmptied_ = false;
    awaiting_ = false;
    shown_.assign(rxd);
    if (const auto status = pv7100::decodeStatus(line_, rxd))
      require(caption(LineRole::status) == status->text, "the STATUS line shows the decoded reply");
  }

  // `action` sends `code` once.
  template <typename Action>
  void send(std::string_view code, Action action) {
    if (!timer(TimerRole::replyWindow).enabled()) emptyReply();
    action();
    line_ = pv7100::commandLine(code);
    awaiting_ = true;
    require(writeAttempts() == 1, "a send writes once");
    require(line_.ends_with(pv7100::kCarriageReturn), "a command line ends in CR");
    require(caption(LineRole::transmit) == pv7100::renderMonitor(line_),
            "the TXD line shows the line sent");
    require(timer(TimerRole::replyWindow).enabled() && timer(TimerRole::displayClear).enabled(),
            "a send opens the reply window and the display clear");
    if (writesFail_ || !serial_.isOpen())
      require(serial_.written.empty() && caption(LineRole::notice).starts_with("Not sent."),
              "a line that cannot go out is reported");
    else
      require(serial_.written == line_ && caption(LineRole::notice).empty(),
              "the whole line goes out");
  }

  void sendManually(std::string_view typed) {
    tk_.commandBox().setText(std::string(typed));
    send(typed, [&] {
      static_cast<pv7100::testing::FakeButton&>(tk_.button(ButtonRole::sendLine)).click();
    });
  }

  void holdEnded() {
    held_ = nullptr;
    emptyReply();
    awaiting_ = false;
    require(caption(LineRole::receive).empty() && caption(LineRole::transmit).empty(),
            "the end of a hold empties the TXD and RXD lines");
    require(!timer(TimerRole::repeat).enabled() && !timer(TimerRole::replyWindow).enabled(),
            "the end of a hold stops the repeat and closes the reply window");
  }

  void portEvent() {
    for (std::size_t i = 0; i < kMonitorLines.size(); ++i)
      lines_[i].assign(caption(kMonitorLines[i]));
    if (serial_.isOpen()) {
      serial_.lose();
      require(!caption(LineRole::notice).empty() && tk_.window().messages.size() == 1,
              "a lost port is reported on the notice line and in a box");
    } else {
      static_cast<pv7100::testing::FakeOption&>(tk_.option(OptionRole::com1)).click();
      require(serial_.isOpen() && caption(LineRole::notice).empty(),
              "choosing COM1 opens the port again");
    }
    for (std::size_t i = 0; i < kMonitorLines.size(); ++i)
      require(lines_[i] == caption(kMonitorLines[i]), "the port's events leave the monitor lines");
  }

  // Only a held button sends on its own. A tick of the reply window empties the reply, and a
  // repeat send in a closed window opens it again: when the window is open before and after,
  // a send in between may hide a close, and the next receive tells which it was.
  void advance(int ms) {
    const bool windowOpen = timer(TimerRole::replyWindow).enabled();
    const bool clearPending = timer(TimerRole::displayClear).enabled();
    // Only needed when nothing runs that could change it.
    if (!windowOpen && !clearPending) rxd_.assign(caption(LineRole::receive));
    tk_.clock().advance(ms);
    const bool sent = writeAttempts() > 0;
    const bool openNow = timer(TimerRole::replyWindow).enabled();
    if (sent) {
      require(held_ != nullptr, "only a held button sends on its own");
      line_ = pv7100::commandLine(held_->code);
      awaiting_ = true;
    }
    if (openNow != windowOpen || (!openNow && sent)) {
      emptyReply();
    } else if (openNow && sent) {
      maybeEmptied_ = true;
    }
    const bool cleared = clearPending && !timer(TimerRole::displayClear).enabled();
    if (windowOpen && !openNow && !sent && awaiting_)
      require(caption(LineRole::receive) == kTimedOut ||
                  (cleared && caption(LineRole::receive).empty()),
              "a window with no reply times out");
    if (windowOpen && !openNow && !sent) awaiting_ = false;
    if (!sent && !openNow && !windowOpen && !clearPending)
      require(caption(LineRole::receive) == rxd_, "with nothing running the RXD line stays");
    if (cleared)
      require(caption(LineRole::transmit).empty() && caption(LineRole::status).empty(),
              "the display clear empties TXD and STATUS");
  }

  void emptyReply() {
    reply_.empty();
    maybeEmptied_ = false;
  }

  void checkInvariants() {
    const std::string& rxd = caption(LineRole::receive);
    require(rxd.empty() || rxd == kTimedOut || rxd == shown_,
            "the RXD line is empty, timed out, or the last reply shown");
    require(rxd.size() <= 4 * ReplyText::kCapacity + 1, "the RXD line is bounded");
    const std::string& txd = caption(LineRole::transmit);
    require(txd.empty() || txd == pv7100::renderMonitor(line_),
            "the TXD line is empty or shows the last line sent");
    if (held_ != nullptr)
      require(timer(TimerRole::repeat).enabled(), "a held button keeps the repeat running");
  }

  pv7100::testing::FakeSerial serial_;
  pv7100::testing::FakeToolkit tk_;
  // What a lost port's notice says is no part of what is checked here.
  static std::string portText(int, const pv7100::PortError& error) { return error.what(); }
  pv7100::Panel panel_{
      serial_, tk_, pv7100::PortDevices{"/dev/ttyS0", "/dev/ttyS1"}, {portText, portText}};
  bool writesFail_ = false;
  const pv7100::Command* held_ = nullptr;  // the button held down, if any
  std::string line_;                       // the last command line sent
  pv7100::fuzz::ReplyModel reply_;         // what arrived since the reply began, and its rendering
  bool maybeEmptied_ = false;  // a close hidden by a repeat send may have emptied reply_
  bool awaiting_ = false;      // a line went out and nothing came back yet
  std::string shown_;          // what the last receive put on the RXD line
  // Room kept from program to program for what a step copies.
  std::string rxd_;
  std::array<std::string, 3> lines_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Program program(std::string_view(reinterpret_cast<const char*>(data), size));
  static Session session;
  while (!program.done()) session.step(program);
  session.reset();
  return 0;
}
