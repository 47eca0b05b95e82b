// One setting of pv7100d as the part it serves declares it (the core, or a face's library): its
// key in the config file, whether the command line may give it (as --KEY), what the option
// takes in the usage text, its help line, and its parser with its bounds, which takes the value
// into the part's own options. The program puts every part's rows into one table.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pv7100::daemon {

// Bad arguments or a bad config file; what() says which and why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

template <typename PartOptions>
struct SettingRow {
  std::string_view key;
  bool onCommandLine;
  // What the option takes in the usage text ("DEVICE"); "" for a setting of the config file
  // alone.
  std::string_view valueName;
  std::string_view help;
  // Takes `value` into `options`; `shownAs` names the setting in messages ("--listen" on the
  // command line, "listen" in the config file). Throws UsageError.
  void (*apply)(PartOptions& options, const std::string& shownAs, const std::string& value);
};

}  // namespace pv7100::daemon
