// pv7100d's core in process, on a fake port and a virtual clock: the exact lines on the wire
// and the moment each goes out, as docs/pv7100d.md gives them, without waiting.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "daemon/core/projector.h"
#include "tests/support/fake_serial.h"
#include "tests/support/virtual_core_clock.h"

namespace pv7100::daemon {
namespace {

using namespace std::chrono_literals;

// The projector's answer to a line: `bytes`, `after` ms after the line; none when empty.
struct Reply {
  long long after = 0;
  std::string bytes;
};
using Answer = std::function<Reply(const std::string& line)>;

// A projector in stand-by, answering at once.
Reply standingBy(const std::string& line) {
  if (line == "CR0") return {0, "80\r"};
  if (line == "CR1") return {0, "1\r"};
  if (line == "CR3") return {0, "1234\r"};
  if (line == "CRA") return {0, "00\r"};
  return {0, line.starts_with("CR") ? "PV7100\r" : "\x06"};
}

// The port the core drives: each opening and each line noted with its moment ("2000 CR1"), each
// line answered as the test's projector does.
class PlayedPort : public testing::FakeSerial {
 public:
  PlayedPort(testing::VirtualCoreClock& clock, Answer answer)
      : clock_(clock), answer_(std::move(answer)) {}
  void open(const std::string& device, const LineSettings& settings) override {
    note("open");
    FakeSerial::open(device, settings);
  }
  void write(std::string_view bytes) override {
    FakeSerial::write(bytes);
    EXPECT_TRUE(bytes.ends_with('\r')) << bytes;
    note(std::string(bytes.substr(0, bytes.size() - 1)));
    const Reply reply = answer_(std::string(bytes.substr(0, bytes.size() - 1)));
    if (reply.bytes.empty()) return;
    replies_.push_back(clock_.timer(CoreClock::Repeat::once, CoreClock::Precision::precise,
                                    [this, bytes = reply.bytes] { receive(bytes); }));
    replies_.back()->start(std::chrono::milliseconds(reply.after));
  }
  std::vector<std::string> heard;  // "2000 CR1"

 private:
  void note(const std::string& what) {
    heard.push_back(std::to_string(clock_.elapsed()) + " " + what);
  }
  testing::VirtualCoreClock& clock_;
  Answer answer_;
  std::vector<std::unique_ptr<CoreTimer>> replies_;
};

// A projector's core on its own clock and port, opened at time 0.
struct Core {
  Core(Answer answer, PollSettings poll = {}, std::chrono::milliseconds timeout = 1000ms)
      : port(clock, std::move(answer)),
        projector({"/dev/ttyS9", {}, {}, {}, timeout}, poll, log, &port, clock) {
    projector.start();
  }
  void runTo(long long ms) { clock.advance(ms - clock.elapsed()); }
  // The lines heard that start with `code`: "0 CR0, 1000 CR1".
  std::string heard(std::string_view code = "") const {
    std::string lines;
    for (const std::string& line : port.heard)
      if (line.substr(line.find(' ') + 1).starts_with(code))
        lines += (lines.empty() ? "" : ", ") + line;
    return lines;
  }

