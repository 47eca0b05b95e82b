#include "app/port_settings.h"

#include <array>
#include <charconv>
#include <cstddef>

namespace pv7100 {

namespace {

std::optional<int> wholeNumber(std::string_view field) {
  int value = 0;
  const char* end = field.data() + field.size();
  const auto [stop, error] = std::from_chars(field.data(), end, value);
  if (field.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<QSerialPort::Parity> parityOf(std::string_view field) {
  if (field == "N") return QSerialPort::NoParity;
  if (field == "E") return QSerialPort::EvenParity;
  if (field == "O") return QSerialPort::OddParity;
  if (field == "M") return QSerialPort::MarkParity;
  if (field == "S") return QSerialPort::SpaceParity;
  return std::nullopt;
}

std::optional<QSerialPort::StopBits> stopBitsOf(std::string_view field) {
  if (field == "1") return QSerialPort::OneStop;
  if (field == "1.5") return QSerialPort::OneAndHalfStop;
  if (field == "2") return QSerialPort::TwoStop;
  return std::nullopt;
}

}  // namespace

std::optional<LineSettings> parseLineSettings(std::string_view text) {
  std::array<std::string_view, 4> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::size_t comma = text.find(',', start);
    const bool last = i + 1 == fields.size();
    if (last != (comma == std::string_view::npos)) return std::nullopt;
    fields[i] = text.substr(start, last ? std::string_view::npos : comma - start);
    start = comma + 1;
  }
  const auto speed = wholeNumber(fields[0]);
  const auto parity = parityOf(fields[1]);
  const auto dataBits = wholeNumber(fields[2]);
  const auto stopBits = stopBitsOf(fields[3]);
  if (!speed || *speed <= 0 || !parity || !dataBits || *dataBits < 5 || *dataBits > 8 || !stopBits)
    return std::nullopt;
  return LineSettings{*speed, *parity, static_cast<QSerialPort::DataBits>(*dataBits), *stopBits};
}

}  // namespace pv7100
