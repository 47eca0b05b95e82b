// Cuts the bytes that come from the projector into replies. A reply is complete at ACK, or
// at CR: a status reply and a refusal (NAK, CR) end with CR.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pv7100::ctl {

inline constexpr char kNak = '\x15';

class ReplyCutter {
 public:
  void add(std::string_view bytes) { pending_.append(bytes); }
  // The oldest complete reply, with its ACK or CR; nullopt while none is complete.
  std::optional<std::string> take();
  void clear() { pending_.clear(); }

 private:
  std::string pending_;
};

// The projector refused the command: the reply starts with NAK.
inline bool refused(std::string_view reply) {
  return reply.starts_with(kNak);
}

}  // namespace pv7100::ctl
