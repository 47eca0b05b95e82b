// pv7100d as a process against pv7100-sim on a pseudo-terminal, its clients plain sockets.
#include <csignal>
#include <set>

#include <sys/stat.h>
#include <sys/wait.h>

#include "daemon/options.h"
#include "daemon/pjlink_text/digest.h"
#include "daemon/settings_table.h"
#include "serial/port_lock.h"
#include "tests/daemon/daemon_process.h"

namespace pv7100::daemon {
namespace {

TEST_F(DaemonTest, AnswersEveryQueryAndRefusesWhatIsWrong) {
  SimulatedProjector projector(link_, {});
  Daemon daemon({"--port", link_, "--name", "Hall-A"});
  Client client(daemon.port());
  ASSERT_TRUE(client.connected());
  EXPECT_EQ(client.line(), "PJLINK 0");
  struct Case {
    std::string request;
    std::string reply;
  };
  const std::vector<Case> cases = {
      {"%1POWR ?", "%1POWR=0"},
      {"%1INPT ?", "%1INPT=11"},
      {"%1INST ?", "%1INST=11 12 21 22 23 24 25 31 32 51"},
      {"%1AVMT ?", "%1AVMT=30"},
      {"%1ERST ?", "%1ERST=000000"},
      {"%1LAMP ?", "%1LAMP=1234 0"},
      {"%1NAME ?", "%1NAME=Hall-A"},
      {"%1INF1 ?", "%1INF1=QUIVA"},
      {"%1INF2 ?", "%1INF2=PV7100"},
      {"%1INFO ?", "%1INFO=PV7100 SIM V1.00"},
      {"%1CLSS ?", "%1CLSS=2"},
      {"%1clss ?", "%1CLSS=2"},
      {"%2CLSS ?", "%2CLSS=2"},
      {"%2POWR ?", "%2POWR=0"},
      {"%2INPT ?", "%2INPT=11"},
      {"%2INNM ?32", "%2INNM=DVI(AV HDCP)"},
      {"%2INNM ?24", "%2INNM=S-VIDEO"},
      {"%2INNM ?11", "%2INNM=RGB 1"},
      {"%2INNM ?41", "%2INNM=ERR2"},
      {"%2SVER ?", "%2SVER=PV7100 SIM V1.00"},
      {"%2FREZ ?", "%2FREZ=ERR3"},
      {"%2FREZ 1", "%2FREZ=ERR3"},
      {"%2FREZ 2", "%2FREZ=ERR2"},
      {"%2SVOL 1", "%2SVOL=ERR3"},
      {"%2SVOL ?", "%2SVOL=ERR2"},
      {"%1SVOL 1", "%1SVOL=ERR1"},
      {"%1FREZ ?", "%1FREZ=ERR1"},
      {"%3POWR ?", "%3POWR=ERR1"},
      {"%1POWR 2", "%1POWR=ERR2"},
      {"%1POWR", "%1POWR=ERR2"},
      {"%1INPT 41", "%1INPT=ERR2"},
      {"%1AVMT 40", "%1AVMT=ERR2"},
      {"%1ERST 0", "%1ERST=ERR2"},
      {"%1NAME \x01", "%1NAME=ERR2"},
      {"%1NAME " + std::string(200, 'A'), "%1NAME=ERR2"},
      {"%1INPT 31", "%1INPT=ERR3"},
      {"%1AVMT 31", "%1AVMT=ERR3"},
  };
  for (const Case& c : cases) EXPECT_EQ(client.ask(c.request), c.reply) << c.request;
  // What this projector cannot tell or do.
  for (const std::string command :
       {"MVOL 1", "IRES ?", "RRES ?", "FILT ?", "RLMP ?", "RFIL ?", "SNUM ?"})
    EXPECT_EQ(client.ask("%2" + command), "%2" + command.substr(0, 4) + "=ERR1");
  // Several requests in one packet, and one over several.
  client.send("%1CLSS ?\r%1INF2 ?\r%1IN");
  EXPECT_EQ(client.line(), "%1CLSS=2");
  EXPECT_EQ(client.line(), "%1INF2=PV7100");
  client.send("F1 ?\r");
  EXPECT_EQ(client.line(), "%1INF1=QUIVA");
  EXPECT_EQ(client.ask("POWR ?"), "(closed)");
}

TEST_F(DaemonTest, CountsDownThenIsOnAndRefusesAnInputMeanwhile) {
  SimulatedProjector projector(link_, {"--count-down", "2000", "--cool-down", "2000"});
  const std::string log = temporaryDirectory() + "/traffic.log";
  Daemon daemon({"--port", link_, "--log", log});
  Client client(daemon.port());
  client.line();
  EXPECT_EQ(client.ask("%1POWR 1"), "%1POWR=OK");
  EXPECT_EQ(client.ask("%1POWR ?"), "%1POWR=3");
  EXPECT_EQ(client.ask("%1INPT 31"), "%1INPT=ERR3");
  EXPECT_EQ(client.ask("%2FREZ 1"), "%2FREZ=ERR3");
  EXPECT_EQ(client.ask("%2SVOL 1"), "%2SVOL=ERR3");
  EXPECT_EQ(askUntil(client, "%1POWR ?", "%1POWR=1"), "%1POWR=1");
  EXPECT_EQ(client.ask("%2FREZ ?"), "%2FREZ=ERR3");
  EXPECT_EQ(client.ask("%2FREZ 1"), "%2FREZ=OK");
  EXPECT_EQ(client.ask("%2FREZ ?"), "%2FREZ=1");
  EXPECT_EQ(client.ask("%2SVOL 1"), "%2SVOL=OK");
  EXPECT_EQ(client.ask("%2SVOL 0"), "%2SVOL=OK");
  // A freeze through the socket, as the panel sends it.
  Client socket(daemon.socket());
  EXPECT_EQ(socket.ask("C44"), "\x06");
  EXPECT_EQ(client.ask("%2FREZ ?"), "%2FREZ=0");
  EXPECT_EQ(client.ask("%1INPT 23"), "%1INPT=OK");
  EXPECT_EQ(client.ask("%1INPT ?"), "%1INPT=23");
  EXPECT_EQ(client.ask("%1AVMT 11"), "%1AVMT=OK");
  EXPECT_EQ(client.ask("%1AVMT ?"), "%1AVMT=11");
  EXPECT_EQ(client.ask("%1LAMP ?"), "%1LAMP=1234 1");
  EXPECT_EQ(client.ask("%1POWR 0"), "%1POWR=OK");
  EXPECT_EQ(client.ask("%1POWR ?"), "%1POWR=2");
  EXPECT_EQ(client.ask("%1AVMT ?"), "%1AVMT=30");
  EXPECT_EQ(client.ask("%1POWR 1"), "%1POWR=ERR3");
  EXPECT_EQ(client.ask("%2FREZ 0"), "%2FREZ=ERR3");
  EXPECT_EQ(client.ask("%2FREZ ?"), "%2FREZ=ERR3");
  const std::string traffic = readFile(log);
  for (const char* line : {" TX C 0 0 CR \n", " RX ACK \n", " < %1POWR 1\n", " > %1POWR=OK\n",
                           " TX C 4 3 CR \n", " TX C 0 9 CR \n", " TX C 0 A CR \n"})
    EXPECT_NE(traffic.find(line), std::string::npos) << line << traffic;
}

TEST_F(DaemonTest, TakesSixtyFourClientsAndRefusesMore) {
  SimulatedProjector projector(link_, {});
  Daemon daemon({"--port", link_});
  std::vector<std::unique_ptr<Client>> clients;
  for (int i = 0; i < 64; ++i) {
    clients.push_back(std::make_unique<Client>(daemon.port()));
    ASSERT_EQ(clients.back()->line(), "PJLINK 0") << i;
  }
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Client(daemon.port()).line(), "(closed)");
  for (auto& client : clients) EXPECT_EQ(client->ask("%1POWR ?"), "%1POWR=0");
  // Told once, the rest added up.
  EXPECT_EQ(countOf(daemon.events(), "refused"), 1) << daemon.events();
}

TEST_F(DaemonTest, AuthenticatesWithTheDigestOfSeedAndPassword) {
  EXPECT_EQ(pjlinkDigest("498e4a67", "JBMIAProjectorLink"), "5d8409bc1c3fa39749434aa3a5c38682");
  const std::string passwordFile = temporaryDirectory() + "/password";
  std::ofstream(passwordFile) << "JBMIAProjectorLink\n";
  SimulatedProjector projector(link_, {});
  Daemon daemon({"--port", link_, "--password-file", passwordFile});
  Client right(daemon.port());
  const std::string greeting = right.line();
  ASSERT_EQ(greeting.size(), 17u) << greeting;
  EXPECT_EQ(greeting.substr(0, 9), "PJLINK 1 ");
  EXPECT_EQ(right.ask(pjlinkDigest(greeting.substr(9), "JBMIAProjectorLink") + "%1CLSS ?"),
            "%1CLSS=2");
  EXPECT_EQ(right.ask("%1INF2 ?"), "%1INF2=PV7100");
  Client wrong(daemon.port());
  EXPECT_NE(wrong.line(), greeting);
  EXPECT_EQ(wrong.ask("5d8409bc1c3fa39749434aa3a5c38682%1CLSS ?"), "PJLINK ERRA");
  EXPECT_EQ(wrong.line(), "(closed)");
  Client bare(daemon.port());
  bare.line();
  EXPECT_EQ(bare.ask("%2CLSS ?"), "PJLINK ERRA");
}

TEST_F(DaemonTest, AProjectorGoneIsAFailureUntilItIsBack) {
  auto projector = std::make_unique<SimulatedProjector>(link_, std::vector<std::string>{});
  Daemon daemon({"--port", link_});
  Client client(daemon.port());
  client.line();
  EXPECT_EQ(client.ask("%1POWR ?"), "%1POWR=0");
  projector->stop();
  EXPECT_EQ(askUntil(client, "%1POWR ?", "%1POWR=ERR4", 2s), "%1POWR=ERR4");
  EXPECT_EQ(client.ask("%1POWR 1"), "%1POWR=ERR4");
  EXPECT_EQ(client.ask("%1NAME ?"), "%1NAME=PV7100");
  projector = std::make_unique<SimulatedProjector>(link_, std::vector<std::string>{});
  EXPECT_EQ(askUntil(client, "%1POWR ?", "%1POWR=0"), "%1POWR=0");
  const std::string events = daemon.events();
  EXPECT_NE(events.find("the device is gone; trying again every 2 s"), Daemon::npos) << events;
}

// The next datagram on `fd`, "" when none came within 3 s.
std::string datagram(int fd) {
  pollfd watched{fd, POLLIN, 0};
  if (::poll(&watched, 1, 3000) <= 0) return "";
  char buffer[512];
  const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
  return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : "";
}

TEST_F(DaemonTest, ReopensItsLogOnSighupAndEndsCleanlyOnSigterm) {
  // systemd's end of sd_notify.
  const std::string notifyPath = temporaryDirectory() + "/notify";
  sockaddr_un address = localAddress(notifyPath);
  const int notify = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ASSERT_EQ(::bind(notify, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  SimulatedProjector projector(link_, {});
  const std::string log = temporaryDirectory() + "/traffic.log";
  // An IPv4-mapped address is the IPv4 address it maps.
  Daemon daemon({"--port", link_, "--log", log}, {{"NOTIFY_SOCKET", notifyPath}},
                "[::ffff:127.0.0.1]");
  EXPECT_TRUE(datagram(notify).starts_with("READY=1\nSTATUS=PJLink on 127.0.0.1:"));
  Client client(daemon.port());
  EXPECT_EQ(client.line(), "PJLINK 0");
  ASSERT_EQ(::rename(log.c_str(), (log + ".1").c_str()), 0);
  daemon.process().signal(SIGHUP);
  const std::string reopened = "SIGHUP: reopened the log file " + log + "\n";
  for (int i = 0; i < 50 && daemon.events().find(reopened) == Daemon::npos; ++i)
    ::poll(nullptr, 0, 20);
  EXPECT_EQ(client.ask("%1CLSS ?"), "%1CLSS=2");
  EXPECT_EQ(runCtl({"--port", "unix:" + daemon.socket(), "status", "input"}).status, 0);
  const std::string traffic = readFile(log);
  for (const char* line : {" < %1CLSS ?\n", " TX C R 1 CR \n"})
    EXPECT_NE(traffic.find(line), std::string::npos) << line << traffic;
  EXPECT_NE(daemon.events().find(reopened), Daemon::npos);
  EXPECT_NE(portLockHolder(link_), 0);
  daemon.process().signal(SIGTERM);
  const std::optional<int> status = daemon.process().waitForExit(5s);
  ASSERT_TRUE(status && WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  EXPECT_EQ(portLockHolder(link_), 0);
  EXPECT_NE(daemon.events().find("SIGTERM: stopping"), Daemon::npos);
  EXPECT_EQ(datagram(notify), "STOPPING=1");
  EXPECT_NE(::access(daemon.socket().c_str(), F_OK), 0);
  ::close(notify);
}

TEST_F(DaemonTest, TheSocketCarriesEachClientsWholeLinesAndOnlyItsReplies) {
  SimulatedProjector projector(link_, {});
  const std::string log = temporaryDirectory() + "/traffic.log";
  Daemon daemon({"--port", link_, "--log", log});
  Client half(daemon.socket());
  Client first(daemon.socket());
  Client second(daemon.socket());
  Client pjlink(daemon.port());
  pjlink.line();
  half.send("C4");
  first.send("CR");
  EXPECT_EQ(second.ask("CR1"), "1");
  EXPECT_EQ(pjlink.ask("%1POWR ?"), "%1POWR=0");
  first.send("0\r");
  EXPECT_EQ(first.line(), "80");
  EXPECT_EQ(first.line(300ms), "");
  EXPECT_EQ(half.line(300ms), "");
  const std::string traffic = readFile(log);
  EXPECT_EQ(countOf(traffic, " TX C R 1 CR \n"), 1) << traffic;
  EXPECT_EQ(countOf(traffic, " TX C 4"), 0) << traffic;
  const testing::Finished busy = runCtl({"--port", link_, "status", "state"});
  EXPECT_NE(busy.err.find(", pv7100d) holds it"), std::string::npos) << busy.err;
  EXPECT_NE(busy.err.find("--port unix:" + daemon.socket() + "."), std::string::npos) << busy.err;
  struct stat socket {};
  ASSERT_EQ(::stat(daemon.socket().c_str(), &socket), 0);
  EXPECT_EQ(socket.st_mode & 0777, 0660u);
}

// Sixteen idle clients are as many as it takes: the next one is told so, and pv7100ctl says it
// was turned away rather than that the daemon went away.
TEST_F(DaemonTest, TurnsAwayTheSeventeenthSocketClientSayingWhy) {
  SimulatedProjector projector(link_, {});
  Daemon daemon({"--port", link_});
  std::vector<std::unique_ptr<Client>> clients;
  for (int i = 0; i < 16; ++i) clients.push_back(std::make_unique<Client>(daemon.socket()));
  for (int i = 0; i < 3; ++i) {
    Client extra(daemon.socket());
    EXPECT_EQ(extra.line(), "pv7100d serves as many clients as it takes");
    EXPECT_EQ(extra.line(), "(closed)");
  }
  // Told once, the rest added up.
  EXPECT_EQ(countOf(daemon.events(), "refused"), 1) << daemon.events();
  const testing::Finished away = runCtl({"--port", "unix:" + daemon.socket(), "status", "state"});
  EXPECT_EQ(away.status ? WEXITSTATUS(*away.status) : -1, 3);
  EXPECT_EQ(away.err, "pv7100ctl: unix:" + daemon.socket() +
                          " cannot be opened: pv7100d turned it away (pv7100d serves as many "
                          "clients as it takes). Close a program that uses the socket and try "
                          "again.\n");
  clients.pop_back();
  for (int i = 0; i < 100 && daemon.events().find(" left") == Daemon::npos; ++i)
    ::poll(nullptr, 0, 20);
  EXPECT_EQ(runCtl({"--port", "unix:" + daemon.socket(), "status", "state"}).out,
            "state: Stand by\n");
}

TEST_F(DaemonTest, AButtonHeldThroughTheSocketKeepsItsPaceWhilePjlinkAsks) {
  SimulatedProjector projector(link_, {"--count-down", "0"});
  const std::string log = temporaryDirectory() + "/traffic.log";
  Daemon daemon({"--port", link_, "--log", log});
  const std::string port = "unix:" + daemon.socket();
  EXPECT_EQ(runCtl({"--port", port, "power-on"}).status, 0);
  Client pjlink(daemon.port());
  pjlink.line();
  EXPECT_EQ(askUntil(pjlink, "%1POWR ?", "%1POWR=1"), "%1POWR=1");
  testing::Spawn quiet;
  quiet.quiet = true;
  ChildProcess held({PV7100CTL, "--port", port, "zoom-plus", "--for", "1000"}, quiet);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(runCtl({"--port", port, "status", "state"}).out, "state: Power ON\n");
    EXPECT_EQ(pjlink.ask("%1POWR ?"), "%1POWR=1");
  }
  EXPECT_EQ(held.waitForExit(5s), 0);
  const int sent = countOf(readFile(log), " TX C 4 7 CR \n");
  EXPECT_EQ(sent, 10);
  ::poll(nullptr, 0, 500);
  EXPECT_EQ(countOf(readFile(log), " TX C 4 7 CR \n"), sent);
}

// However few descriptors it is given, the daemon either ends at once saying what it could not
// have, or runs and ends on SIGTERM: it never runs deaf to the signals it has blocked.
TEST_F(DaemonTest, WithTooFewDescriptorsSaysWhatFailedAndNeverRunsDeaf) {
#ifdef PV7100_SANITIZED
  GTEST_SKIP() << "the sanitizers' runtime needs descriptors of its own before the daemon's";
#endif
  std::string said;
  for (int limit = 4; limit < 64; ++limit) {
    const std::string events = temporaryDirectory() + "/stderr";
    ChildProcess daemon({"/bin/sh", "-c", "ulimit -n " + std::to_string(limit) + " && exec \"$@\"",
                         "sh", PV7100D, "--config", "/dev/null", "--port", link_, "--listen",
                         "127.0.0.1:" + std::to_string(freePort()), "--socket",
                         temporaryDirectory() + "/line.sock"},
                        stderrTo(events));
    std::optional<int> status;
    for (int i = 0; i < 100 && !status && readFile(events).find("PJLink on") == Daemon::npos; ++i)
      status = daemon.waitForExit(20ms);
    said += readFile(events);
    if (status) continue;
    daemon.signal(SIGTERM);
    status = daemon.waitForExit(5s);
    ASSERT_TRUE(status) << limit << " descriptors: still running after SIGTERM";
    EXPECT_EQ(WIFEXITED(*status) ? WEXITSTATUS(*status) : -1, 0);
    break;
  }
  EXPECT_NE(said.find("pv7100d: cannot take the signals: signalfd: Too many open files\n"),
            std::string::npos)
      << said;
}

// ser2net serving the projector raw at 19200,8N1 on a free port of 127.0.0.1, as docs/ports.md
// says.
std::unique_ptr<ChildProcess> converter(const std::string& device, int port) {
  const std::string config = temporaryDirectory() + "/ser2net.yaml";
  std::ofstream(config) << "%YAML 1.1\n---\nconnection: &projector\n  accepter: tcp,127.0.0.1,"
                        << port << "\n  connector: serialdev," << device << ",19200n81,local\n";
  testing::Spawn quiet;
  quiet.quiet = true;
  return std::make_unique<ChildProcess>(
      std::vector<std::string>{"/usr/sbin/ser2net", "-n", "-u", "-c", config}, quiet);
}

TEST_F(DaemonTest, ServesAProjectorBehindSer2netAndReopensADroppedConnection) {
  if (::access("/usr/sbin/ser2net", X_OK) != 0) GTEST_SKIP() << "apt install ser2net";
  SimulatedProjector projector(link_, {});
  const int port = freePort();
  auto ser2net = converter(link_, port);
  ::poll(nullptr, 0, 300);
  Daemon daemon({"--port", "tcp:127.0.0.1:" + std::to_string(port)});
  Client client(daemon.port());
  client.line();
  EXPECT_EQ(askUntil(client, "%1POWR ?", "%1POWR=0"), "%1POWR=0");
  EXPECT_EQ(runCtl({"--port", "unix:" + daemon.socket(), "status", "input"}).out,
            "input: Input mode 1\n");
  ser2net.reset();
  EXPECT_EQ(askUntil(client, "%1POWR ?", "%1POWR=ERR4", 3s), "%1POWR=ERR4");
  ser2net = converter(link_, port);
  EXPECT_EQ(askUntil(client, "%1POWR ?", "%1POWR=0"), "%1POWR=0");
  EXPECT_NE(daemon.events().find("the converter closed the connection; trying again every 2 s"),
            Daemon::npos)
      << daemon.events();
}

// A listening local socket at `path`, as another program's.
int serve(const std::string& path) {
  sockaddr_un address = localAddress(path);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(fd, 1);
  return fd;
}

TEST(DaemonUsage, RefusesBadSettingsAndFilesWithTheirExitCodes) {
  const std::string directory = temporaryDirectory();
  const std::string fifo = directory + "/fifo";
  ::mkfifo(fifo.c_str(), 0600);
  std::ofstream(directory + "/large.conf") << std::string(64 * 1024 + 1, '#');
  std::ofstream(directory + "/twice.conf") << "port = /dev/null\nname = A\n\nname = B\n";
  std::ofstream(directory + "/plain") << "kept";
  const int served = serve(directory + "/served.sock");
  const std::vector<std::string> base{"--config", "/dev/null", "--port", "/dev/null"};
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{"--bogus"}, 2, "unknown argument \"--bogus\""},
      {{"--config", "/nonexistent/pv7100d.conf", "--port", "/dev/null"},
       2,
       "the config file /nonexistent/pv7100d.conf does not exist"},
      {{"--config", "/dev/null"}, 2, "no serial port"},
      {{"--baud", "4800"}, 2, "--baud takes 19200 or 9600, not \"4800\""},
      {{"--listen", "0.0.0.0:4352"}, 2, "listening on 0.0.0.0 lets anyone"},
      {{"--listen", "[::ffff:10.1.2.3]:4352"}, 2, "listening on 10.1.2.3 lets anyone"},
      {{"--listen", "127.0.0.1:x"},
       2,
       "--listen: the port takes a whole number from 1 to 65535, not \"x\""},
      {{"--password-file", "/nonexistent"}, 2, "the password file /nonexistent does not exist"},
      {{"--password-file", directory}, 2, "the password file " + directory + " is a directory"},
      {{"--config", "/dev/zero", "--port", "/dev/null"},
       2,
       "the config file /dev/zero is a character device, not a regular file"},
      {{"--config", directory, "--port", "/dev/null"}, 2, directory + " is a directory"},
      {{"--config", fifo, "--port", "/dev/null"}, 2, fifo + " is a FIFO, not a regular file"},
      {{"--config", directory + "/large.conf"}, 2, "is larger than 64 KiB"},
      {{"--config", directory + "/twice.conf"}, 2, "twice.conf: line 4: name is set on line 2"},
      {{"--socket", "/" + std::string(107, 's')},
       2,
       " is 108 bytes long; a local socket's path can be at most 107"},
      {{"--socket", directory + "/plain"}, 3, "a regular file is there, left as it is"},
      {{"--socket", directory}, 3, "a directory is there"},
      {{"--socket", fifo}, 3, "a FIFO is there"},
      {{"--socket", directory + "/served.sock"}, 3, "another program serves it"},
      {{"--http", "0.0.0.0:8080"}, 2, "the web page on 0.0.0.0 lets anyone"},
      {{"--http", "127.0.0.1"}, 2, "--http takes ADDRESS:PORT, such as 127.0.0.1:8080"},
      {{"--http", "127.0.0.1:8080", "--http-certificate", "/dev/null", "--http-key", "/dev/null"},
       2,
       "the http-certificate file /dev/null is a character device, not a regular file"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> argv{PV7100D};
    // A case that names its config file gives the whole command line.
    if (c.args[0] != "--config") argv.insert(argv.end(), base.begin(), base.end());
    argv.insert(argv.end(), {"--listen", "127.0.0.1:" + std::to_string(freePort())});
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    testing::Spawn spawn;
    spawn.captureStderr = true;
    const testing::Finished finished = ChildProcess(argv, spawn).finish(5s);
    EXPECT_EQ(finished.status && WIFEXITED(*finished.status) ? WEXITSTATUS(*finished.status) : -1,
              c.status)
        << c.says;
    EXPECT_NE(finished.err.find(c.says), std::string::npos) << finished.err;
    EXPECT_EQ(std::count(finished.err.begin(), finished.err.end(), '\n'), 1) << finished.err;
  }
  EXPECT_EQ(readFile(directory + "/plain"), "kept");
  ::close(served);
}

TEST(DaemonConfig, ReadsIniAsItsUsersExpect) {
  struct Case {
    std::string text;
    std::string read;  // key=value@line, each followed by a blank, or the error
  };
  const std::vector<Case> cases = {
      {"name = Hall # left\n", "name=Hall@1 "},
      {"name = Hall#1\tA;B\n", "name=Hall#1\tA;B@1 "},
      {"name = Hall\t; left\r\n", "name=Hall@1 "},
      {"\xEF\xBB\xBFport = /dev/ttyUSB0\r\n", "port=/dev/ttyUSB0@1 "},
      {"# a\n; b\n[hall] # c\n\n  baud=9600\nname =\nlisten = a = b",
       "baud=9600@5 name=@6 listen=a = b@7 "},
      {"name = A\nbaud = 9600\nname = B\n", "line 3: name is set on line 1 already"},
      {"port = x\nwords\n", "line 2 is not \"key = value\""},
      {"= x\n", "line 1 has no key before \"=\""},
  };
  for (const Case& c : cases) {
    std::string read;
    try {
      for (const ConfigEntry& entry : parseConfig(c.text))
        read += entry.key + "=" + entry.value + "@" + std::to_string(entry.line) + " ";
    } catch (const UsageError& error) {
      read = error.what();
    }
    EXPECT_EQ(read, c.read) << c.text;
  }
}

// The example config shows every setting, each as a line that pv7100d takes once the "# " before
// it is gone, and nothing else: a setting added to the table and not to the example fails here.
TEST(DaemonConfig, TheExampleShowsEverySettingAsItIsRead) {
  const std::string text = readFile(PV7100_EXAMPLE_CONFIG);
  std::set<std::string> shown;
  std::string uncommented;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    std::string line = text.substr(at, end - at);
    at = end == std::string::npos ? text.size() : end + 1;
    // "# key = value": a setting left at its default.
    if (line.starts_with("# ") && line.find(' ', 2) == line.find(" = ")) line.erase(0, 2);
    const std::size_t equals = line.find(" = ");
    if (!line.starts_with('#') && equals != std::string::npos) shown.insert(line.substr(0, equals));
    uncommented += line + "\n";
  }
  std::set<std::string> table;
  for (const Setting& setting : settingsTable()) table.emplace(setting.key);
  EXPECT_EQ(shown, table);
  const std::string path = temporaryDirectory() + "/hall.conf";
  std::ofstream(path) << uncommented;
  EXPECT_NO_THROW(loadOptions({"--config", path}, [](const std::string& file) {
    return std::optional<std::string>(readFile(file));
  }));
}

}  // namespace
}  // namespace pv7100::daemon
