// pv7100d's core as a process: what goes on the line and when, against pv7100-sim or against a
// projector the test plays on a pseudo-terminal.
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "tests/daemon/daemon_process.h"
#include "tests/support/pty.h"

namespace pv7100::daemon {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A projector the test plays: each line the daemon sends is handed to `answer`, with its number
// from 0, which says what to send back and after how long.
class PlayedProjector {
 public:
  struct Reply {
    std::chrono::milliseconds after{0};
    std::string bytes;
  };
  using Answer = std::function<Reply(const std::string& line, int number)>;

  explicit PlayedProjector(Answer answer) : answer_(std::move(answer)) {
    thread_ = std::thread([this] { play(); });
  }
  ~PlayedProjector() {
    done_ = true;
    thread_.join();
  }
  const std::string& device() const { return pty_.slavePath(); }
  // When the line numbered `number` came, once it has.
  std::optional<Clock::time_point> cameAt(int number) {
    for (auto end = Clock::now() + 5s; Clock::now() < end; std::this_thread::sleep_for(10ms)) {
      const std::lock_guard lock(mutex_);
      if (std::ssize(times_) > number) return times_[static_cast<std::size_t>(number)];
    }
    return std::nullopt;
  }

 private:
  void play() {
    std::string pending;
    while (!done_) {
      pending += pty_.read(4096, 20ms);
      for (auto end = pending.find('\r'); end != std::string::npos; end = pending.find('\r')) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        int number = 0;
        {
          const std::lock_guard lock(mutex_);
          number = static_cast<int>(times_.size());
          times_.push_back(Clock::now());
        }
        const Reply reply = answer_(line, number);
        std::this_thread::sleep_for(reply.after);
        pty_.write(reply.bytes, 10s);
      }
    }
  }

  testing::Pty pty_;
  Answer answer_;
  std::mutex mutex_;
  std::vector<Clock::time_point> times_;
  std::atomic<bool> done_ = false;
  std::thread thread_;
};

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
  EXPECT_LT(std::stol(line.substr(6)), 64 * 1024) << line;  // kB
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
// it did is what the next question hears.
TEST_F(CoreTest, AMuteChangeOfTwoLinesAnswersWhatItDid) {
  struct Case {
    std::string delay;
    std::string replyTimeout;
    std::string change;  // the answer to AVMT 31
    std::string after;   // the answer to AVMT ? then
    int soundLines;
  };
  for (const Case& c : std::vector<Case>{{"900", "1000", "%1AVMT=OK", "%1AVMT=31", 1},
                                         {"1100", "1500", "%1AVMT=ERR3", "%1AVMT=11", 0}}) {
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
    EXPECT_EQ(pjlink.ask("%1AVMT 31"), c.change) << c.delay;
    EXPECT_EQ(pjlink.ask("%1AVMT ?"), c.after) << c.delay;
    EXPECT_EQ(countOf(readFile(directory + "/traffic.log"), " TX C 0 B CR \n"), c.soundLines);
  }
}

}  // namespace
}  // namespace pv7100::daemon
