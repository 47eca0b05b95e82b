#include "daemon/pjlink_udp/udp_options.h"

#include <array>

#include "daemon/core/setting_values.h"

namespace pv7100::daemon {
namespace {

using O = UdpOptions;
using S = const std::string&;

constexpr std::array kRows{
    SettingRow<O>{"pjlink-search", true, "yes|no",
                  "answer PJLink searches and send the link-up and the notifications on UDP "
                  "(default yes), where the PJLink clients connect: on loopback, only this "
                  "machine's",
                  [](O& o, S shownAs, S value) { o.search = yesNo(shownAs, value); }},
    SettingRow<O>{
        "pjlink-udp-port", true, "PORT",
        "the UDP port searches come in on (default 4352; several daemons on one "
        "machine share it)",
        [](O& o, S shownAs, S value) { o.udpPort = wholeNumber(shownAs, value, 1, 65535); }},
    SettingRow<O>{
        "pjlink-controller-port", true, "PORT",
        "the UDP port of the controllers, where the answers to searches, the link-up "
        "and the notifications go (default 4352)",
        [](O& o, S shownAs, S value) { o.controllerPort = wholeNumber(shownAs, value, 1, 65535); }},
};

}  // namespace

std::span<const SettingRow<UdpOptions>> udpSettingRows() {
  return kRows;
}

}  // namespace pv7100::daemon
