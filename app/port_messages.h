// The texts that tell the user what went wrong with a port and what to do about it. Each
// names the port and its device the way the user knows them: "COM1 (/dev/ttyS0)".
#pragma once

#include <cstdint>
#include <string>

namespace pv7100 {

// Why a port could not be opened.
enum class OpenFailure {
  noDevice,      // nothing is there
  noPermission,  // the user may not use the device
  busy,          // another program holds it
  notSerial,     // the path names something other than a serial device
  alreadyOpen,   // this control has it open already
  other,
};

// The failure that an errno from opening or examining a device stands for.
OpenFailure openFailureOfErrno(int error);

struct OpenFailureFacts {
  OpenFailure kind = OpenFailure::other;
  std::string reason;  // the system's words: "No such file or directory"
  long holder = 0;     // the PID of the program that holds the device, 0 when not known
};

// "COM1 (/dev/ttyS0)".
std::string portLabel(std::int16_t port, const std::string& device);

std::string openFailureText(std::int16_t port, const std::string& device,
                            const OpenFailureFacts& facts);
// No port names itself: after a failed choice the number is the fall-back, not the choice.
std::string notOpenText();
std::string portLostText(std::int16_t port, const std::string& device, const std::string& reason);
std::string invalidPortText(std::int16_t port);
std::string portChangeWhileOpenText(std::int16_t port, const std::string& device);
std::string invalidSettingsText(const std::string& settings);
std::string settingsRefusedText(std::int16_t port, const std::string& device,
                                const std::string& settings, const std::string& reason);
std::string outputRefusedText(std::int16_t port, const std::string& device,
                              const std::string& reason);

}  // namespace pv7100
