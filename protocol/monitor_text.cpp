#include "protocol/monitor_text.h"

namespace pv7100 {

void appendMonitorTokens(std::string& monitor, std::string_view chars) {
  monitor.reserve(monitor.size() + 2 * chars.size());
  for (const char c : chars) {
    const auto code = static_cast<unsigned char>(c);
    if (code == 6) {
      monitor += "ACK ";
    } else if (code == 20) {
      monitor += '&';
    } else if (code == 13) {
      monitor += "CR ";
    } else if (code == 10) {
      monitor += "LF ";
    } else if (code >= ' ' && code <= 'z') {
      monitor += c;
      monitor += ' ';
    } else {
      monitor += "? ";
    }
  }
}

std::string renderMonitor(std::string_view line) {
  std::string monitor(1, ' ');
  appendMonitorTokens(monitor, line);
  return monitor;
}

}  // namespace pv7100
