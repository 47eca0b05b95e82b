// The program's command-line options.
#pragma once

#include <QCommandLineParser>

#include "app/port_devices.h"

namespace pv7100 {

struct Options {
  PortDevices devices;
};

// Adds --com1 DEVICE and --com2 DEVICE; the caller adds --help and --version.
void addOptions(QCommandLineParser& parser);
Options readOptions(const QCommandLineParser& parser);

}  // namespace pv7100
