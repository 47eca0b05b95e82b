// pv7100d on a real mosquitto on loopback, against pv7100-sim, mosquitto_sub and mosquitto_pub
// its other clients.
#include <csignal>
#include <functional>
#include <thread>

#include "tests/daemon/daemon_process.h"

namespace pv7100::daemon {
namespace {

// A folder of the build tree, for the brokers' config files and certificates.
std::string buildDirectory() {
  std::string pattern = PV7100_MQTT_DIR "/XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

bool listening(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = loopback(port);
  const bool up = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return up;
}

// The times of day (ms) of the traffic log's lines that hold `part`.
std::vector<long> timesOf(const std::string& log, const std::string& part) {
  std::vector<long> times;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    if (line.find(part) != std::string::npos)
      times.push_back(((std::stol(line.substr(11, 2)) * 60 + std::stol(line.substr(14, 2))) * 60 +
                       std::stol(line.substr(17, 2))) *
                          1000 +
                      std::stol(line.substr(20, 3)));
  }
  return times;
}

void waitFor(auto done, std::chrono::milliseconds limit = 10s) {
  for (auto end = std::chrono::steady_clock::now() + limit;
       !done() && std::chrono::steady_clock::now() < end;)
    ::poll(nullptr, 0, 50);
}

testing::Spawn quiet() {
  testing::Spawn spawn;
  spawn.quiet = true;
  return spawn;
}

// mosquitto with a config file of its own; stopped and started again on the same port.
class Broker {
 public:
  explicit Broker(std::string settings = "allow_anonymous true\n")
      : config_(buildDirectory() + "/mosquitto.conf") {
    std::ofstream(config_) << "listener " << port << " 127.0.0.1\npersistence false\nuser root\n"
                           << settings;
    start();
  }
  void start() {
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/sbin/mosquitto", "-c", config_}, quiet());
    waitFor([&] { return listening(port); }, 5s);
  }
  void stop() { process_.reset(); }
  const int port = freePort();

 private:
  std::string config_;
  std::unique_ptr<ChildProcess> process_;
};

// mosquitto_sub -v on `filters`: "TOPIC PAYLOAD" lines, kept.
std::vector<std::string> subscriber(const Broker& broker, const std::vector<std::string>& filters,
                                    std::vector<std::string> argv) {
  argv.insert(argv.begin(), {"/usr/bin/mosquitto_sub", "-p", std::to_string(broker.port), "-v"});
  for (const std::string& filter : filters) argv.insert(argv.end(), {"-t", filter});
  return argv;
}

class Watcher {
 public:
  Watcher(const Broker& broker, const std::vector<std::string>& filters,
          std::vector<std::string> options = {})
      : process_(subscriber(broker, filters, std::move(options))) {}
  // The first line seen so far or within `limit` that holds `part`, "" when none did.
  std::string line(const std::string& part, std::chrono::milliseconds limit = 10s) {
    for (auto end = std::chrono::steady_clock::now() + limit;;) {
      for (const std::string& seen : lines_)
        if (seen.find(part) != std::string::npos) return seen;
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return "";
      if (auto next = process_.readLine(left)) lines_.push_back(*next);
    }
  }
  void forget() { lines_.clear(); }
  const std::vector<std::string>& seen() const { return lines_; }

 private:
  ChildProcess process_;
  std::vector<std::string> lines_;
};

void publish(const Broker& broker, const std::string& topic, const std::string& payload,
             bool retain = false) {
  std::vector<std::string> argv = {
      "/usr/bin/mosquitto_pub", "-p", std::to_string(broker.port), "-t", topic, "-m", payload};
  if (retain) argv.push_back("-r");
  ChildProcess(argv, quiet()).waitForExit(5s);
}

// A server on loopback that hands each connection, one at a time, to `serve` on a thread.
class FakeServer {
 public:
  explicit FakeServer(std::function<void(int client)> serve) : serve_(std::move(serve)) {
    sockaddr_in address = loopback(port);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
    thread_ = std::thread([this] {
      for (pollfd ready{listener_, POLLIN, 0}; !stopped;) {
        if (::poll(&ready, 1, 100) <= 0) continue;
        const int client = ::accept(listener_, nullptr, nullptr);
        ++connections;
        serve_(client);
        ::close(client);
      }
    });
  }
  ~FakeServer() {
    stopped = true;
    thread_.join();
    ::close(listener_);
  }
  const int port = freePort();
  std::atomic<int> connections = 0;
  std::atomic<bool> stopped = false;

