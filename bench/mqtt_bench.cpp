// pv7100d on MQTT, on the simulated projector and a local mosquitto: the time from a T/set
// message to its line on the wire and from the reply on the wire to its T/state message, the
// messages a minute at rest, the daemon's CPU and memory at rest; then a fleet of daemons on as
// many simulated projectors on one broker, their CPU and memory together and the broker's
// messages a minute at rest.
//
//   pv7100_bench_mqtt [--seconds N] [--fleet N]   at rest for N s (default 60), N daemons (30)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <mosquitto.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bench/stats.h"
#include "tests/support/child_process.h"

namespace {

using namespace pv7100::bench;
using pv7100::testing::ChildProcess;
using pv7100::testing::Spawn;

constexpr int kBrokerPort = 43521;
const std::string kDir = "/tmp/pv7100_bench_mqtt";

std::int64_t realtimeNs() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

Spawn quiet() {
  Spawn spawn;
  spawn.quiet = true;
  return spawn;
}

// The bench's own client, on libmosquitto's thread: every message it gets, stamped.
class Listener {
 public:
  struct Message {
    std::int64_t at;
    std::string topic;
    std::string payload;
  };
  explicit Listener(const std::string& filter) : client_(mosquitto_new(nullptr, true, this)) {
    mosquitto_message_callback_set(client_, [](mosquitto*, void* self, const mosquitto_message* m) {
      auto& listener = *static_cast<Listener*>(self);
      const std::lock_guard lock(listener.mutex_);
      listener.messages_.push_back(
          {realtimeNs(), m->topic,
           std::string(static_cast<const char*>(m->payload), static_cast<size_t>(m->payloadlen))});
    });
    mosquitto_connect(client_, "127.0.0.1", kBrokerPort, 60);
    mosquitto_subscribe(client_, nullptr, filter.c_str(), 0);
    mosquitto_loop_start(client_);
  }
  ~Listener() {
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
  }
  void publish(const std::string& topic, const std::string& payload) {
    mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                      payload.data(), 0, false);
  }
  std::vector<Message> take() {
    const std::lock_guard lock(mutex_);
    return std::exchange(messages_, {});
  }

 private:
  mosquitto* client_;
  std::mutex mutex_;
  std::vector<Message> messages_;
};

