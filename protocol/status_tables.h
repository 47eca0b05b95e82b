// The code tables of the table-decoded status reads.
#pragma once

#include <span>
#include <string_view>

namespace pv7100 {

struct StatusRow {
  std::string_view key;  // the first characters of R
  std::string_view text;
};

struct StatusTable {
  std::size_t keyLength;
  std::span<const StatusRow> rows;
};

const StatusTable& operatingStateTable();  // "CR0"
const StatusTable& inputModeTable();       // "CR1"
const StatusTable& reversalTable();        // "CR4"
const StatusTable& muteTable();            // "CRA"
const StatusTable& lampModeTable();        // "CR7"

}  // namespace pv7100
