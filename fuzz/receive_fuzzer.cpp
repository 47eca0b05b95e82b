// The receive path of a started panel on the test doubles, driven by the input as a little
// program. Each step is one letter and its operands, and the form's invariants are checked
// after every step:
//
//   r N bytes...   the projector sends the next N bytes (fewer when the input ends)
//   l N0 N1 B      the projector sends N0 + 256 * N1 copies of byte B
//   t M            the virtual clock advances by M ms (up to 100), or by (M - 100) * 40 ms
//   c I            click one-shot button I (modulo their number)
//   p I / u I      press / release hold-to-repeat button I (modulo their number)
//   s I            CommandLine becomes status read I (modulo nine)
//   e C0 C1        the serial control raises event code C0 + 256 * C1 (2 counts as 3)
//   m N bytes...   the manual command line gets the next N bytes and "SEND" is clicked
//   d              the window loses the mouse
//   o              writes to the port start failing, or stop failing
//
// Any other byte is skipped.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/form1.h"
#include "fuzz/require.h"
#include "protocol/commands.h"
#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"
#include "tests/support/fake_serial.h"
#include "tests/support/fake_toolkit.h"
#include "widgets/bindings.h"

namespace {

using pv7100::Form1;
using pv7100::ReplyText;
using pv7100::fuzz::require;

constexpr std::array kStatusReads = std::to_array<std::string_view>(
    {"CR0", "CR1", "CR3", "CR4", "CR6", "CR7", "CR9", "CRA", "CR PRESSURE"});

constexpr std::string_view kTimedOut = " X X X X";

class Program {
 public:
  explicit Program(std::string_view bytes) : bytes_(bytes) {}
  bool done() const { return at_ == bytes_.size(); }
  std::uint8_t next() { return done() ? 0 : static_cast<std::uint8_t>(bytes_[at_++]); }
  // Two bytes, the low one first.
  std::uint16_t word() {
    const std::uint8_t low = next();
    return static_cast<std::uint16_t>(low + 256 * next());
  }
  std::string_view take(std::size_t n) {
    const std::string_view taken = bytes_.substr(at_, n);
    at_ += taken.size();
    return taken;
  }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

class Panel {
 public:
  Panel() {
    pv7100::ui::bindHandlers(form_, tk_, serial_);
    form_.Form_Load();
  }

  void step(Program& program) {
    serial_.log.clear();
    serial_.written.clear();
    switch (program.next()) {
      case 'r':
        receive(std::string(program.take(program.next())));
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
        const auto rows = pv7100::oneShotCommands();
        send([&] { tk_.button(rows[program.next() % rows.size()].control).click(); });
        break;
      }
      case 'p': {
        const auto rows = pv7100::repeatCommands();
        send([&] { tk_.button(rows[program.next() % rows.size()].control).press(); });
        break;
      }
      case 'u': {
        const auto rows = pv7100::repeatCommands();
        tk_.button(rows[program.next() % rows.size()].control).release();
        require(form_.ReplyBuffer.text().empty(), "a release empties the reply buffer");
        require(caption("Label12").empty(), "a release empties the RXD line");
        break;
      }
      case 's':
        form_.CommandLine = pv7100::commandLine(kStatusReads[program.next() % kStatusReads.size()]);
        break;
      case 'e': {
        const auto code = static_cast<std::int16_t>(program.word());
        raise(code == pv7100::comEvReceive ? code + 1 : code);
        break;
      }
      case 'm': {
        const std::string_view typed = program.take(program.next());
        tk_.textBox("Text1").setText(std::string(typed));
        send([&] { tk_.button("Command95").click(); });
        break;
      }
      case 'd':
        tk_.window().deactivate();
        break;
      case 'o':
        outputFails_ = !outputFails_;
        if (outputFails_)
          serial_.failOn("Output", "COM1: write refused");
        else
          serial_.succeedOn("Output");
        break;
      default:
        break;
    }
    checkInvariants();
  }

 private:
  const std::string& caption(std::string_view label) { return tk_.label(label).caption(); }

