#include "protocol/status_decoder.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "protocol/line_format.h"
#include "protocol/pressure.h"
#include "protocol/status_reads.h"
#include "protocol/status_tables.h"

namespace pv7100 {
namespace {

// Characters `from` to `to` of R, counted from 1; as many of them as exist.
std::string_view chars(std::string_view r, std::size_t from, std::size_t to) {
  if (from > r.size()) return {};
  return r.substr(from - 1, to - from + 1);
}

// The reply's characters up to the first one the monitor shows by a name ("CR ", "ACK "), at
// most `limit` of them: each shown one is itself and a space. Written into room made at once,
// since a reply may run to thousands of characters and is decoded again at every burst.
std::string shownReply(std::string_view r, std::size_t limit = std::string_view::npos) {
  // Character n stands at 2n + 1 with its space after it.
  std::string reply(std::min(limit, r.empty() ? 0 : (r.size() - 1) / 2), '\0');
  std::size_t n = 0;
  for (std::size_t i = 1; n < reply.size() && r[i + 1] == ' '; i += 2) reply[n++] = r[i];
  reply.resize(n);
  return reply;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

template <typename Number>
std::optional<Number> number(std::string_view text) {
  text = trimmed(text);
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<DecodedStatus> byTable(const StatusTable& table, std::string_view r) {
  const std::string_view key = r.substr(0, table.keyLength);
  for (const StatusRow& row : table.rows) {
    if (row.key == key) return DecodedStatus{std::string(row.text), row.value};
  }
  return std::nullopt;
}

DecodedStatus lampHours(std::string_view r) {
  DecodedStatus decoded{std::string(chars(r, 1, 38)) + " Hour Use", {}};
  if (const auto hours = number<long>(shownReply(r))) decoded.value = LampHours{*hours};
  return decoded;
}

DecodedStatus temperatures(std::string_view r) {
  std::string text = "  S1=";
  text += chars(r, 1, 10);
  text += " C  ,   S2= ";
  text += chars(r, 15, 22);
  text += " C  ,   S3= ";
  text += chars(r, 28, 35);
  text += " C  ,   S4= ";
  text += chars(r, 41, 48);
  text += " C ";
  DecodedStatus decoded{std::move(text), {}};
  // Reply characters 1-5, 8-11, 14-17 and 21-24 hold S1 to S4.
  const std::string reply = shownReply(r, 24);
  const std::string_view shown = reply;
  Temperatures sensors;
  const std::size_t starts[] = {0, 7, 13, 20};
  const std::size_t lengths[] = {5, 4, 4, 4};
  for (std::size_t i = 0; i < 4; ++i) {
    const auto celsius =
        number<double>(shown.substr(std::min(starts[i], shown.size()), lengths[i]));
    if (!celsius) return decoded;
    sensors.celsius[i] = *celsius;
  }
  decoded.value = sensors;
  return decoded;
}

DecodedStatus pressure(std::string_view r) {
  const std::optional<std::int16_t> hpa = pressureHpa(r);
  // A reading beyond what the projector can report: no number is better than a stale one.
  if (!hpa) return {"---- hPa", {}};
  return {std::to_string(*hpa) + " hPa", PressureHpa{*hpa}};
}

std::optional<DecodedStatus> decode(Decoding decoding, std::string_view r) {
  switch (decoding) {
    case Decoding::operatingState:
      return byTable(operatingStateTable(), r);
    case Decoding::inputMode:
      return byTable(inputModeTable(), r);
    case Decoding::lampHours:
      return lampHours(r);
    case Decoding::reversal:
      return byTable(reversalTable(), r);
    case Decoding::temperatures:
      return temperatures(r);
    case Decoding::lampMode:
      return byTable(lampModeTable(), r);
    case Decoding::asShown:
      return DecodedStatus{std::string(r), {}};
    case Decoding::mute:
      return byTable(muteTable(), r);
    case Decoding::pressure:
      return pressure(r);
  }
  return std::nullopt;
}

bool is(std::string_view commandLine, std::string_view code) {
  return commandLine.size() == code.size() + 1 && commandLine.starts_with(code) &&
         commandLine.back() == kCarriageReturn;
}

template <typename State>
std::string_view wordIn(const StatusTable& table, State state) {
  for (const StatusRow& row : table.rows) {
    if (row.value == StatusValue(state)) return row.word;
  }
  return {};
}

}  // namespace

// The reads' codes differ, so at most one matches.
std::optional<DecodedStatus> decodeStatus(std::string_view commandLine, std::string_view r) {
  for (const StatusRead& read : kStatusReads) {
    if (is(commandLine, read.code)) return decode(read.decoding, r);
  }
  return std::nullopt;
}

std::string_view stateWord(OperatingState state) {
  return wordIn(operatingStateTable(), state);
}

std::string_view stateWord(LampMode mode) {
  return wordIn(lampModeTable(), mode);
}

std::string_view stateWord(Reversal reversal) {
  return wordIn(reversalTable(), reversal);
}

}  // namespace pv7100
