// The code tables of the table-decoded status reads.
#pragma once

#include <span>
#include <string_view>

#include "protocol/status_decoder.h"

namespace pv7100 {

struct StatusRow {
  std::string_view key;  // the first characters of R
  std::string_view text;
  StatusValue value = {};      // the state the row stands for, where it is one
  std::string_view word = {};  // that state in words
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