  void receive(const std::string& chars) {
    const std::string before = form_.ReplyBuffer.text();
    const std::size_t droppedBefore = form_.ReplyBuffer.dropped();
    std::int16_t pressureValue = form_.PressureValue;
    serial_.receive(chars);
    const std::string arrived = (before + chars).substr(0, ReplyText::kCapacity);
    require(form_.ReplyBuffer.text() == arrived,
            "the buffer grows by what arrived, up to its capacity");
    require(form_.ReplyBuffer.dropped() ==
                droppedBefore + before.size() + chars.size() - arrived.size(),
            "the buffer counts what it dropped");
    require(form_.AwaitingReply == 0, "a receive event ends the wait");
    shown_ = caption("Label12");
    require(shown_ == form_.ReplyBuffer.monitor(), "the RXD line shows the whole buffer");
    if (const std::optional<std::string> status =
            pv7100::decodeStatus(form_.CommandLine, shown_, pressureValue)) {
      require(caption("Label22") == *status, "the STATUS line shows the decoded reply");
      require(form_.PressureValue == pressureValue, "PressureValue is the decode's");
    }
  }

  void raise(int code) {
    const std::string text = form_.ReplyBuffer.text();
    const std::array lines{caption("Label11"), caption("Label12"), caption("Label22")};
    const std::uint8_t awaiting = form_.AwaitingReply;
    serial_.raise(static_cast<std::int16_t>(code));
    require(form_.ReplyBuffer.text() == text && form_.AwaitingReply == awaiting,
            "an event other than a receive changes nothing");
    require(lines == std::array{caption("Label11"), caption("Label12"), caption("Label22")},
            "an event other than a receive leaves the lines");
  }

  template <typename Action>
  void send(Action action) {
    action();
    require(form_.CommandLine.ends_with(pv7100::kCarriageReturn), "a command line ends in CR");
    require(caption("Label11") == pv7100::renderMonitor(form_.CommandLine),
            "the TXD line shows the line sent");
    require(form_.AwaitingReply == 1, "a send awaits a reply");
    require(tk_.timer("Timer2").enabled() && tk_.timer("Timer4").enabled(),
            "a send opens the reply window and the display clear");
    if (outputFails_)
      require(serial_.written.empty() && !caption("PortNotice").empty(),
              "a refused write is reported");
    else
      require(serial_.written == form_.CommandLine, "the whole line goes out");
  }

  void advance(int ms) {
    const bool windowOpen = tk_.timer("Timer2").enabled();
    const bool clearPending = tk_.timer("Timer4").enabled();
    tk_.clock().advance(ms);
    if (windowOpen && !tk_.timer("Timer2").enabled())
      require(form_.ReplyBuffer.text().empty() && form_.AwaitingReply == 0,
              "a closed reply window empties the buffer");
    if (clearPending && !tk_.timer("Timer4").enabled())
      require(caption("Label11").empty() && caption("Label22").empty(),
              "the display clear empties TXD and STATUS");
  }

  // The buffer's rendering is that of its text. The buffer only grows or empties, so what it
  // held at the last check is not rendered again.
  void checkRendering(const ReplyText& reply) {
    if (!reply.text().starts_with(checkedText_) || !reply.monitor().starts_with(checkedMonitor_)) {
      checkedText_.clear();
      checkedMonitor_ = " ";
    }
    const std::string_view gained = std::string_view(reply.text()).substr(checkedText_.size());
    require(std::string_view(reply.monitor()).substr(checkedMonitor_.size()) ==
                std::string_view(pv7100::renderMonitor(gained)).substr(1),
            "the buffer's rendering is that of its text");
    checkedText_ = reply.text();
    checkedMonitor_ = reply.monitor();
  }

  void checkInvariants() {
    const ReplyText& reply = form_.ReplyBuffer;
    require(reply.text().size() <= ReplyText::kCapacity, "the buffer stays within its capacity");
    checkRendering(reply);
    const std::string& rxd = caption("Label12");
    require(rxd.empty() || rxd == kTimedOut || rxd == shown_,
            "the RXD line is empty, timed out, or the last reply shown");
    require(rxd.size() <= 4 * ReplyText::kCapacity + 1, "the RXD line is bounded");
    require(form_.AwaitingReply <= 1, "AwaitingReply is 0 or 1");
  }

  pv7100::testing::FakeSerial serial_;
  pv7100::testing::FakeToolkit tk_;
  Form1 form_{serial_, tk_};
  bool outputFails_ = false;
  std::string shown_;        // what the last receive event put on the RXD line
  std::string checkedText_;  // the buffer and its rendering at the last check
  std::string checkedMonitor_ = " ";
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Program program(std::string_view(reinterpret_cast<const char*>(data), size));
  Panel panel;
  while (!program.done()) panel.step(program);
  return 0;
}