 private:
  int listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  std::function<void(int)> serve_;
  std::thread thread_;
};

// A broker far away: a proxy to `to` that holds every chunk 200 ms; it closes a connection at
// once while nothing listens at `to`.
void slowly(int to, int client, const std::atomic<bool>& stopped) {
  const int server = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = loopback(to);
  bool open = ::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  for (char buffer[4096]; open && !stopped;) {
    pollfd both[] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    if (::poll(both, 2, 100) <= 0) continue;
    const int from = both[0].revents ? 0 : 1;
    const ssize_t got = ::read(both[from].fd, buffer, sizeof buffer);
    std::this_thread::sleep_for(200ms);
    open = got > 0 && ::send(both[1 - from].fd, buffer, got, MSG_NOSIGNAL) == got;
  }
  ::close(server);
}

std::unique_ptr<SimulatedProjector> simulator(const std::string& link,
                                              std::vector<std::string> options = {}) {
  return std::make_unique<SimulatedProjector>(link, std::move(options));
}

// pv7100d on the projector at `link` and on `broker`, its serial traffic beside the link.
class MqttDaemon : public Daemon {
 public:
  MqttDaemon(const std::string& link, int broker, std::vector<std::string> options)
      : Daemon(with(link, broker, std::move(options))), log_(link + ".log") {}
  MqttDaemon(const std::string& link, const Broker& broker, std::vector<std::string> options)
      : MqttDaemon(link, broker.port, std::move(options)) {}
  std::string traffic() const { return readFile(log_); }

