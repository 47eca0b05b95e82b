#include <iostream>

#include "ctl/commands.h"
#include "ctl/exit_codes.h"
#include "ctl/json.h"

namespace pv7100::ctl {

namespace {

// Appended piece by piece: GCC 12 warns about the same built with + in Release.
std::string description(const Command& command) {
  std::string text(command.group);
  if (!text.empty()) text += ' ';
  text += '"';
  text += command.caption;
  text += '"';
  return text;
}

}  // namespace

int runList(bool json) {
  if (!json) {
    for (const Command& command : commands())
      std::cout << command.name << '\t' << command.code << '\t' << description(command) << '\n';
    return kDone;
  }
  std::cout << "[\n";
  const auto all = commands();
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Command& command = all[i];
    const bool repeat = command.kind == CommandKind::repeat;
    std::cout << "  {\"name\": " << jsonString(command.name)
              << ", \"code\": " << jsonString(command.code)
              << ", \"group\": " << jsonString(command.group)
              << ", \"caption\": " << jsonString(command.caption)
              << ", \"kind\": " << (repeat ? "\"repeat\"" : "\"one-shot\"");
    if (repeat) std::cout << ", \"period\": " << holdPeriod(command);
    std::cout << (i + 1 < all.size() ? "},\n" : "}\n");
  }
  std::cout << "]\n";
  return kDone;
}

}  // namespace pv7100::ctl
