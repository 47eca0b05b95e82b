// The nine status reads by name, in the order `status` asks them.
#pragma once

#include <span>
#include <string_view>

namespace pv7100::ctl {

struct StatusRead {
  std::string_view name;
  std::string_view code;
};

std::span<const StatusRead> statusReads();

// The read called `name`, nullptr when there is none.
const StatusRead* findStatusRead(std::string_view name);

}  // namespace pv7100::ctl
