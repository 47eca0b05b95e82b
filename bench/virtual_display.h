// An X server of our own (Xvfb) for programs to show their windows on, and a connection to it
// that sees a top-level window being mapped, that is, shown on the screen.
#pragma once

#include <memory>
#include <string>

#include <xcb/xcb.h>

#include "tests/support/child_process.h"

namespace pv7100::bench {

class VirtualDisplay {
 public:
  // Starts Xvfb on a free display; nullptr when Xvfb is not installed. Throws
  // std::runtime_error when it is installed but does not come up.
  static std::unique_ptr<VirtualDisplay> start();
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // ":N", for DISPLAY.
  const std::string& name() const { return name_; }
  // Ready to read when the server has something to say.
  int fd() const;
  // Reads what the server said; true when a top-level window was mapped since the last call.
  bool topLevelMapped();

 private:
  VirtualDisplay(std::unique_ptr<testing::ChildProcess> server, std::string name);

  std::unique_ptr<testing::ChildProcess> server_;
  std::string name_;
  xcb_connection_t* connection_ = nullptr;
};

}  // namespace pv7100::bench
