// pv7100d's core as a process: what goes on the line and when, against pv7100-sim or against a
// projector the test plays on a pseudo-terminal.
#include <atomic>
#include <thread>

#include "tests/daemon/daemon_process.h"

namespace pv7100::daemon {
namespace {

using Clock = std::chrono::steady_clock;

// What a projector in stand-by answers.
PlayedProjector::Reply standingBy(const std::string& line) {
  if (line == "CR0") return {0ms, "80\r"};
  if (line == "CR1") return {0ms, "1\r"};
  if (line == "CR3") return {0ms, "1234\r"};
  if (line == "CRA") return {0ms, "FF\r"};
  return {0ms, "PV7100\r"};
}

class CoreTest : public DaemonTest {};

// The quiet after a time-out keeps a reply still on its way from becoming the next line's: a
// line queued while the late reply comes waits until the line has been quiet.
TEST_F(CoreTest, ALineQueuedWhileALateReplyComesWaitsForTheQuiet) {
  PlayedProjector projector([](const std::string& line, int number) -> PlayedProjector::Reply {
    if (number == 0) return {1300ms, "80\r"};
    return line == "C00" ? PlayedProjector::Reply{0ms, "\x06"} : standingBy(line);
  });
  Daemon daemon({"--port", projector.device()});
  const auto first = projector.cameAt(0);
  ASSERT_TRUE(first);
  std::this_thread::sleep_until(*first + 1100ms);
  Client client(daemon.socket());
  EXPECT_EQ(client.ask("C00"), "\x06");
  EXPECT_NE(daemon.events().find("dropped a reply that came late or unasked: 8 0 CR"), Daemon::npos)
      << daemon.events();
}

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

// A client that reads ten times a second keeps its pace, and the daemon's first reads still
// get their turn between its lines: PJLink questions are answered, not failed.
TEST_F(CoreTest, ReadsGoBetweenTheLinesOfABusyClient) {
  SimulatedProjector projector(link_, {});
  const std::string log = temporaryDirectory() + "/traffic.log";
  Daemon daemon({"--port", link_, "--log", log});
  std::atomic<bool> asking = true;
  std::thread busy([&] {
    Client reader(daemon.socket());
    for (auto next = Clock::now(); asking; next += 100ms) {
      reader.ask("CR PRESSURE");
      std::this_thread::sleep_until(next + 100ms);
    }
  });
  Client pjlink(daemon.port());
  pjlink.line();
  for (const auto& [request, reply] : std::vector<std::pair<std::string, std::string>>{
           {"%1INPT ?", "%1INPT=11"}, {"%1AVMT ?", "%1AVMT=30"}, {"%1LAMP ?", "%1LAMP=1234 0"}})
    EXPECT_EQ(pjlink.ask(request), reply);
  asking = false;
  busy.join();
  std::istringstream traffic(readFile(log));
  int between = 0;
  int most = 0;
  for (std::string line; std::getline(traffic, line);) {
    if (line.find(" TX ") == std::string::npos) continue;
    between = line.find("P R E S S U R E") != std::string::npos ? 0 : between + 1;
    most = std::max(most, between);
  }
  EXPECT_EQ(most, 1) << readFile(log);
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

// What an acknowledgement tells shows at once, however slow the read after it: a picture mute
// set through the socket is in the state document before the projector answers that read.
TEST_F(CoreTest, AMuteShowsFromItsAcknowledgementBeforeTheReadAfterIt) {
  std::atomic<bool> muted = false;
  PlayedProjector projector([&](const std::string& line, int) -> PlayedProjector::Reply {
    if (line == "C0D") muted = true;
    if (line == "C0D") return {0ms, "\x06"};
    if (line == "CRA") return {muted ? 1200ms : 0ms, muted ? "01\r" : "00\r"};
    return line == "CR0" ? PlayedProjector::Reply{0ms, "00\r"} : standingBy(line);
  });
  const std::string settings = temporaryDirectory() + "/slow.conf";
  std::ofstream(settings) << "reply-timeout = 1500\n";
  const int web = freePort();
  Daemon daemon({"--port", projector.device(), "--config", settings, "--http",
                 "127.0.0.1:" + std::to_string(web)});
  const auto mutes = [&] {
    const std::string state = httpGet(web, "/api/state");
    const std::size_t at = state.find("\"picture_mute\"");
    return at == std::string::npos ? state : state.substr(at, state.find(',', at) - at);
  };
  for (int i = 0; i < 50 && mutes() != "\"picture_mute\": false"; ++i) ::poll(nullptr, 0, 100);
  Client socket(daemon.socket());
  EXPECT_EQ(socket.ask("C0D"), "\x06");
  EXPECT_EQ(mutes(), "\"picture_mute\": true") << daemon.events();
}

}  // namespace
}  // namespace pv7100::daemon
