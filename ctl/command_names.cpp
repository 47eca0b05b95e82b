#include "ctl/command_names.h"

#include <array>
#include <cctype>
#include <optional>
#include <span>
#include <utility>

#include "protocol/commands.h"

namespace pv7100::ctl {

namespace {

using Words = std::pair<std::string_view, std::string_view>;

// The first word(s) of each group's names; the right-hand column's captions stand alone.
constexpr std::array kGroupWords = std::to_array<Words>({
    {"POWER", "power"},
    {"INPUT MODE SET", "input"},
    {"MENU", "menu"},
    {"SOUND MUTE", "sound-mute"},
    {"NO SHOW", "no-show"},
    {"FREEZE", "freeze"},
    {"AV Size", "av-size"},
    {"right-hand column", ""},
    {"LAMP MODE", "lamp"},
    {"picture mode", "image"},
    {"status read", "read"},
    {"input type 1", "input-1"},
    {"input type 2", "input-2"},
    {"input type 3", "input-3"},
    {"FAN SPEED", "fan"},
    {"VOL", "vol"},
    {"cursor pad", "cursor"},
    {"Zoom", "zoom"},
    {"Focus", "focus"},
    {"D.Zoom", "d-zoom"},
    {"Keystone", "keystone"},
    {"LENS SHIFT", "lens-shift"},
});

// Captions that are signs rather than words. "IMAGE" of the right-hand column opens the
// picture adjustment; alone, "image" would read like one of the picture modes.
constexpr std::array kCaptionWords = std::to_array<Words>({
    {"+", "plus"},
    {"-", "minus"},
    {"↑", "up"},
    {"↓", "down"},
    {"←", "left"},
    {"→", "right"},
    {"IMAGE", "image-adjust"},
});

std::optional<std::string_view> lookUp(std::span<const Words> table, std::string_view key) {
  for (const auto& [from, to] : table) {
    if (from == key) return to;
  }
  return std::nullopt;
}

// Letters and digits in lower case; every run of anything else becomes one hyphen.
std::string hyphenated(std::string_view text) {
  std::string words;
  bool gap = false;
  for (const char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      if (gap && !words.empty()) words += '-';
      words += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      gap = false;
    } else {
      gap = true;
    }
  }
  return words;
}

std::vector<NamedCommand> buildTable() {
  std::vector<NamedCommand> table;
  for (const OneShotCommand& button : oneShotCommands())
    table.push_back({commandName(button.group, button.caption), button.code, button.group,
                     button.caption, CommandKind::oneShot, 0});
  table.push_back(
      {"display-clear", kDisplayClearCode, "", "DISPLAY CLEAR", CommandKind::oneShot, 0});
  for (const RepeatCommand& button : repeatCommands())
    table.push_back({commandName(button.group, button.caption), button.code, button.group,
                     button.caption, CommandKind::repeat,
                     button.cursorArrow() ? kArrowPeriod : button.pacing.period});
  return table;
}

}  // namespace

std::string commandName(std::string_view group, std::string_view caption) {
  const auto groupWord = lookUp(kGroupWords, group);
  const std::string groupWords = groupWord ? std::string(*groupWord) : hyphenated(group);
  const auto captionWord = lookUp(kCaptionWords, caption);
  const std::string captionWords = captionWord ? std::string(*captionWord) : hyphenated(caption);
  return groupWords.empty() ? captionWords : groupWords + '-' + captionWords;
}

const std::vector<NamedCommand>& namedCommands() {
  static const std::vector<NamedCommand> table = buildTable();
  return table;
}

const NamedCommand* findCommand(std::string_view name) {
  for (const NamedCommand& command : namedCommands()) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

}  // namespace pv7100::ctl
