// The status decoder on arbitrary replies, against each of the nine status reads and against
// a command line of the input's own; and the pressure arithmetic on its own.
//
// Input: the reply. When it holds a NUL, the bytes before the first NUL are a command line
// and the reply is what follows.
#include <array>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/require.h"
#include "protocol/monitor_text.h"
#include "protocol/pressure.h"
#include "protocol/status_decoder.h"
#include "protocol/status_tables.h"

namespace {

using pv7100::fuzz::require;

constexpr std::array kStatusReads = std::to_array<std::string_view>(
    {"CR0", "CR1", "CR3", "CR4", "CR6", "CR7", "CR9", "CRA", "CR PRESSURE"});

// Characters `from` to `to` of `r`, counted from 1; as many of them as exist.
std::string_view span(std::string_view r, std::size_t from, std::size_t to) {
  return from > r.size() ? std::string_view{} : r.substr(from - 1, to - from + 1);
}

const pv7100::StatusTable* tableOf(std::string_view code) {
  if (code == "CR0") return &pv7100::operatingStateTable();
  if (code == "CR1") return &pv7100::inputModeTable();
  if (code == "CR4") return &pv7100::reversalTable();
  if (code == "CRA") return &pv7100::muteTable();
  if (code == "CR7") return &pv7100::lampModeTable();
  return nullptr;
}

// A table read gives the text of the row whose key starts R, or nothing.
void checkTable(const pv7100::StatusTable& table, std::string_view r,
                const std::optional<pv7100::DecodedStatus>& decoded) {
  for (const pv7100::StatusRow& row : table.rows) {
    if (r.substr(0, table.keyLength) == row.key) {
      require(decoded && decoded->text == row.text && decoded->value == row.value,
              "a table read gives the row its key names");
      return;
    }
  }
  require(!decoded, "a table read with no matching row leaves the line");
}

// The nearest integer, an exact half to the even neighbour (the default rounding mode).
std::optional<std::int16_t> nearestInt16(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double nearest = std::nearbyint(value);
  if (nearest < INT16_MIN || nearest > INT16_MAX) return std::nullopt;
  return static_cast<std::int16_t>(nearest);
}

void checkRounding(double value) {
  const std::optional<std::int16_t> rounded = pv7100::roundToInt16(value);
  require(rounded == nearestInt16(value), "rounding is to the nearest, halves to even");
  if (!rounded) return;
  const double distance = std::fabs(value - *rounded);
  require(distance <= 0.5, "rounding moves by at most a half");
  require(distance < 0.5 || *rounded % 2 == 0, "an exact half rounds to the even neighbour");
}

// The pressure of a reading, from its definition: readings beyond -6553 to 6553 have none.
std::optional<std::int16_t> expectedHpa(std::int16_t reading) {
  if (reading < -6553 || reading > 6553) return std::nullopt;
  const int times5 = reading * 5;
  return nearestInt16((times5 / 1024.0 - 0.204) / 0.00459 + 150);
}

void checkPressureHpa(std::string_view r) {
  const std::optional<std::int16_t> reading = nearestInt16(pv7100::numericValue(r));
  const std::optional<std::int16_t> hpa = pv7100::pressureHpa(r);
  if (!reading) {
    require(!hpa, "a reading beyond 16 bits has no pressure");
    return;
  }
  require(hpa == expectedHpa(*reading), "pressure follows the reading");
}

// "<number> hPa" or "---- hPa", the number as the pressure of R's reading.
void checkPressureText(std::string_view r, const std::optional<pv7100::DecodedStatus>& decoded) {
  require(decoded.has_value(), "a pressure read always writes the line");
  std::string_view number(decoded->text);
  require(number.ends_with(" hPa"), "pressure text ends in \" hPa\"");
  number.remove_suffix(4);
  const std::optional<std::int16_t> hpa = pv7100::pressureHpa(r);
  require(number == (hpa ? std::to_string(*hpa) : "----"), "pressure text is the number or ----");
  require(decoded->value ==
              (hpa ? pv7100::StatusValue(pv7100::PressureHpa{*hpa}) : pv7100::StatusValue()),
          "the value is the pressure, or none");
}

void checkRead(std::string_view code, std::string_view r) {
  const std::string line = std::string(code) + '\r';
  const std::optional<pv7100::DecodedStatus> decoded = pv7100::decodeStatus(line, r);
  const std::optional<std::string> text = decoded ? std::optional(decoded->text) : std::nullopt;
  if (const pv7100::StatusTable* table = tableOf(code)) {
    checkTable(*table, r, decoded);
  } else if (code == "CR9") {
    require(text == r, "CR9 shows R");
  } else if (code == "CR3") {
    require(text == std::string(span(r, 1, 38)) + " Hour Use", "CR3 is R's first 38, then hours");
    require(text->ends_with(" Hour Use"), "CR3 ends in \" Hour Use\"");
  } else if (code == "CR6") {
    const std::string expected = "  S1=" + std::string(span(r, 1, 10)) +
                                 " C  ,   S2= " + std::string(span(r, 15, 22)) +
                                 " C  ,   S3= " + std::string(span(r, 28, 35)) +
                                 " C  ,   S4= " + std::string(span(r, 41, 48)) + " C ";
    require(text == expected, "CR6 shows the four temperature columns");
  } else {
    checkPressureText(r, decoded);
  }
}

// A command line that is not exactly a status read decodes nothing.
void checkCommandLine(std::string_view commandLine, std::string_view r) {
  const std::optional<pv7100::DecodedStatus> decoded = pv7100::decodeStatus(commandLine, r);
  for (const std::string_view code : kStatusReads) {
    if (commandLine == std::string(code) + '\r') return;  // checked as a status read
  }
  require(!decoded, "a command line that is no status read decodes nothing");
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

// The number at the start of `text` as the C library reads it, once blanks are removed, D
// marks an exponent as E does and a lower-case e or d ends the number; nothing when the C library
// would read more than a decimal number (hexadecimal, infinity, leading white space of other
// kinds).
std::optional<double> referenceValue(std::string_view text) {
  std::string compact;
  for (const char c : text) {
    if (!isBlank(c)) compact += c == 'D' ? 'E' : (c == 'e' || c == 'd') ? ';' : c;
  }
  const std::size_t body = compact.starts_with('+') || compact.starts_with('-') ? 1 : 0;
  if (body >= compact.size() ||
      !(std::isdigit(static_cast<unsigned char>(compact[body])) || compact[body] == '.'))
    return std::nullopt;
  if (compact.compare(body, 2, "0x") == 0 || compact.compare(body, 2, "0X") == 0)
    return std::nullopt;
  return std::strtod(compact.c_str(), nullptr);
}

void checkNumericValue(std::string_view text) {
  const double value = pv7100::numericValue(text);
  std::string compact(text);
  std::erase_if(compact, isBlank);
  require(value == pv7100::numericValue(compact), "blanks do not change the number");
  if (const std::optional<double> reference = referenceValue(text))
    require(value == *reference, "the number is read as the C library reads it");
  else
    require(value == 0, "a text that does not start with a number reads as 0");
  checkRounding(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string_view reply = nul == std::string_view::npos ? input : input.substr(nul + 1);
  const std::string r = pv7100::renderMonitor(reply);

  // R as the RXD line shows the reply, and the raw bytes as a text the decoder never gets
  // from the panel.
  for (const std::string_view text : {std::string_view(r), reply}) {
    for (const std::string_view code : kStatusReads) checkRead(code, text);
    if (nul != std::string_view::npos) checkCommandLine(input.substr(0, nul), text);
    checkNumericValue(text);
    checkPressureHpa(text);
  }

  // Any double, and halves on both sides of the 16-bit limits.
  for (std::size_t at = 0; at + sizeof(double) <= size; at += sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data + at, sizeof value);
    checkRounding(value);
    std::int32_t whole = 0;
    std::memcpy(&whole, data + at, sizeof whole);
    checkRounding((whole % 131072) / 2.0);
  }
  return 0;
}
