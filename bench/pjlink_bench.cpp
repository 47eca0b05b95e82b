// pv7100d on the simulated projector under PJLink clients: the latency of "%1POWR ?" answered
// from the kept state with 1 and with 32 clients each asking every 100 ms, the lines the
// daemon puts on the serial line meanwhile (its own polling only), and its CPU time and memory
// at rest and under that load.
//
//   pv7100_bench_pjlink [--seconds N]    each phase lasts N seconds (default 20)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "bench/monotonic.h"
#include "bench/stats.h"
#include "tests/support/child_process.h"

namespace {

using namespace pv7100::bench;
using pv7100::testing::ChildProcess;
using pv7100::testing::Spawn;

constexpr std::int64_t kPeriodNs = 100'000'000;  // each client asks every 100 ms
constexpr int kPort = 43519;

int linesTaken(const std::string& simLog) {
  std::ifstream log(simLog);
  int count = 0;
  for (std::string line; std::getline(log, line);) count += line.starts_with("<- ");
  return count;
}

int connectClient() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(kPort);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    throw std::runtime_error("cannot connect to pv7100d");
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

struct Client {
  int fd = -1;
  std::int64_t due = 0;
  std::int64_t sentAt = 0;
  bool waiting = true;  // for the greeting first
  std::string pending;
};

// `count` clients ask "%1POWR ?" every 100 ms for `seconds`; the latencies in ms.
std::vector<double> load(int count, int seconds, int& missed) {
  std::vector<Client> clients(static_cast<std::size_t>(count));
  const std::int64_t start = monotonicNs();
  for (std::size_t i = 0; i < clients.size(); ++i) {
    clients[i].fd = connectClient();
    clients[i].due = start + kPeriodNs * static_cast<std::int64_t>(i) / count;
  }
  std::vector<double> latencies;
  const std::int64_t end = start + std::int64_t{seconds} * 1'000'000'000;
  for (std::int64_t now = start; now < end; now = monotonicNs()) {
    std::vector<pollfd> watched;
    std::int64_t next = end;
    for (Client& client : clients) {
      if (!client.waiting && client.due <= now) {
        ::write(client.fd, "%1POWR ?\r", 9);
        client.sentAt = now;
        client.waiting = true;
        client.due += kPeriodNs;
      } else if (client.waiting && client.due <= now && client.sentAt != 0) {
        ++missed;
        client.due += kPeriodNs;
      }
      next = std::min(next, client.due);
      watched.push_back({client.fd, POLLIN, 0});
    }
    const auto wait = std::max<std::int64_t>(0, (next - monotonicNs()) / 1'000'000);
    ::poll(watched.data(), watched.size(), static_cast<int>(wait));
    for (std::size_t i = 0; i < clients.size(); ++i) {
      if (!(watched[i].revents & POLLIN)) continue;
      char buffer[256];
      const ssize_t got = ::read(clients[i].fd, buffer, sizeof buffer);
      if (got <= 0) throw std::runtime_error("pv7100d closed a client");
      clients[i].pending.append(buffer, static_cast<std::size_t>(got));
      const std::size_t cr = clients[i].pending.find('\r');
      if (cr == std::string::npos) continue;
      if (clients[i].sentAt != 0) {
        if (clients[i].pending.substr(0, cr) != "%1POWR=0")
          throw std::runtime_error("unexpected reply " + clients[i].pending.substr(0, cr));
        latencies.push_back(toMs(monotonicNs() - clients[i].sentAt));
      }
      clients[i].pending.erase(0, cr + 1);
      clients[i].waiting = false;
    }
  }
  for (Client& client : clients) ::close(client.fd);
  return latencies;
}

struct Usage {
  double cpuPercent;
  double linesPerSecond;
};

template <typename Phase>
Usage measure(ChildProcess& daemon, const std::string& simLog, int seconds, Phase phase) {
  const std::int64_t cpu = daemon.cpuNs();
  const int lines = linesTaken(simLog);
  const std::int64_t begin = monotonicNs();
  phase();
  const std::int64_t wall = monotonicNs() - begin;
  (void)seconds;
  return {100.0 * static_cast<double>(daemon.cpuNs() - cpu) / static_cast<double>(wall),
          (linesTaken(simLog) - lines) / (static_cast<double>(wall) / 1e9)};
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 20;
  if (argc == 3 && std::string(argv[1]) == "--seconds") seconds = std::atoi(argv[2]);
  if (seconds < 1 || seconds > 600) {
    std::fprintf(stderr, "usage: pv7100_bench_pjlink [--seconds 1..600]\n");
    return 2;
  }
  const std::string simLog = "/tmp/pv7100_bench_pjlink_sim.log";
  Spawn simSpawn;
  simSpawn.stderrFile = simLog;
  ChildProcess sim({PV7100_SIM, "--verbose"}, simSpawn);
  const std::string device = sim.readLine(std::chrono::seconds(3)).value_or("");
  Spawn daemonSpawn;
  daemonSpawn.quiet = true;
  ChildProcess daemon({PV7100D, "--config", "/dev/null", "--port", device, "--listen",
                       "127.0.0.1:" + std::to_string(kPort)},
                      daemonSpawn);
  // Until every read has been made once.
  ::usleep(6'000'000);

  const Usage rest = measure(daemon, simLog, seconds, [&] { ::sleep(seconds); });
  int missed1 = 0;
  std::vector<double> one;
  const Usage loadOne = measure(daemon, simLog, seconds, [&] { one = load(1, seconds, missed1); });
  int missed32 = 0;
  std::vector<double> many;
  const Usage load32 =
      measure(daemon, simLog, seconds, [&] { many = load(32, seconds, missed32); });

  std::printf("phases of %d s; pv7100d peak resident memory %ld KiB\n\n", seconds,
              daemon.peakRssKiB());
  std::printf(
      "| phase | answers | p50 ms | p99 ms | max ms | missed | CPU %% of a core | wire lines/s "
      "|\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  std::printf("| at rest | - | - | - | - | - | %.3f | %.2f |\n", rest.cpuPercent,
              rest.linesPerSecond);
  std::printf("| 1 client | %zu | %.3f | %.3f | %.3f | %d | %.3f | %.2f |\n", one.size(),
              median(one), percentile(one, 99), percentile(one, 100), missed1, loadOne.cpuPercent,
              loadOne.linesPerSecond);
  std::printf("| 32 clients | %zu | %.3f | %.3f | %.3f | %d | %.3f | %.2f |\n", many.size(),
              median(many), percentile(many, 99), percentile(many, 100), missed32,
              load32.cpuPercent, load32.linesPerSecond);
  daemon.stop();
  sim.stop();
  return 0;
}
