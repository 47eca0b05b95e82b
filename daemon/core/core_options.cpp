#include "daemon/core/core_options.h"

#include <array>

#include "daemon/core/setting_values.h"

namespace pv7100::daemon {
namespace {

using O = CoreOptions;
using S = const std::string&;

// In the order of the usage text: the command line's options, then the config file's own keys.
constexpr std::array kRows{
    SettingRow<O>{"port", true, "DEVICE",
                  "the projector's serial device, such as /dev/ttyUSB0, or tcp:HOST:PORT for a "
                  "serial device server (ser2net in raw mode)",
                  [](O& o, S shownAs, S value) {
                    if (value.empty())
                      throw UsageError(shownAs + " takes a device, such as /dev/ttyUSB0");
                    o.port = value;
                  }},
    SettingRow<O>{"baud", true, "19200|9600",
                  "the line speed (default 19200); 8 data bits, no parity, 1 stop bit",
                  [](O& o, S shownAs, S value) {
                    if (value != "19200" && value != "9600")
                      throw UsageError(shownAs + " takes 19200 or 9600, not \"" + value + "\"");
                    o.baud = value == "9600" ? 9600 : 19200;
                  }},
    SettingRow<O>{"log", true, "FILE",
                  "append every line on the serial port and every PJLink request and reply to "
                  "FILE; SIGHUP reopens it, for logrotate",
                  [](O& o, S, S value) { o.logFile = value; }},
    SettingRow<O>{"detail-poll-interval", true, "MS",
                  "ms between reads of the temperatures, pressure, lamp mode and reversal while "
                  "the web page or MQTT is on (default 60000, at least 1000)",
                  [](O& o, S shownAs, S value) {
                    o.detailPollMs = wholeNumber(shownAs, value, 1000, 3'600'000);
                  }},
    SettingRow<O>{"allow-open-network", false, "",
                  "yes: listen beyond loopback without a password, and serve the web page there "
                  "without one or over plain HTTP (default no)",
                  [](O& o, S shownAs, S value) { o.openNetwork = yesNo(shownAs, value); }},
    SettingRow<O>{"reply-timeout", false, "",
                  "ms to wait for the projector's reply, 100 to 1500 (default 1000)",
                  [](O& o, S shownAs, S value) {
                    o.replyTimeoutMs = wholeNumber(shownAs, value, 100, 1500);
                  }},
    SettingRow<O>{
        "poll-interval", false, "",
        "ms between reads of the operating state (default 10000, at least 1000)",
        [](O& o, S shownAs, S value) { o.pollMs = wholeNumber(shownAs, value, 1000, 3'600'000); }},
    SettingRow<O>{
        "busy-poll-interval", false, "",
        "the same while the projector counts down or cools down (default 1000, at least 1000)",
        [](O& o, S shownAs, S value) { o.busyPollMs = wholeNumber(shownAs, value, 1000, 60'000); }},
};

}  // namespace

std::span<const SettingRow<CoreOptions>> coreSettingRows() {
  return kRows;
}

}  // namespace pv7100::daemon