 private:
  static std::vector<std::string> with(const std::string& link, int broker,
                                       std::vector<std::string> options) {
    options.insert(options.begin(), {"--port", link, "--log", link + ".log", "--mqtt",
                                     "127.0.0.1:" + std::to_string(broker)});
    return options;
  }
  std::string log_;
};

// CPU time (ms) the daemon takes in 4 s.
long restingCpuMs(MqttDaemon& daemon) {
  const std::int64_t before = daemon.process().cpuNs();
  ::poll(nullptr, 0, 4000);
  return static_cast<long>((daemon.process().cpuNs() - before) / 1'000'000);
}

class MqttTest : public DaemonTest {
 protected:
  void SetUp() override {
    if (::access("/usr/sbin/mosquitto", X_OK) != 0)
      GTEST_SKIP() << "apt install mosquitto mosquitto-clients";
  }
};

TEST_F(MqttTest, StateThroughCountDownAndCoolDownCommandsHoldsAndRefusals) {
  auto projector = simulator(link_, {"--count-down", "2000", "--cool-down", "2000"});
  Broker broker;
  Watcher watcher(broker, {"pv7100/pv7100/#"});
  MqttDaemon daemon(link_, broker, {});
  EXPECT_NE(watcher.line("pv7100/pv7100/availability online"), "");
  EXPECT_NE(watcher.line("\"power\": \"standby\", \"input\": \"input-1\", \"picture_mute\": false, "
                         "\"sound_mute\": false, \"freeze\": null, \"lamp_hours\": 1234"),
            "");
  publish(broker, "pv7100/pv7100/set", "power-on");
  EXPECT_NE(watcher.line("pv7100/pv7100/result {\"command\": \"power-on\", \"outcome\": \"ack\", "
                         "\"error\": null}"),
            "");
  EXPECT_NE(watcher.line("\"power\": \"counting-down\""), "");
  EXPECT_NE(watcher.line("\"power\": \"on\""), "");
  EXPECT_EQ(countOf(daemon.traffic(), " TX C 0 0 CR \n"), 1);

  publish(broker, "pv7100/pv7100/set", "{\"command\": \"zoom-plus\", \"for_ms\": 1000}");
  EXPECT_NE(watcher.line("{\"command\": \"zoom-plus\", \"outcome\": \"ack\""), "");
  ::poll(nullptr, 0, 500);
  // Every 105 ms from the first line at once: 10 lines within the second, none after it.
  const std::string traffic = daemon.traffic();
  const std::vector<long> zoom = timesOf(traffic, " TX C 4 7 CR");
  ASSERT_EQ(zoom.size(), 10u) << traffic;
  EXPECT_NEAR(zoom.back() - zoom.front(), 9 * 105, 9 * 3) << traffic;

  const std::vector<std::pair<std::string, std::string>> refused = {
      {"zoom",
       "\"zoom\", \"outcome\": \"refused\", \"error\": \"there is no command called "
       "\\\"zoom\\\"\"}"},
      {"{\"command\": \"power-off\", \"for_ms\": 500}",
       "\"error\": \"power-off is a one-shot command: it cannot be held\"}"},
      {"{\"command\": \"zoom-plus\", \"for_ms\": 10001}",
       "\"zoom-plus\", \"outcome\": \"refused\", \"error\": \"a hold lasts 1 to 10000 ms\"}"},
      {"{\"command\": \"zoom-plus\"",
       "{\"command\": null, \"outcome\": \"refused\", \"error\": "
       "\"bad JSON: expected {\\\"command\\\": NAME}"},
      {"{\"command\": \"zoom-plus\", \"for_ms\": \"1000\"}",
       "\"error\": \"bad JSON: \\\"for_ms\\\" takes a whole number of milliseconds\"}"},
      {std::string(1025, 'a'), "\"error\": \"too long: a command takes at most 1024 bytes\"}"},
  };
  for (const auto& [payload, result] : refused) {
    publish(broker, "pv7100/pv7100/set", payload);
    EXPECT_NE(watcher.line(result), "") << payload.substr(0, 50);
  }
  EXPECT_EQ(daemon.traffic().size(), traffic.size()) << "refused commands reached the wire";

  publish(broker, "pv7100/pv7100/set", "power-off");
  EXPECT_NE(watcher.line("\"power\": \"cooling-down\""), "");
  watcher.forget();
  EXPECT_NE(watcher.line("\"power\": \"standby\""), "");
}

TEST_F(MqttTest, OfflineByLastWillGoneBrokerAndGoneProjectorAndBackByItself) {
  auto projector = simulator(link_);
  Broker broker;
  Watcher watcher(broker, {"pv7100/pv7100/availability"});
  auto daemon = std::make_unique<MqttDaemon>(link_, broker, std::vector<std::string>{});
  EXPECT_NE(watcher.line("availability online"), "");
  daemon->process().signal(SIGKILL);
  EXPECT_NE(watcher.line("availability offline"), "");

  // A retained command would be carried out at every connection: refused.
  publish(broker, "pv7100/pv7100/set", "power-on", true);
  Watcher results(broker, {"pv7100/pv7100/result"});
  watcher.forget();
  daemon = std::make_unique<MqttDaemon>(link_, broker, std::vector<std::string>{});
  EXPECT_NE(watcher.line("availability online"), "");
  EXPECT_NE(results.line("{\"command\": \"power-on\", \"outcome\": \"refused\", \"error\": "
                         "\"a retained message is no command"),
            "");
  // Retained while the daemon is connected, and a message far larger than any it takes.
  results.forget();
  publish(broker, "pv7100/pv7100/set", "power-on", true);
  EXPECT_NE(results.line("\"outcome\": \"refused\", \"error\": \"a retained message"), "");
  const long memory = daemon->process().peakRssKiB();
  std::ofstream(link_ + ".big") << std::string(100 << 20, 'x');
  ChildProcess({"/usr/bin/mosquitto_pub", "-p", std::to_string(broker.port), "-t",
                "homeassistant/status", "-f", link_ + ".big"},
               quiet())
      .waitForExit(20s);
  ::poll(nullptr, 0, 1000);
  EXPECT_LT(daemon->process().peakRssKiB(), memory + 10'000);
  EXPECT_EQ(countOf(daemon->traffic(), " TX C 0 0 CR"), 0);
  broker.stop();
  waitFor([&] { return daemon->events().find("lost the connection") != std::string::npos; });
  broker.start();
  // The restarted broker kept nothing: what a new subscriber gets, the daemon published again.
  Watcher again(broker, {"pv7100/pv7100/#"});
  EXPECT_NE(again.line("pv7100/pv7100/availability online"), "");
  EXPECT_NE(again.line("pv7100/pv7100/state {\"power\": \"standby\""), "");
  EXPECT_EQ(countOf(daemon->events(), "connected\n"), 2) << daemon->events();

  projector.reset();
  EXPECT_NE(again.line("availability offline"), "");
  EXPECT_NE(again.line("pv7100/pv7100/state {\"power\": null"), "");
  projector = simulator(link_);
  again.forget();
  EXPECT_NE(again.line("availability online"), "");
}

// A projector that stops answering shows nothing read from it on any face; once it answers
// again each value is unknown until read again, so no face shows the old session's values.
TEST_F(MqttTest, NoFaceShowsWhatWasReadBeforeTheProjectorStoppedAnswering) {
  // 1 silent (at start too), 0 on, 2 back in stand-by with another lamp and version.
  std::atomic<int> phase = 1;
  PlayedProjector projector([&](const std::string& line, int) -> PlayedProjector::Reply {
    // clang-format off
    const std::map<std::string, std::string> on = {{"CR0", "00"}, {"CR1", "1"}, {"CRA", "00"},
        {"CR3", "01234"}, {"CR9", "PV7100 OLD"}, {"CR7", "03"}, {"CR6", " 31.0  32.0  33.0   34.0"}};
    const std::map<std::string, std::string> back = {{"CR0", "80"}, {"CRA", "FF"},
        {"CR3", "02000"}, {"CR9", "PV7100 NEW"}, {"CR6", " 21.0  22.0  23.0   24.0"}};
    // clang-format on
    if (phase == 1) return {};
    const auto found = phase == 2 && back.contains(line) ? back.find(line) : on.find(line);
    return {0ms, (found == on.end() ? std::string("\x15") : found->second) + "\r"};
  });
  Broker broker;
  Watcher watcher(broker, {"pv7100/pv7100/state", "pv7100/pv7100/availability"});
  const int web = freePort();
  Daemon daemon({"--port", projector.device(), "--mqtt", "127.0.0.1:" + std::to_string(broker.port),
                 "--http", "127.0.0.1:" + std::to_string(web), "--detail-poll-interval", "1000"});
  const auto state = [&] { return httpGet(web, "/api/state"); };
  EXPECT_EQ(watcher.line("availability online", 2500ms), "");
  phase = 0;
  EXPECT_NE(watcher.line("\"s1\": 31"), "");
  watcher.forget();
  Client pjlink(daemon.port());
  pjlink.line();
  EXPECT_EQ(pjlink.ask("%1LAMP ?"), "%1LAMP=1234 1");

  phase = 1;
  const std::string unknown =
      "{\"power\": null, \"input\": null, \"picture_mute\": null, \"sound_mute\": null, "
      "\"freeze\": null, \"lamp_hours\": null, \"lamp_mode\": null, \"reversal\": null, "
      "\"temperatures\": null, \"pressure_hpa\": null, \"version\": null, "
      "\"temperature_warning\": null, \"lamp_failure\": null, \"power_failure\": null, "
      "\"answering\": false}";
  waitFor([&] { return state().find("\"answering\": false") != std::string::npos; });
  EXPECT_EQ(state(), unknown);
  const std::string metrics = httpGet(web, "/metrics");
  EXPECT_NE(metrics.find("\npv7100_up 0\n"), std::string::npos) << metrics;
  for (const char* sample : {"\npv7100_power_state{", "\npv7100_lamp_on_seconds_total ",
                             "\npv7100_temperature_celsius{", "\npv7100_picture_mute "})
    EXPECT_EQ(metrics.find(sample), std::string::npos) << sample << metrics;
  EXPECT_NE(watcher.line("pv7100/pv7100/state " + unknown), "");
  EXPECT_NE(watcher.line("pv7100/pv7100/availability offline"), "");
  EXPECT_EQ(pjlink.ask("%1POWR ?"), "%1POWR=ERR4");

  watcher.forget();
  phase = 2;
  EXPECT_EQ(askUntil(pjlink, "%1POWR ?", "%1POWR=0"), "%1POWR=0");
  EXPECT_EQ(pjlink.ask("%1LAMP ?"), "%1LAMP=2000 0");
  EXPECT_EQ(pjlink.ask("%1INFO ?"), "%1INFO=PV7100 NEW");
  EXPECT_NE(watcher.line("\"s1\": 21"), "");
  EXPECT_NE(httpGet(web, "/metrics").find("\npv7100_up 1\n"), std::string::npos);
  for (const std::string& seen : watcher.seen()) {
    if (seen.find("\"answering\": true") == std::string::npos) continue;
    for (const char* old : {"\"power\": \"on\"", "1234", "PV7100 OLD", "\"s1\": 31"})
      EXPECT_EQ(seen.find(old), std::string::npos) << seen;
  }
}

TEST_F(MqttTest, LogsInWithAPasswordFileAndChecksTheBrokersCertificate) {
  const std::string dir = buildDirectory();
  const int made = ChildProcess({"/bin/sh", "-c", "cd " + dir + R"( &&
    printf 'projector:s3cret\n' > passwd && mosquitto_passwd -U passwd &&
    key="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes" &&
    for ca in ca other; do
      openssl req -x509 -days 2 $key -subj /CN=$ca -keyout $ca.key -out $ca.pem; done &&
    openssl req $key -subj /CN=server -keyout server.key -out server.csr &&
    printf 'subjectAltName=IP:127.0.0.1\n' > san &&
    openssl x509 -req -days 2 -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial \
      -extfile san -out server.pem)"},
                                quiet())
                       .waitForExit(30s)
                       .value_or(-1);
  ASSERT_EQ(made, 0);
  std::ofstream(dir + "/right") << "s3cret\n";
  std::ofstream(dir + "/wrong") << "guess\n";
  struct Case {
    std::string broker;
    std::string config;
    std::string event;
  };
  const std::vector<Case> cases = {
      {"password_file " + dir + "/passwd\n", "mqtt-password-file = " + dir + "/right", "connected"},
      {"password_file " + dir + "/passwd\n", "mqtt-password-file = " + dir + "/wrong",
       "the login was refused (not authorized)"},
      {"cafile " + dir + "/ca.pem\ncertfile " + dir + "/server.pem\nkeyfile " + dir +
           "/server.key\nallow_anonymous true\n",
       "mqtt-ca-file = " + dir + "/ca.pem", "connected"},
      {"cafile " + dir + "/ca.pem\ncertfile " + dir + "/server.pem\nkeyfile " + dir +
           "/server.key\nallow_anonymous true\n",
       "mqtt-ca-file = " + dir + "/other.pem", "certificate verify failed"},
  };
  auto projector = simulator(link_);
  for (const Case& c : cases) {
    Broker broker(c.broker);
    std::ofstream(dir + "/hall.conf") << "mqtt-username = projector\n" << c.config << "\n";
    MqttDaemon daemon(link_, broker, {"--config", dir + "/hall.conf"});
    waitFor([&] { return daemon.events().find("MQTT broker") != std::string::npos; });
    ::poll(nullptr, 0, 300);
    EXPECT_NE(daemon.events().find(c.event), std::string::npos) << c.config << daemon.events();
  }
  // A TLS broker down at start, then restarted under the daemon; then one far away.
  Broker broker(cases[2].broker);
  broker.stop();
  const std::vector<std::string> tls = {"--mqtt-ca-file", dir + "/ca.pem"};
  MqttDaemon daemon(link_, broker, tls);
  EXPECT_LT(restingCpuMs(daemon), 100);
  broker.start();
  waitFor([&] { return countOf(daemon.events(), "connected\n") == 1; }, 25s);
  // Restarted within 30 s of the connection: the same episode, quiet until it lasts.
  broker.stop();
  EXPECT_LT(restingCpuMs(daemon), 100);
  broker.start();
  Watcher watcher(broker, {"pv7100/pv7100/availability"},
                  {"-h", "127.0.0.1", "--cafile", dir + "/ca.pem"});
  EXPECT_NE(watcher.line("online", 25s), "");
  EXPECT_EQ(countOf(daemon.events(), "MQTT broker"), 3) << daemon.events();
  EXPECT_NE(daemon.events().find(": lost the connection again after "), std::string::npos);

  // Far away: each chunk 200 ms late both ways.
  FakeServer proxy([&](int client) { slowly(broker.port, client, proxy.stopped); });
  auto projector2 = simulator(link_ + "2");
  MqttDaemon far(link_ + "2", proxy.port, {"--name", "far", tls[0], tls[1]});
  EXPECT_LT(restingCpuMs(far), 100);
  waitFor([&] { return countOf(far.events(), "connected\n") == 1; }, 10s);
  broker.stop();
  EXPECT_LT(restingCpuMs(far), 100);
  EXPECT_EQ(countOf(far.events(), "MQTT broker"), 2) << far.events();
}

TEST_F(MqttTest, ThreeProjectorsOnOneBrokerEachOnItsOwnTopic) {
  Broker broker;
  Watcher discovery(broker, {"homeassistant/switch/+/power/config", "pv7100/+/result"});
  std::vector<std::unique_ptr<SimulatedProjector>> projectors;
  std::vector<std::unique_ptr<MqttDaemon>> daemons;
  for (const std::string name : {"Hall-A", "Hall-B", "Hall-C"}) {
    projectors.push_back(simulator(link_ + name));
    daemons.push_back(std::make_unique<MqttDaemon>(link_ + name, broker,
                                                   std::vector<std::string>{"--name", name}));
  }
  for (const std::string id : {"hall-a", "hall-b", "hall-c"})
    EXPECT_NE(discovery.line("homeassistant/switch/" + id +
                             "/power/config {\"name\": \"Power\", "
                             "\"unique_id\": \"pv7100_" +
                             id + "_power\""),
              "");
  EXPECT_NE(discovery.line("\"device\": {\"identifiers\": [\"hall-b\"], \"name\": \"Hall-B\", "
                           "\"manufacturer\": \"QUIVA\", \"model\": \"PV7100\", \"sw_version\": "
                           "\"PV7100 SIM V1.00\"}"),
            "");
  publish(broker, "pv7100/hall-b/set", "power-on");
  EXPECT_NE(discovery.line("pv7100/hall-b/result {\"command\": \"power-on\", \"outcome\": \"ack\""),
            "");
  EXPECT_EQ(discovery.line("pv7100/hall-a/result", 500ms) + discovery.line("hall-c/result", 1ms),
            "");
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(countOf(daemons[i]->traffic(), " TX C 0 0 CR \n"), i == 1) << i;

  // Hall-C removed: what it left retained taken away; not while Hall-A serves.
  daemons[2].reset();
  const auto withdraw = [&](const std::string& name) {
    return ChildProcess({PV7100D, "--config", "/dev/null", "--name", name, "--mqtt",
                         "127.0.0.1:" + std::to_string(broker.port), "--mqtt-withdraw"},
                        quiet())
        .waitForExit(20s);
  };
  EXPECT_EQ(withdraw("Hall-C"), 0);
  EXPECT_EQ(withdraw("Hall-A"), 1 << 8);  // the wait status of exit status 1
  Watcher left(broker, {"homeassistant/#", "pv7100/#"});
  EXPECT_NE(left.line("homeassistant/sensor/hall-a/reversal/config {\"name\": \"Reversal\", "
                      "\"unique_id\": \"pv7100_hall-a_reversal\", \"state_topic\": "
                      "\"~/state\", \"device_class\": \"enum\", \"options\": [\"normal\", "
                      "\"top-bottom\", \"left-right\", \"top-bottom-left-right\"], "
                      "\"value_template\": \"{{ value_json.reversal }}\""),
            "");
  EXPECT_EQ(left.line("hall-c", 1s), "");
}

TEST_F(MqttTest, ABrokerThatDropsEachConnectionIsOneEpisode) {
  auto projector = simulator(link_);
  FakeServer broker([](int client) {
    char connect[512];
    pollfd ready{client, POLLIN, 0};
    // CONNACK of MQTT 5: accepted, no properties; then closed.
    if (::poll(&ready, 1, 2000) > 0 && ::read(client, connect, sizeof connect) > 0)
      (void)!::write(client, "\x20\x03\x00\x00\x00", 5);
  });
  MqttDaemon daemon(link_, broker.port, {});
  ::poll(nullptr, 0, 16'000);
  // At 0, 1, 3, 7 and 15 s.
  EXPECT_LE(broker.connections, 6);
  EXPECT_LE(countOf(daemon.events(), "MQTT broker"), 4) << daemon.events();
}

TEST_F(MqttTest, OneTopicOneDaemon) {
  Broker broker;
  Watcher watcher(broker, {"pv7100/hall-a/#", "homeassistant/switch/+/power/config"});
  auto projector1 = simulator(link_ + "1");
  auto projector2 = simulator(link_ + "2");
  auto first = std::make_unique<MqttDaemon>(link_ + "1", broker,
                                            std::vector<std::string>{"--name", "Hall A"});
  EXPECT_NE(watcher.line("pv7100/hall-a/availability online"), "");
  MqttDaemon second(link_ + "2", broker, {"--name", "hall-a"});
  waitFor([&] { return second.events().find("MQTT topic") != std::string::npos; });
  EXPECT_NE(second.events().find("MQTT topic pv7100/hall-a is served by another pv7100d "
                                 "(pv7100d-hall-a-"),
            std::string::npos)
      << second.events();
  watcher.forget();
  publish(broker, "pv7100/hall-a/set", "power-on");
  EXPECT_NE(watcher.line("\"outcome\": \"ack\""), "");
  ::poll(nullptr, 0, 2000);
  EXPECT_EQ(watcher.line("power/config", 1ms), "") << "discovery sent again";
  EXPECT_EQ(countOf(first->traffic(), " TX C 0 0 CR \n"), 1);
  EXPECT_EQ(countOf(second.traffic(), " TX C 0 0 CR \n"), 0);
  EXPECT_EQ(countOf(first->events(), "MQTT broker"), 1) << first->events();

  // The first gone, the second serves.
  first.reset();
  EXPECT_NE(watcher.line("availability offline"), "");
  watcher.forget();
  EXPECT_NE(watcher.line("pv7100/hall-a/availability online"), "");
}

TEST_F(MqttTest, RefusesBadSettingsWithExitTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--mqtt", "::1"},
      {"--mqtt", "127.0.0.1:0"},
      {"--mqtt", "127.0.0.1", "--mqtt-topic", "pv7100/#"},
      {"--mqtt", "127.0.0.1", "--mqtt-topic", "a//b"},
      {"--mqtt", "127.0.0.1", "--mqtt-topic", "$SYS/pv"},
      {"--mqtt", "127.0.0.1", "--mqtt-ca-file", "/nonexistent"},
      {"--mqtt", "127.0.0.1", "--detail-poll-interval", "999"},
      {"--mqtt", "127.0.0.1", "--mqtt-password-file", "/etc/hostname"},
      {"--config", temporaryDirectory() + "/hall.conf"},
  };
  std::ofstream(cases.back().back())
      << "mqtt = 127.0.0.1\nmqtt-username = projector\nmqtt-password-file = /nonexistent\n";
  for (const auto& args : cases) {
    std::vector<std::string> argv{PV7100D, "--config", "/dev/null", "--port", "/dev/null"};
    argv.insert(argv.end(), args.begin(), args.end());
    testing::Spawn spawn;
    spawn.captureStderr = true;
    const testing::Finished finished = ChildProcess(argv, spawn).finish(5s);
    ASSERT_TRUE(finished.status && WIFEXITED(*finished.status)) << args.back();
    EXPECT_EQ(WEXITSTATUS(*finished.status), 2) << args.back();
    EXPECT_EQ(countOf(finished.err, "\n"), 1) << finished.err;
  }
}

}  // namespace
}  // namespace pv7100::daemon
