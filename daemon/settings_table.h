// Every setting of pv7100d, declared once: its key in the config file, whether the command line
// may give it (as --KEY), its parser with its bounds, its help line and the face it serves. The
// parsing, the usage text and the check of the example config all come from this table.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "daemon/options.h"

namespace pv7100::daemon {

struct Setting {
  std::string_view key;
  bool onCommandLine;
  // What the option takes in the usage text ("DEVICE"); "" for a setting of the config file
  // alone.
  std::string_view valueName;
  std::string_view help;
  // The face the setting serves ("pjlink", "http", "mqtt", ...), or "core".
  std::string_view face;
  // Takes `value` into `options`; `shownAs` names the setting in messages ("--listen" on the
  // command line, "listen" in the config file). Throws UsageError.
  void (*apply)(Options& options, const std::string& shownAs, const std::string& value);
};

std::span<const Setting> settingsTable();

// Text without the blanks (space, tab, CR) at either end.
std::string trimmed(std::string_view text);

// The local socket's path made absolute (Qt would take a relative one from its temporary
// folder), and short enough for a local socket's address. Throws UsageError.
std::string socketPath(const std::string& shownAs, const std::string& value);

// The row of `key`, nullptr when there is none.
const Setting* findSetting(std::string_view key);

}  // namespace pv7100::daemon
