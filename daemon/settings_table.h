// Every setting of pv7100d in one table: the rows the core and each face's library declare,
// each taking its value into its part of Options. The parsing, the usage text and the check of
// the example config all come from this table.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "daemon/options.h"

namespace pv7100::daemon {

struct Setting {
  std::string_view key;
  bool onCommandLine;
  std::string_view valueName;  // "" for a setting of the config file alone
  std::string_view help;
  std::function<void(Options& options, const std::string& shownAs, const std::string& value)> apply;
};

// In the order of the usage text: the core's rows, then each face's, in the order the faces
// are built.
const std::vector<Setting>& settingsTable();

// The row of `key`, nullptr when there is none.
const Setting* findSetting(std::string_view key);

}  // namespace pv7100::daemon
