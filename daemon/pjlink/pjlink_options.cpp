#include "daemon/pjlink/pjlink_options.h"

#include <array>

#include "daemon/pjlink/answers.h"

namespace pv7100::daemon {
namespace {

using O = PjlinkOptions;
using S = const std::string&;

constexpr std::array kRows{
    SettingRow<O>{
        "listen", true, "ADDR:PORT",
        "where PJLink clients connect (default 127.0.0.1:4352; [::1]:4352 for IPv6; "
        "[::ffff:127.0.0.1] is taken as 127.0.0.1); an address beyond loopback needs a "
        "password, or allow-open-network = yes in the config file",
        [](O& o, S shownAs, S value) { o.listen = listenAddress(shownAs, value, "4352"); }},
    SettingRow<O>{
        "name", true, "NAME", "the projector's name for PJLink's NAME query (default PV7100)",
        [](O& o, S shownAs, S value) { o.name = printableText(shownAs, value, kMaxNameLength); }},
    SettingRow<O>{"password-file", true, "FILE",
                  "the PJLink password, the first line of FILE, a regular file (at most 32 "
                  "characters); never on the command line, where every user could read it",
                  [](O& o, S, S value) { o.passwordFile = value; }},
    SettingRow<O>{"manufacturer", false, "", "the maker for PJLink's INF1 query (default QUIVA)",
                  [](O& o, S shownAs, S value) {
                    o.manufacturer = printableText(shownAs, value, kMaxMakerLength);
                  }},
    SettingRow<O>{
        "max-clients", false, "",
        "PJLink clients at once, 1 to 1024 (default 64); more are refused",
        [](O& o, S shownAs, S value) { o.maxClients = wholeNumber(shownAs, value, 1, 1024); }},
};

}  // namespace

std::span<const SettingRow<PjlinkOptions>> pjlinkSettingRows() {
  return kRows;
}

}  // namespace pv7100::daemon