// The wall-clock times (ns) of the traffic log's lines that hold `part`. The log cuts them to the
// millisecond: each is taken at the middle of its millisecond.
std::vector<std::int64_t> logged(const std::string& log, const std::string& part) {
  std::vector<std::int64_t> times;
  std::ifstream file(log);
  for (std::string line; std::getline(file, line);) {
    if (line.find(part) == std::string::npos) continue;
    std::tm parts{};
    ::strptime(line.substr(0, 19).c_str(), "%Y-%m-%dT%H:%M:%S", &parts);
    const int offset = (line[23] == '-' ? -1 : 1) * (std::atoi(line.substr(24, 2).c_str()) * 60 +
                                                     std::atoi(line.substr(27, 2).c_str()));
    times.push_back((static_cast<std::int64_t>(::timegm(&parts)) - offset * 60) * 1'000'000'000 +
                    std::atoll(line.substr(20, 3).c_str()) * 1'000'000 + 500'000);
  }
  return times;
}

struct Projector {
  std::unique_ptr<ChildProcess> sim;
  std::unique_ptr<ChildProcess> daemon;
};

Projector start(int n, bool log) {
  Projector p;
  p.sim = std::make_unique<ChildProcess>(std::vector<std::string>{PV7100_SIM, "--count-down", "0"},
                                         Spawn{});
  const std::string device = p.sim->readLine(std::chrono::seconds(3)).value_or("");
  std::vector<std::string> argv = {PV7100D,
                                   "--config",
                                   "/dev/null",
                                   "--port",
                                   device,
                                   "--listen",
                                   "127.0.0.1:" + std::to_string(44000 + n),
                                   "--socket",
                                   kDir + "/" + std::to_string(n) + ".sock",
                                   "--name",
                                   "bench-" + std::to_string(n),
                                   "--mqtt",
                                   "127.0.0.1:" + std::to_string(kBrokerPort)};
  if (log) argv.insert(argv.end(), {"--log", kDir + "/traffic.log"});
  p.daemon = std::make_unique<ChildProcess>(argv, quiet());
  return p;
}

double percentOfCore(std::int64_t cpuNs, int seconds) {
  return 100.0 * cpuNs / (seconds * 1e9);
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60;
  int fleet = 30;
  for (int i = 1; i + 1 < argc; i += 2) {
    (std::string(argv[i]) == "--fleet" ? fleet : seconds) = std::atoi(argv[i + 1]);
  }
  ::mkdir(kDir.c_str(), 0700);
  ::unlink((kDir + "/traffic.log").c_str());
  std::ofstream(kDir + "/mosquitto.conf") << "listener " << kBrokerPort
                                          << " 127.0.0.1\nallow_anonymous true\npersistence "
                                             "false\nuser root\nmax_connections -1\n";
  ChildProcess broker({"/usr/sbin/mosquitto", "-c", kDir + "/mosquitto.conf"}, quiet());
  mosquitto_lib_init();
  ::usleep(300'000);

  // One daemon: every read made once (the details 1 s apart), then sound mute on and off. The
  // traffic log's times are to the millisecond.
  Projector one = start(0, true);
  ::usleep(12'000'000);
  Listener listener("pv7100/bench-0/#");
  // The projector mutes only while on.
  listener.publish("pv7100/bench-0/set", "power-on");
  ::usleep(3'000'000);
  const int toggles = 100;
  std::vector<std::int64_t> sent;
  for (int i = 0; i < toggles; ++i) {
    sent.push_back(realtimeNs());
    listener.publish("pv7100/bench-0/set", i % 2 == 0 ? "sound-mute-on" : "sound-mute-off");
    ::usleep(300'000);
  }
  ::usleep(1'000'000);
  std::vector<Listener::Message> states;
  for (auto& m : listener.take()) {
    if (m.topic.ends_with("/state")) states.push_back(std::move(m));
  }
  const std::string log = kDir + "/traffic.log";
  std::vector<std::int64_t> wire = logged(log, " TX C 0 B CR");
  const std::vector<std::int64_t> off = logged(log, " TX C 0 C CR");
  std::vector<std::int64_t> acks = logged(log, " RX ACK");
  wire.insert(wire.end(), off.begin(), off.end());
  std::sort(wire.begin(), wire.end());
  std::vector<double> toWire;
  std::vector<double> toState;
  for (std::size_t i = 0; i < sent.size() && i < wire.size(); ++i) {
    toWire.push_back((wire[i] - sent[i]) / 1e6);
    // The mutes read in standby are unknown: the first change is the one the read after the
    // first toggle tells.
    if (i < 2) continue;
    // The first ACK after the line went out, and the first state message with its change.
    const auto ack = std::lower_bound(acks.begin(), acks.end(), wire[i]);
    const std::string change = i % 2 == 0 ? "\"sound_mute\": true" : "\"sound_mute\": false";
    const auto state = std::find_if(states.begin(), states.end(), [&](const auto& m) {
      // From the start of the line's millisecond: the message may come within it.
      return m.at >= wire[i] - 500'000 && m.payload.find(change) != std::string::npos;
    });
    if (ack != acks.end() && state != states.end()) toState.push_back((state->at - *ack) / 1e6);
  }

  // At rest: the messages of a minute and what the daemon costs.
  listener.take();
  const std::int64_t cpu0 = one.daemon->cpuNs();
  ::sleep(seconds);
  const double restCpu = percentOfCore(one.daemon->cpuNs() - cpu0, seconds);
  const std::size_t restMessages = listener.take().size();
  const long restRss = one.daemon->peakRssKiB();

  // The fleet, once every daemon has made its reads; what the broker keeps retained is not
  // counted.
  one.daemon->stop();
  std::vector<Projector> projectors;
  for (int n = 1; n <= fleet; ++n) projectors.push_back(start(n, false));
  ::usleep(15'000'000);
  Listener all("#");
  ::usleep(2'000'000);
  all.take();
  const auto fleetCpuNs = [&] {
    std::int64_t sum = 0;
    for (auto& p : projectors) sum += p.daemon->cpuNs();
    return sum;
  };
  const std::int64_t fleetCpu0 = fleetCpuNs();
  const std::int64_t brokerCpu0 = broker.cpuNs();
  ::sleep(seconds);
  const double fleetCpu = percentOfCore(fleetCpuNs() - fleetCpu0, seconds);
  const double brokerCpu = percentOfCore(broker.cpuNs() - brokerCpu0, seconds);
  const std::size_t fleetMessages = all.take().size();
  long fleetRss = 0;
  for (auto& p : projectors) fleetRss += p.daemon->peakRssKiB();

  std::printf(
      "T/set to the line on the wire, %zu commands: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n",
      toWire.size(), median(toWire), percentile(toWire, 99), percentile(toWire, 100));
  std::printf("reply on the wire to T/state, %zu changes: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n",
              toState.size(), median(toState), percentile(toState, 99), percentile(toState, 100));
  std::printf(
      "at rest, one daemon over %d s: %.1f messages a minute, "
      "CPU %.3f %% of a core, peak resident memory %ld KiB\n",
      seconds, restMessages * 60.0 / seconds, restCpu, restRss);
  std::printf(
      "fleet of %d daemons at rest over %d s: CPU %.3f %% of a core together, peak resident "
      "memory %ld KiB together (%ld each); broker: %.1f messages a minute, CPU %.3f %%, "
      "peak resident memory %ld KiB\n",
      fleet, seconds, fleetCpu, fleetRss, fleetRss / fleet, fleetMessages * 60.0 / seconds,
      brokerCpu, broker.peakRssKiB());
  for (auto& p : projectors) p.daemon->stop();
  mosquitto_lib_cleanup();
  return 0;
}
