#include "ctl/reply_cutter.h"

#include "protocol/line_format.h"

namespace pv7100::ctl {

std::optional<std::string> ReplyCutter::take() {
  const std::size_t end = pending_.find_first_of(std::string{kAck, kCarriageReturn});
  if (end == std::string::npos) return std::nullopt;
  std::string reply = pending_.substr(0, end + 1);
  pending_.erase(0, end + 1);
  return reply;
}

}  // namespace pv7100::ctl
