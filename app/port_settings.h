// The line settings of a port, written as the serial control takes them: "19200,N,8,1".
#pragma once

#include <optional>
#include <string_view>

#include <QSerialPort>

namespace pv7100 {

struct LineSettings {
  qint32 baudRate = 19200;
  QSerialPort::Parity parity = QSerialPort::NoParity;
  QSerialPort::DataBits dataBits = QSerialPort::Data8;
  QSerialPort::StopBits stopBits = QSerialPort::OneStop;

  bool operator==(const LineSettings&) const = default;
};

// The settings that `text` names, or nothing when it is not of the form speed, parity, data
// bits, stop bits, separated by commas: a whole positive speed, one of the parity letters N,
// E, O, M, S (none, even, odd, mark, space), 5 to 8 data bits and 1, 1.5 or 2 stop bits.
std::optional<LineSettings> parseLineSettings(std::string_view text);

}  // namespace pv7100
