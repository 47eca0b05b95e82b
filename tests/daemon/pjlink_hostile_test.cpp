// pv7100d's PJLink face against clients that misbehave or attack: a process on pv7100-sim,
// its clients plain sockets.
#include "daemon/pjlink_text/digest.h"
#include "tests/daemon/daemon_process.h"

namespace pv7100::daemon {
namespace {

using Clock = std::chrono::steady_clock;

class PjlinkHostileTest : public ::testing::Test {
 protected:
  std::string link_ = temporaryDirectory() + "/projector";
  SimulatedProjector projector_{link_, {}};
  std::string passwordFile_ = temporaryDirectory() + "/password";
  PjlinkHostileTest() { std::ofstream(passwordFile_) << "JBMIAProjectorLink\n"; }
};

TEST_F(PjlinkHostileTest, ADribbledRequestIsClosedAtItsDeadlineWholeOnesKeepTheirClient) {
  Daemon daemon({"--port", link_});
  Client dribbler(daemon.port());
  Client steady(daemon.port());
  dribbler.line();
  steady.line();
  const auto start = Clock::now();
  std::string answer;
  for (const char c : std::string("%1POWR ?\r")) {
    dribbler.send(std::string(1, c));
    EXPECT_EQ(steady.ask("%1CLSS ?"), "%1CLSS=2");
    if (!(answer = dribbler.line(800ms)).empty()) break;
  }
  EXPECT_EQ(answer, "(closed)");
  EXPECT_GT(Clock::now() - start, 4500ms);
  EXPECT_LT(Clock::now() - start, 6500ms);
  {
    // Its replies find the connection reset: the first write fails, nothing more is written.
    Client gone(daemon.port());
    gone.line();
    gone.send("%1POWR ?\r%1CLSS ?\r%1CLSS ?\r");
    gone.resetAtEnd();
  }
  EXPECT_EQ(askUntil(steady, "%1POWR ?", "%1POWR=0"), "%1POWR=0");
  EXPECT_EQ(daemon.events().find("QIODevice"), Daemon::npos) << daemon.events();
}

TEST_F(PjlinkHostileTest, FromTheFourthWrongPasswordATryWaitsAndTheyAreToldPerNetwork) {
  Daemon daemon({"--port", link_, "--password-file", passwordFile_});
  auto expectTry = [&](const std::string& password, const std::string& answer, auto waits) {
    Client client(daemon.port());
    client.send(pjlinkDigest(client.line().substr(9), password) + "%1CLSS ?\r");
    const auto start = Clock::now();
    EXPECT_EQ(client.line(6s), answer);
    EXPECT_GT(Clock::now() - start, waits - 100ms) << answer;
    EXPECT_LT(Clock::now() - start, waits + 900ms) << answer;
  };
  for (int i = 0; i < 4; ++i) expectTry("guess", "PJLINK ERRA", i < 3 ? 0ms : 2000ms);
  expectTry("JBMIAProjectorLink", "%1CLSS=2", 4000ms);
  const std::string told = "3 wrong passwords from 127.0.0.0/24, each connection closed";
  for (int i = 0; i < 20 && daemon.events().find(told) == Daemon::npos; ++i)
    ::poll(nullptr, 0, 100);
  EXPECT_EQ(countOf(daemon.events(), "wrong password"), 2) << daemon.events();
  EXPECT_NE(daemon.events().find(told + "; the next try from 127.0.0.0/24 waits 4 s"),
            Daemon::npos);
}

TEST_F(PjlinkHostileTest, LfLinesRepeatedDigestsAndLongPipelinesAreAnsweredInOrder) {
  Daemon daemon({"--port", link_, "--password-file", passwordFile_});
  Client client(daemon.port());
  const std::string digest = pjlinkDigest(client.line().substr(9), "JBMIAProjectorLink");
  client.send(digest + "%1CLSS ?\n" + digest + "%1INF2 ?\r\n%1INF1 ?\n");
  for (const char* reply : {"%1CLSS=2", "%1INF2=PV7100", "%1INF1=QUIVA"})
    EXPECT_EQ(client.line(), reply);
  std::string pipelined;
  for (int i = 0; i < 150; ++i) pipelined += "%1CLSS ?\r%1INF2 ?\n";
  client.send(pipelined);
  int inOrder = 0;
  for (int i = 0; i < 150; ++i)
    inOrder += client.line() == "%1CLSS=2" && client.line() == "%1INF2=PV7100";
  EXPECT_EQ(inOrder, 150);
}

}  // namespace
}  // namespace pv7100::daemon
