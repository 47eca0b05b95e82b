#include "protocol/reply_text.h"

#include <algorithm>

#include "protocol/monitor_text.h"

namespace pv7100 {

void ReplyText::append(std::string_view chars) {
  const std::size_t room = kCapacity - text_.size();
  const std::string_view kept = chars.substr(0, std::min(room, chars.size()));
  dropped_ += chars.size() - kept.size();
  text_.append(kept);
  appendMonitorTokens(monitor_, kept);
}

void ReplyText::clear() {
  text_.clear();
  monitor_.assign(1, ' ');
  dropped_ = 0;
}

}  // namespace pv7100
