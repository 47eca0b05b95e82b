// pv7100d's core as a process, against pv7100-sim or against a projector the test plays on a
// pseudo-terminal. Its timing rules are tested in process, on a virtual clock
// (core_timing_test.cpp).
#include "tests/daemon/daemon_process.h"

namespace pv7100::daemon {
namespace {

// What a projector in stand-by answers.
PlayedProjector::Reply standingBy(const std::string& line) {
  if (line == "CR0") return {0ms, "80\r"};
  if (line == "CR1") return {0ms, "1\r"};
  if (line == "CR3") return {0ms, "1234\r"};
  if (line == "CRA") return {0ms, "FF\r"};
  return {0ms, "PV7100\r"};
}

class CoreTest : public DaemonTest {};

// Megabytes without a CR cost neither memory nor the journal nor the disk: they are counted,
// and the line is in step again at the next CR.
TEST_F(CoreTest, AnOverlongReplyIsCountedAndDroppedUpToTheNextEnd) {
  PlayedProjector projector([](const std::string& line, int number) -> PlayedProjector::Reply {
    if (number == 0) return {0ms, std::string(4 << 20, 'A') + "\r"};
    return standingBy(line);
  });
  const std::string log = temporaryDirectory() + "/traffic.log";
  Daemon daemon({"--port", projector.device(), "--log", log});
  Client client(daemon.port());
  client.line();
  EXPECT_EQ(askUntil(client, "%1POWR ?", "%1POWR=0"), "%1POWR=0");
  const std::string events = daemon.events();
  EXPECT_NE(events.find(" bytes of an over-long reply\n"), Daemon::npos) << events;
  EXPECT_LT(events.size(), 4096u);
  EXPECT_LT(readFile(log).size(), 16384u);
  std::ifstream status("/proc/" + std::to_string(daemon.process().pid()) + "/status");
  std::string line;
  while (std::getline(status, line) && !line.starts_with("VmHWM:")) continue;
#ifdef PV7100_SANITIZED
  // AddressSanitizer's shadow and its quarantine of freed blocks alone take the daemon near 64 MB.
  constexpr long kPeak = 96 * 1024;
#else
  constexpr long kPeak = 64 * 1024;
#endif
  EXPECT_LT(std::stol(line.substr(6)), kPeak) << line;  // kB
}

// What a command changed is read again whichever face sent it: an input chosen through the
// socket shows at once.
TEST_F(CoreTest, AnInputChosenThroughTheSocketShowsAtOnce) {
  SimulatedProjector projector(link_, {"--count-down", "0"});
  Daemon daemon({"--port", link_});
  Client pjlink(daemon.port());
  pjlink.line();
  EXPECT_EQ(pjlink.ask("%1POWR 1"), "%1POWR=OK");
  EXPECT_EQ(askUntil(pjlink, "%1POWR ?", "%1POWR=1"), "%1POWR=1");
  EXPECT_EQ(pjlink.ask("%1INPT ?"), "%1INPT=11");
  Client socket(daemon.socket());
  EXPECT_EQ(socket.ask("C06"), "\x06");
  EXPECT_EQ(pjlink.ask("%1INPT ?"), "%1INPT=12");
}

// A mute change of two lines starts its second only when it can end within PJLink's 2 s; what
// it did is what the next question hears. A second line left out that was in effect already
// leaves the projector as asked.
TEST_F(CoreTest, AMuteChangeOfTwoLinesAnswersWhatItDid) {
  struct Case {
    std::string delay;
    std::string replyTimeout;
    std::string before;  // a change made first, "" for none
    std::string change;  // then this
    std::string answer;  // its answer
    std::string after;   // the answer to AVMT ? then
    int soundLines;
  };
  for (const Case& c :
       std::vector<Case>{{"700", "1000", "", "%1AVMT 31", "%1AVMT=OK", "%1AVMT=31", 1},
                         {"1100", "1500", "", "%1AVMT 31", "%1AVMT=ERR3", "%1AVMT=11", 0},
                         {"1100", "1500", "%1AVMT 11", "%1AVMT 30", "%1AVMT=OK", "%1AVMT=30", 0}}) {
    SimulatedProjector projector(link_, {"--count-down", "0", "--delay", c.delay});
    const std::string directory = temporaryDirectory();
    // The state read every minute: the line is quiet when the change comes.
    std::ofstream(directory + "/slow.conf")
        << "reply-timeout = " << c.replyTimeout << "\npoll-interval = 60000\n";
    Daemon daemon({"--port", link_, "--log", directory + "/traffic.log", "--config",
                   directory + "/slow.conf"});
    Client pjlink(daemon.port());
    pjlink.line();
    for (const char* request : {"%1POWR ?", "%1LAMP ?", "%1INFO ?", "%1INPT ?", "%1AVMT ?"})
      pjlink.ask(request);
    EXPECT_EQ(pjlink.ask("%1POWR 1"), "%1POWR=OK");
    EXPECT_EQ(askUntil(pjlink, "%1POWR ?", "%1POWR=1", 10s), "%1POWR=1");
    EXPECT_EQ(pjlink.ask("%1AVMT ?"), "%1AVMT=30");
    if (!c.before.empty()) {
      EXPECT_EQ(pjlink.ask(c.before), "%1AVMT=OK");
      EXPECT_EQ(pjlink.ask("%1AVMT ?"), "%1AVMT=11");
    }
    EXPECT_EQ(pjlink.ask(c.change), c.answer) << c.delay << c.change;
    EXPECT_EQ(pjlink.ask("%1AVMT ?"), c.after) << c.delay << c.change;
    EXPECT_EQ(countOf(readFile(directory + "/traffic.log"), " TX C 0 B CR \n") +
                  countOf(readFile(directory + "/traffic.log"), " TX C 0 C CR \n"),
              c.soundLines);
  }
}

}  // namespace
}  // namespace pv7100::daemon
