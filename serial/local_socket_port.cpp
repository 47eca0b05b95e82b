#include "serial/local_socket_port.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "serial/port_names.h"
#include "serial/turned_away.h"

namespace pv7100 {
namespace {

// How often a connection is tried again while the daemon's queue of connections is full.
constexpr int kRetryMs = 10;

[[noreturn]] void refuse(const std::string& device, const std::string& path, int error) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISSOCK(info.st_mode))
    throw PortError(PortFault::notSerial, device, "it is not a socket");
  switch (error) {
    case ENOENT:
      throw PortError(PortFault::noDevice, device,
                      "no such socket; start pv7100d, or name the socket it serves");
    case ECONNREFUSED:
      throw PortError(PortFault::noDevice, device, "nobody serves the socket; start pv7100d again");
    case EACCES:
    case EPERM:
      throw PortError(PortFault::noPermission, device, "");
    case EAGAIN:
      throw PortError(PortFault::other, device,
                      "pv7100d took no connection within " +
                          std::to_string(SocketPort::kConnectMs / 1000) + " s");
    default:
      break;
  }
  throw PortError(PortFault::other, device, std::strerror(error));
}

}  // namespace

// Bytes in the socket that the daemon has not read yet count as unsent.
LocalSocketPort::LocalSocketPort()
    : SocketPort("pv7100d", "the daemon that serves the socket (pv7100d)", SIOCOUTQ,
                 kTurnedAwayNotice) {}

int LocalSocketPort::connectTo(const std::string& device) {
  const std::string path = localPathOf(device);
  if (path.empty())
    throw PortError(PortFault::other, device,
                    "no socket named; write unix:PATH, such as unix:/run/pv7100/hall.sock");
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path)
    throw PortError(PortFault::other, device,
                    "the path is longer than the " + std::to_string(sizeof address.sun_path - 1) +
                        " bytes a socket's path may have; name a shorter one");
  path.copy(address.sun_path, path.size());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectMs);
  for (;;) {
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0) refuse(device, path, errno);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
      return socket;
    const int error = errno;
    ::close(socket);
    // EAGAIN: the connections before this one fill the daemon's queue; it takes them in turn.
    if (error != EAGAIN || std::chrono::steady_clock::now() >= deadline)
      refuse(device, path, error);
    ::poll(nullptr, 0, kRetryMs);
  }
}

}  // namespace pv7100
