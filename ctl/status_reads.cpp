#include "ctl/status_reads.h"

#include <array>

namespace pv7100::ctl {

namespace {

constexpr std::array kReads = std::to_array<StatusRead>({
    {"state", "CR0"},
    {"input", "CR1"},
    {"lamp-hours", "CR3"},
    {"reversal", "CR4"},
    {"temperatures", "CR6"},
    {"lamp-mode", "CR7"},
    {"version", "CR9"},
    {"mute", "CRA"},
    {"pressure", "CR PRESSURE"},
});

}  // namespace

std::span<const StatusRead> statusReads() {
  return kReads;
}

const StatusRead* findStatusRead(std::string_view name) {
  for (const StatusRead& read : kReads) {
    if (read.name == name) return &read;
  }
  return nullptr;
}

}  // namespace pv7100::ctl
