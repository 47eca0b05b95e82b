// What a program says when a port will not open or goes away: the reason in words and the
// remedy, for a device, a converter over TCP or pv7100d's socket alike. The programs differ
// only in how their users name a device, pick the port again and change the speed.
#pragma once

#include <string>

#include "port/serial_port.h"

namespace pv7100 {

// A program's part of each remedy, as it ends a sentence.
struct RemedyHints {
  std::string nameDevice;  // "--port DEVICE": how to name another device
  std::string retry;       // "try again": how to open the port once more
  std::string otherSpeed;  // "Try the other speed with --baud": a sentence of its own
  std::string usePort;     // "--port": the option that takes a port's name, such as unix:PATH
};

// "`subject` cannot be opened: " the reason and the remedy; `subject` names the port as the
// program's user knows it ("COM1 (/dev/ttyS0)", or the device alone).
std::string openFailureText(const std::string& subject, const PortError& error,
                            const RemedyHints& hints);
// "`subject` went away", why, and what to check before the next try; a line turned away at
// once (busy) as openFailureText says it.
std::string portLostText(const std::string& subject, const PortError& error,
                         const RemedyHints& hints);

}  // namespace pv7100