  testing::VirtualCoreClock clock;
  EventLog log{clock};
  PlayedPort port;
  Projector projector;
};

// The reads at an opening one a second, the state first; then the state every 10 s, every
// second while counting down, input and mutes every 30 s, lamp hours and details every 60 s.
TEST(CoreTiming, ReadsKeepTheirPace) {
  struct Case {
    std::string state;  // the answer to CR0
    std::chrono::milliseconds details;
    long long until;
    std::string code;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{
           {"80\r", 0ms, 21'000, "",
            "0 open, 0 CR0, 1000 CR1, 2000 CRA, 3000 CR3, 4000 CR9, 10000 CR0, 20000 CR0"},
           {"40\r", 0ms, 7'500, "CR0", "0 CR0, 5000 CR0, 6000 CR0, 7000 CR0"},
           {"80\r", 0ms, 62'000, "CR1", "1000 CR1, 31000 CR1, 61000 CR1"},
           {"80\r", 0ms, 64'000, "CR3", "3000 CR3, 63000 CR3"},
           {"80\r", 60s, 9'000, "CR",
            "0 CR0, 1000 CR1, 2000 CRA, 3000 CR3, 4000 CR9, 5000 CR6, 6000 CR PRESSURE, 7000 CR7, "
            "8000 CR4"},
           {"80\r", 60s, 66'000, "CR6", "5000 CR6, 65000 CR6"}}) {
    Core core(
        [&](const std::string& line) {
          return line == "CR0" ? Reply{0, c.state} : standingBy(line);
        },
        {.detailInterval = c.details});
    core.runTo(c.until);
    EXPECT_EQ(core.heard(c.code), c.expected) << c.state << c.code;
  }
}

// A line without its reply ends at the reply time-out, and nothing goes out until the line has
// been quiet for one more: a late reply restarts the quiet, and is logged and dropped. A line
// queued meanwhile waits for the quiet and gets its own reply.
TEST(CoreTiming, AfterATimeOutTheLineWaitsForTheQuiet) {
  struct Case {
    long long lateBy;  // the first CR0's reply this late, none when < 0
    std::chrono::milliseconds timeout;
    std::string expected;
    std::string event;
  };
  for (const Case& c :
       std::vector<Case>{{-1, 1000ms, "0 CR0, 2000 C00", ""},
                         {-1, 500ms, "0 CR0, 1000 C00", ""},
                         {1300, 1000ms, "0 CR0, 2300 C00",
                          "pv7100d: dropped a reply that came late or unasked: 8 0 CR"}}) {
    int number = 0;
    Core core(
        [&](const std::string& line) {
          if (number++ == 0) return c.lateBy < 0 ? Reply{} : Reply{c.lateBy, "80\r"};
          return standingBy(line);
        },
        {}, c.timeout);
    ::testing::internal::CaptureStderr();
    core.runTo(c.timeout.count() + 100);
    std::string reply;
    core.projector.commands().passLine("C00", [&](const PortOwner::Result& r) { reply = r.reply; });
    core.runTo(3500);
    const std::string events = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(core.heard("C").starts_with(c.expected + ",")) << core.heard();
    EXPECT_EQ(reply, "\x06");
    EXPECT_NE(events.find(c.event), std::string::npos) << events;
  }
}

// A port that goes away, or will not open, is opened again every 2 s. What was read is
// forgotten with the port, or once the projector stops answering; `answering` is true only
// from the first reply after an opening.
TEST(CoreTiming, APortAwayIsOpenedAgainEvery2s) {
  Core core([&core](const std::string& line) {
    if (core.clock.elapsed() > 9500) return Reply{};
    return line == "CR0" ? Reply{200, "80\r"} : standingBy(line);
  });
  std::string seen;
  const auto seeAt = [&](long long ms) {
    core.runTo(ms);
    const StateDocument& document = core.projector.document();
    seen += std::to_string(ms) + (document.answering ? " answering" : " silent") +
            (document.power ? " standby, " : ", ");
  };
  core.port.failOpening("/dev/ttyS9", PortFault::gone);
  core.port.lose();
  core.runTo(4500);
  core.port.failOpening("/dev/ttyS9", std::nullopt);
  seeAt(6100);
  seeAt(6300);
  core.runTo(6900);
  core.port.lose();
  for (const long long ms : {6900, 9000, 9200, 10901}) seeAt(ms);
  EXPECT_EQ(core.heard(),
            "0 open, 2000 open, 4000 open, 6000 open, 6000 CR0, 8900 open, 8900 CR0, 9900 CR1");
  EXPECT_EQ(seen,
            "6100 silent, 6300 answering standby, 6900 silent, 9000 silent, "
            "9200 answering standby, 10901 silent, ");
}

// A hold repeats its line at the command's pace (105 ms for the zoom) until its lease is over;
// a busy client's lines go back to back. Either way a read not yet answered since the opening
// goes between two held lines, one at a time, and is not starved.
TEST(CoreTiming, HeldLinesKeepTheirPaceAndReadsGoBetween) {
  // A client of the local socket that sends its next line as soon as the last is answered.
  std::function<void(Projector&)> client = [&](Projector& p) {
    p.commands().passLine("CR PRESSURE", [&p, &client](const PortOwner::Result&) {
      if (p.port().isOpen()) client(p);
    });
  };
  const std::string busy = ", CR PRESSURE";
  struct Case {
    long long replyAfter;  // the projector's time for a held line
    std::function<void(Projector&)> hold;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{
           {0, [](Projector& p) { p.commands().hold("zoom-plus", 1000ms, nullptr); },
            "550 C47, 655 C47, 760 C47, 865 C47, 970 C47, 1000 CR1, 1075 C47, 1180 C47, "
            "1285 C47, 1390 C47, 1495 C47, 2000 CRA"},
           {100, client,
            "550 CR PRESSURE, 650 CR PRESSURE, 750 CR PRESSURE, 850 CR PRESSURE, "
            "950 CR PRESSURE, 1050 CR1, 1050 CR PRESSURE, 1150 CR PRESSURE, 1250 CR PRESSURE, "
            "1350 CR PRESSURE, 1450 CR PRESSURE, 1550 CR PRESSURE, 1650 CR PRESSURE, "
            "1750 CR PRESSURE, 1850 CR PRESSURE, 1950 CR PRESSURE, 2050 CRA, 2050 CR PRESSURE"}}) {
    Core core([&](const std::string& line) {
      return line.starts_with("CR") && line != "CR PRESSURE" ? standingBy(line)
                                                             : Reply{c.replyAfter, "\x06"};
    });
    core.runTo(550);
    c.hold(core.projector);
    core.runTo(2100);
    core.projector.stop();
    EXPECT_EQ(core.heard().substr(core.heard().find("550 ")), c.expected) << c.replyAfter;
  }
}

// What an acknowledgement tells shows at once, however slow the read after it: a picture mute
// set through the socket is in the state document before the projector answers that read.
TEST(CoreTiming, AMuteShowsFromItsAcknowledgementBeforeTheReadAfterIt) {
  bool muted = false;
  Core core(
      [&](const std::string& line) {
        muted = muted || line == "C0D";
        return line == "CRA" && muted ? Reply{1200, "01\r"} : standingBy(line);
      },
      {}, 1500ms);
  const auto muteAt = [&](long long ms) {
    core.runTo(ms);
    return core.projector.document().pictureMute;
  };
  EXPECT_EQ(muteAt(4999), false);
  core.projector.commands().passLine("C0D", nullptr);
  EXPECT_EQ(muteAt(5001), true);
  EXPECT_EQ(muteAt(6201), true);
  EXPECT_EQ(core.heard("C"), "0 CR0, 1000 CR1, 2000 CRA, 3000 CR3, 4000 CR9, 4999 C0D, 5000 CRA");
}

}  // namespace
}  // namespace pv7100::daemon

// The core's next turns are Qt's posted events: they need an application.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
