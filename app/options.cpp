#include "app/options.h"

namespace pv7100 {
namespace {

const QString kCom1 = QStringLiteral("com1");
const QString kCom2 = QStringLiteral("com2");
const QString kSimulate = QStringLiteral("simulate");

}  // namespace

void addOptions(QCommandLineParser& parser) {
  parser.addOption({kCom1,
                    QStringLiteral("The device behind COM1, e.g. /dev/ttyUSB0, a name under "
                                   "/dev/serial/by-id/, or a pseudo-terminal (default %1).")
                        .arg(QString::fromStdString(defaultPortDevice(1))),
                    QStringLiteral("DEVICE")});
  parser.addOption({kCom2,
                    QStringLiteral("The device behind COM2 (default %1).")
                        .arg(QString::fromStdString(defaultPortDevice(2))),
                    QStringLiteral("DEVICE")});
  parser.addOption({kSimulate, QStringLiteral("Start the simulated projector pv7100-sim and put "
                                              "COM1 on it (replaces --com1).")});
}

Options readOptions(const QCommandLineParser& parser) {
  Options options;
  if (parser.isSet(kCom1)) options.devices.com1 = parser.value(kCom1).toStdString();
  if (parser.isSet(kCom2)) options.devices.com2 = parser.value(kCom2).toStdString();
  return options;
}

}  // namespace pv7100
