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
using Lines = std::vector<std::string>;

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
  Lines heard;

 private:
  void note(const std::string& what) {
    heard.push_back(std::to_string(clock_.elapsed()) + " " + what);
  }
  testing::VirtualCoreClock& clock_;
  Answer answer_;
  std::vector<std::unique_ptr<CoreTimer>> replies_;
};

// What a test does at a moment.
struct Step {
  long long at;
  std::function<void(Projector&, PlayedPort&)> act;
};

// A projector's core on its own clock and port, opened at time 0.
struct Core {
  Core(Answer answer, PollSettings poll = {}, std::chrono::milliseconds timeout = 1000ms)
      : port(clock, std::move(answer)),
        projector(PortSettings{.device = "/dev/ttyS9",
                               .line = {},
                               .logFile = {},
                               .sharedAt = {},
                               .replyTimeout = timeout},
                  poll, log, &port, clock) {
    projector.start();
  }
  // Runs the steps each at its moment, then the clock up to `until`.
  void run(const std::vector<Step>& steps, long long until) {
    for (const Step& step : steps) {
      clock.advance(step.at - clock.elapsed());
      step.act(projector, port);
    }
    clock.advance(until - clock.elapsed());
  }
  // The lines heard that start with `code`, every line for "".
  Lines heard(const std::string& code = "") const {
    Lines lines;
    for (const std::string& line : port.heard)
      if (line.substr(line.find(' ') + 1).starts_with(code)) lines.push_back(line);
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
    Reply state;
    PollSettings poll;
    long long until;
    std::string code;
    Lines expected;
  };
  const PollSettings details{.detailInterval = 60s};
  for (const Case& c : std::vector<Case>{
           {{0, "80\r"},
            {},
            21'000,
            "",
            {"0 open", "0 CR0", "1000 CR1", "2000 CRA", "3000 CR3", "4000 CR9", "10000 CR0",
             "20000 CR0"}},
           {{0, "40\r"}, {}, 7'500, "CR0", {"0 CR0", "5000 CR0", "6000 CR0", "7000 CR0"}},
           {{0, "80\r"}, {}, 62'000, "CR1", {"1000 CR1", "31000 CR1", "61000 CR1"}},
           {{0, "80\r"}, {}, 64'000, "CR3", {"3000 CR3", "63000 CR3"}},
           {{0, "80\r"},
            details,
            9'000,
            "CR",
            {"0 CR0", "1000 CR1", "2000 CRA", "3000 CR3", "4000 CR9", "5000 CR6",
             "6000 CR PRESSURE", "7000 CR7", "8000 CR4"}},
           {{0, "80\r"}, details, 66'000, "CR6", {"5000 CR6", "65000 CR6"}}}) {
    Core core([&](const std::string& line) { return line == "CR0" ? c.state : standingBy(line); },
              c.poll);
    core.run({}, c.until);
    EXPECT_EQ(core.heard(c.code), c.expected) << c.state.bytes << c.code;
  }
}

// A line without its reply ends at the reply time-out, and nothing goes out until the line has
// been quiet for one more: a late reply restarts the quiet, and is logged and dropped. A line
// queued meanwhile waits for the quiet and gets its own reply.
TEST(CoreTiming, AfterATimeOutTheLineWaitsForTheQuiet) {
  struct Case {
    long long lateBy;  // the first CR0's reply this late, none when < 0
    std::chrono::milliseconds timeout;
    Lines expected;
    std::string event;
  };
  for (const Case& c :
       std::vector<Case>{{-1, 1000ms, {"0 open", "0 CR0", "2000 C00"}, ""},
                         {-1, 500ms, {"0 open", "0 CR0", "1000 C00"}, ""},
                         {1300,
                          1000ms,
                          {"0 open", "0 CR0", "2300 C00"},
                          "pv7100d: dropped a reply that came late or unasked: 8 0 CR"}}) {
    int number = 0;
    Core core(
        [&](const std::string& line) {
          if (number++ == 0) return c.lateBy < 0 ? Reply{} : Reply{c.lateBy, "80\r"};
          return standingBy(line);
        },
        {}, c.timeout);
    std::string reply;
    ::testing::internal::CaptureStderr();
    core.run({{c.timeout.count() + 100,
               [&](Projector& p, PlayedPort&) {
                 p.commands().passLine("C00", [&](const PortOwner::Result& r) { reply = r.reply; });
               }}},
             3500);
    const std::string events = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(Lines(core.port.heard.begin(), core.port.heard.begin() + 3), c.expected) << c.lateBy;
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
  Lines seen;
  const auto see = [&](Projector& p, PlayedPort&) {
    seen.push_back(std::to_string(core.clock.elapsed()) +
                   (p.document().answering ? " answering" : " silent") +
                   (p.document().power ? " standby" : ""));
  };
  core.port.failOpening("/dev/ttyS9", PortFault::gone);
  core.port.lose();
  core.run({{4500, [](Projector&, PlayedPort& port) { port.failOpening("/dev/ttyS9", {}); }},
            {6100, see},
            {6300, see},
            {6900, [](Projector&, PlayedPort& port) { port.lose(); }},
            {6900, see},
            {9000, see},
            {9200, see},
            {10901, see}},
           11'000);
  EXPECT_EQ(core.heard(), (Lines{"0 open", "2000 open", "4000 open", "6000 open", "6000 CR0",
                                 "8900 open", "8900 CR0", "9900 CR1"}));
  EXPECT_EQ(seen, (Lines{"6100 silent", "6300 answering standby", "6900 silent", "9000 silent",
                         "9200 answering standby", "10901 silent"}));
}

// A hold repeats its line at the command's pace (105 ms for the zoom) until its lease is over;
// a busy client's lines go back to back. Either way the reads not yet answered since the
// opening go between two held lines, one at a time, and are not starved.
TEST(CoreTiming, HeldLinesKeepTheirPaceAndReadsGoBetween) {
  struct Case {
    long long replyAfter;  // the projector's time for a held line
    std::function<void(Projector&)> hold;
    Lines expected;
  };
  // A client of the local socket that sends its next line as soon as the last is answered.
  std::function<void(Projector&)> client = [&](Projector& p) {
    p.commands().passLine("CR PRESSURE", [&p, &client](const PortOwner::Result&) {
      if (p.port().isOpen()) client(p);
    });
  };
  for (const Case& c : std::vector<Case>{
           {0,
            [](Projector& p) { p.commands().hold("zoom-plus", 1000ms, nullptr); },
            {"550 C47", "655 C47", "760 C47", "865 C47", "970 C47", "1000 CR1", "1075 C47",
             "1180 C47", "1285 C47", "1390 C47", "1495 C47", "2000 CRA"}},
           {100,
            client,
            {"550 CR PRESSURE", "650 CR PRESSURE", "750 CR PRESSURE", "850 CR PRESSURE",
             "950 CR PRESSURE", "1050 CR1", "1050 CR PRESSURE", "1150 CR PRESSURE",
             "1250 CR PRESSURE", "1350 CR PRESSURE", "1450 CR PRESSURE", "1550 CR PRESSURE",
             "1650 CR PRESSURE", "1750 CR PRESSURE", "1850 CR PRESSURE", "1950 CR PRESSURE",
             "2050 CRA", "2050 CR PRESSURE"}}}) {
    Core core([&](const std::string& line) {
      return line.starts_with("CR") && line != "CR PRESSURE" ? standingBy(line)
                                                             : Reply{c.replyAfter, "\x06"};
    });
    core.run({{550, [&](Projector& p, PlayedPort&) { c.hold(p); }},
              {2100, [](Projector& p, PlayedPort&) { p.stop(); }}},
             2100);
    const Lines heard = core.heard();
    EXPECT_EQ(Lines(heard.begin() + 2, heard.end()), c.expected) << c.replyAfter;
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
  Lines seen;
  const auto see = [&](Projector& p, PlayedPort&) {
    const std::optional<bool> mute = p.document().pictureMute;
    seen.push_back(std::to_string(core.clock.elapsed()) + (!mute   ? " null"
                                                           : *mute ? " on"
                                                                   : " off"));
  };
  core.run({{4999, see},
            {5000, [](Projector& p, PlayedPort&) { p.commands().passLine("C0D", nullptr); }},
            {5001, see},
            {6201, see}},
           6300);
  EXPECT_EQ(core.heard("C"), (Lines{"0 CR0", "1000 CR1", "2000 CRA", "3000 CR3", "4000 CR9",
                                    "5000 C0D", "5000 CRA"}));
  EXPECT_EQ(seen, (Lines{"4999 off", "5001 on", "6201 on"}));
}

}  // namespace
}  // namespace pv7100::daemon

// The core's next turns are Qt's posted events: they need an application.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
