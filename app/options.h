// The program's command-line options.
#pragma once

#include <QCommandLineParser>

#include "app/port_devices.h"

namespace pv7100 {

struct Options {
  PortDevices devices;
  bool simulate = false;  // COM1 on a simulated projector
};

// Adds --com1 DEVICE, --com2 DEVICE and --simulate; the caller adds --help and --version.
void addOptions(QCommandLineParser& parser);
Options readOptions(const QCommandLineParser& parser);

}  // namespace pv7100
