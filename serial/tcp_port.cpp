#include "serial/tcp_port.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "serial/host_lookup.h"
#include "serial/port_names.h"

namespace pv7100 {
namespace {

using Clock = std::chrono::steady_clock;

std::string quoted(const TcpAddress& address) {
  const bool v6 = address.host.find(':') != std::string::npos;
  return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

int msUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 0));
}

// A connected socket to `address`, or -1 with `error` set (ETIMEDOUT when the time is up).
int connectWithin(const addrinfo& address, Clock::time_point deadline, int& error) {
  const int socket = ::socket(address.ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (socket < 0) {
    error = errno;
    return -1;
  }
  error = ::connect(socket, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
  while (error == EINPROGRESS || error == EINTR) {
    pollfd watched{socket, POLLOUT, 0};
    const int ready = ::poll(&watched, 1, msUntil(deadline));
    if (ready > 0) {
      socklen_t size = sizeof error;
      ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size);
    } else if (ready == 0) {
      error = ETIMEDOUT;
    } else if (errno != EINTR) {
      error = errno;
    }
  }
  if (error == 0) return socket;
  ::close(socket);
  return -1;
}

// A converter that turns a connection away says why at once and hangs up (ser2net: "Port
// already in use", "Device open failure: …"). What it sends before anything was written is
// never the projector's, and a banner is dropped with it.
void checkGreeting(int socket, const std::string& device) {
  std::string greeting;
  pollfd watched{socket, POLLIN, 0};
  while (greeting.size() < 200 && ::poll(&watched, 1, TcpPort::kGreetingMs) > 0) {
    char buffer[256];
    const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
    if (got > 0) {
      greeting.append(buffer, static_cast<std::size_t>(got));
      continue;
    }
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    ::close(socket);
    const auto begin = greeting.find_first_not_of(" \t\r\n\v\f");
    const std::string said =
        begin == std::string::npos
            ? ""
            : greeting.substr(begin, greeting.find_last_not_of(" \t\r\n\v\f") + 1 - begin);
    if (said.empty()) throw PortError(PortFault::other, device, "the converter hung up at once");
    throw PortError(said.find("in use") != std::string::npos ? PortFault::busy : PortFault::other,
                    device, "the converter says \"" + said + "\"");
  }
}

}  // namespace

// Bytes the system has not yet sent count as unsent; those sent and not yet acknowledged have
// left.
TcpPort::TcpPort()
    : SocketPort("the converter", "the converter it runs through", SIOCOUTQNSD, {}) {}

int TcpPort::connectTo(const std::string& device) {
  const auto address = tcpAddressOf(device);
  if (!address)
    throw PortError(PortFault::other, device,
                    "not a network port; write tcp:HOST:PORT, such as tcp:rack-7:4001 or "
                    "tcp:[fd00::7]:4001");
  const auto deadline = Clock::now() + std::chrono::milliseconds(kConnectMs);
  const std::string where = quoted(*address);
  const std::string late = "no connection to " + where + " within " +
                           std::to_string(kConnectMs / 1000) +
                           " s; check the network and the converter's power";
  const HostAddresses host = lookUpHost(address->host, address->port, deadline);
  if (host.error == EAI_NONAME || host.error == EAI_NODATA || host.error == EAI_ADDRFAMILY)
    throw PortError(PortFault::noDevice, device,
                    "unknown host " + address->host + "; check the name, or give the address");
  if (host.error != 0)
    throw PortError(PortFault::other, device, where + ": " + ::gai_strerror(host.error));
  if (!host.list) throw PortError(PortFault::other, device, late);
  // Each of the host's addresses in the system's order, until one takes the connection.
  int error = 0;
  for (const addrinfo* each = host.list.get(); each && error != ETIMEDOUT; each = each->ai_next) {
    const int socket = connectWithin(*each, deadline, error);
    if (socket < 0) continue;
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    checkGreeting(socket, device);
    return socket;
  }
  switch (error) {
    case ECONNREFUSED:
      throw PortError(
          PortFault::noDevice, device,
          "nothing accepts connections at " + where +
              "; start ser2net (or the converter's service) there, or check the port number");
    case ETIMEDOUT:
      throw PortError(PortFault::other, device, late);
    default:
      break;
  }
  throw PortError(PortFault::other, device, where + ": " + std::strerror(error));
}

}  // namespace pv7100
