#include "protocol/status_decoder.h"

#include <array>

#include "protocol/line_format.h"
#include "protocol/pressure.h"
#include "protocol/status_tables.h"

namespace pv7100 {
namespace {

// Characters `from` to `to` of R, counted from 1; as many of them as exist.
std::string_view chars(std::string_view r, std::size_t from, std::size_t to) {
  if (from > r.size()) return {};
  return r.substr(from - 1, to - from + 1);
}

std::optional<std::string> byTable(const StatusTable& table, std::string_view r) {
  const std::string_view key = r.substr(0, table.keyLength);
  for (const StatusRow& row : table.rows) {
    if (row.key == key) return std::string(row.text);
  }
  return std::nullopt;
}

std::string lampHours(std::string_view r) {
  return std::string(chars(r, 1, 38)) + " Hour Use";
}

std::string temperatures(std::string_view r) {
  std::string text = "  S1=";
  text += chars(r, 1, 10);
  text += " C  ,   S2= ";
  text += chars(r, 15, 22);
  text += " C  ,   S3= ";
  text += chars(r, 28, 35);
  text += " C  ,   S4= ";
  text += chars(r, 41, 48);
  text += " C ";
  return text;
}

std::optional<std::string> pressure(std::string_view r, std::int16_t& pressureValue) {
  const std::optional<std::int16_t> hpa = pressureHpa(r, pressureValue);
  // A reading beyond what the projector can report: no number is better than a stale one.
  if (!hpa) return "---- hPa";
  return std::to_string(*hpa) + " hPa";
}

bool is(std::string_view commandLine, std::string_view code) {
  return commandLine.size() == code.size() + 1 && commandLine.starts_with(code) &&
         commandLine.back() == kCarriageReturn;
}

}  // namespace

std::optional<std::string> decodeStatus(std::string_view commandLine, std::string_view r,
                                        std::int16_t& pressureValue) {
  // Recognised in this order; at most one matches.
  if (is(commandLine, "CR0")) return byTable(operatingStateTable(), r);
  if (is(commandLine, "CR1")) return byTable(inputModeTable(), r);
  if (is(commandLine, "CR4")) return byTable(reversalTable(), r);
  if (is(commandLine, "CR3")) return lampHours(r);
  if (is(commandLine, "CR6")) return temperatures(r);
  if (is(commandLine, "CRA")) return byTable(muteTable(), r);
  if (is(commandLine, "CR9")) return std::string(r);
  if (is(commandLine, "CR PRESSURE")) return pressure(r, pressureValue);
  if (is(commandLine, "CR7")) return byTable(lampModeTable(), r);
  return std::nullopt;
}

}  // namespace pv7100
