// Every command a button of the panel sends, under a name for the command line: lower-case
// words joined by hyphens, made from the button's group and caption ("power-on", "zoom-plus").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pv7100::ctl {

enum class CommandKind { oneShot, repeat };

// The cursor pad arrows keep the repeat timer's period; a hold that starts from nothing has
// the timer's start value.
inline constexpr int kArrowPeriod = 200;

struct NamedCommand {
  std::string name;
  std::string_view code;
  std::string_view group;  // "" for "DISPLAY CLEAR", which stands alone
  std::string_view caption;
  CommandKind kind = CommandKind::oneShot;
  int period = 0;  // ms between the lines of a hold; 0 for a one-shot command
};

// The name of the button captioned `caption` in `group`.
std::string commandName(std::string_view group, std::string_view caption);

// The 46 one-shot buttons, "DISPLAY CLEAR" and the 21 hold-to-repeat buttons, in panel order.
const std::vector<NamedCommand>& namedCommands();

// The command called `name`, nullptr when there is none.
const NamedCommand* findCommand(std::string_view name);

}  // namespace pv7100::ctl
