#include "bench/virtual_display.h"

#include <array>
#include <cstdlib>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace pv7100::bench {
namespace {

// Xvfb writes the display number it chose to `-displayfd` once it is ready for clients.
std::string readDisplayNumber(int fd) {
  std::string number;
  std::array<char, 16> chunk{};
  pollfd watched{fd, POLLIN, 0};
  while (::poll(&watched, 1, 10'000) > 0) {
    const ssize_t got = ::read(fd, chunk.data(), chunk.size());
    if (got <= 0) break;
    number.append(chunk.data(), static_cast<std::size_t>(got));
    if (number.back() == '\n') return number.substr(0, number.size() - 1);
  }
  throw std::runtime_error("Xvfb did not come up");
}

}  // namespace

std::unique_ptr<VirtualDisplay> VirtualDisplay::start() {
  const std::string xvfb = testing::findOnPath("Xvfb");
  if (xvfb.empty()) return nullptr;
  std::array<int, 2> pipe{};
  if (::pipe2(pipe.data(), O_CLOEXEC) != 0) throw std::runtime_error("no pipe for Xvfb");
  auto server = std::make_unique<testing::ChildProcess>(
      std::vector<std::string>{xvfb, "-displayfd", "3", "-nolisten", "tcp", "-screen", "0",
                               "1920x1080x24"},
      testing::Spawn{
          .env = {}, .quiet = true, .fd3 = pipe[1], .captureStderr = false, .stderrFile = {}});
  ::close(pipe[1]);
  if (!server->started()) throw std::runtime_error("cannot start " + xvfb);
  const std::string number = readDisplayNumber(pipe[0]);
  ::close(pipe[0]);
  return std::unique_ptr<VirtualDisplay>(new VirtualDisplay(std::move(server), ':' + number));
}

VirtualDisplay::VirtualDisplay(std::unique_ptr<testing::ChildProcess> server, std::string name)
    : server_(std::move(server)), name_(std::move(name)) {
  connection_ = xcb_connect(name_.c_str(), nullptr);
  if (xcb_connection_has_error(connection_) != 0)
    throw std::runtime_error("cannot connect to Xvfb on " + name_);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection_, screen->root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(connection_);
}

VirtualDisplay::~VirtualDisplay() {
  xcb_disconnect(connection_);
}

int VirtualDisplay::fd() const {
  return xcb_get_file_descriptor(connection_);
}

bool VirtualDisplay::topLevelMapped() {
  bool mapped = false;
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
    if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
      const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
      mapped = mapped || map->override_redirect == 0;
    }
    std::free(event);
  }
  return mapped;
}

}  // namespace pv7100::bench
