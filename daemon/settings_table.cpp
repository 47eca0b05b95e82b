#include "daemon/settings_table.h"

#include <stdexcept>

namespace pv7100::daemon {
namespace {

template <typename Part>
void addRows(std::vector<Setting>& table, Part Options::*part,
             std::span<const SettingRow<Part>> rows) {
  for (const SettingRow<Part>& row : rows) {
    // Two parts cannot both own a key: the second would never be read.
    for (const Setting& earlier : table) {
      if (earlier.key == row.key) throw std::logic_error("two rows of " + std::string(row.key));
    }
    table.push_back({row.key, row.onCommandLine, row.valueName, row.help,
                     [part, apply = row.apply](Options& options, const std::string& shownAs,
                                               const std::string& value) {
                       apply(options.*part, shownAs, value);
                     }});
  }
}

}  // namespace

const std::vector<Setting>& settingsTable() {
  static const std::vector<Setting> table = [] {
    std::vector<Setting> rows;
    addRows(rows, &Options::core, coreSettingRows());
    addRows(rows, &Options::pjlink, pjlinkSettingRows());
    addRows(rows, &Options::udp, udpSettingRows());
    addRows(rows, &Options::share, shareSettingRows());
    addRows(rows, &Options::http, httpSettingRows());
    addRows(rows, &Options::mqtt, mqttSettingRows());
    return rows;
  }();
  return table;
}

const Setting* findSetting(std::string_view key) {
  for (const Setting& setting : settingsTable()) {
    if (setting.key == key) return &setting;
  }
  return nullptr;
}

}  // namespace pv7100::daemon
