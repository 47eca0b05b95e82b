#include "app/options.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace pv7100 {
namespace {

const QString kCom1 = QStringLiteral("com1");
const QString kCom2 = QStringLiteral("com2");
const QString kSimulate = QStringLiteral("simulate");
const QString kLog = QStringLiteral("log");

void addOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      QStringLiteral("Control panel of the QUIVA PV7100 data projector on an RS-232C line."));
  // Not addHelpOption(): its --help-all offers Qt's own options, which are not taken here.
  parser.addOption({{QStringLiteral("h"), QStringLiteral("help")},
                    QStringLiteral("Displays help on commandline options.")});
  parser.addVersionOption();
  parser.addOption({kCom1,
                    QStringLiteral("The device behind COM1, e.g. /dev/ttyUSB0, a name under "
                                   "/dev/serial/by-id/, or a pseudo-terminal; or "
                                   "tcp:HOST:PORT for a serial device server (ser2net), or "
                                   "unix:PATH for pv7100d's socket (default %1).")
                        .arg(QString::fromStdString(defaultPortDevice(1))),
                    QStringLiteral("DEVICE")});
  parser.addOption({kCom2,
                    QStringLiteral("The device behind COM2 (default %1).")
                        .arg(QString::fromStdString(defaultPortDevice(2))),
                    QStringLiteral("DEVICE")});
  parser.addOption({kSimulate, QStringLiteral("Start the simulated projector pv7100-sim and put "
                                              "COM1 on it (replaces --com1).")});
  parser.addOption({kLog,
                    QStringLiteral("Append every line sent and every reply received to FILE, one "
                                   "a line: local time, direction, bytes as the monitor shows "
                                   "them."),
                    QStringLiteral("FILE")});
}

// A bad command line, said in one line: its control characters (an argument may hold any)
// are written as escapes, so that the message does nothing to the terminal.
Exit refusal(const QString& program, const QString& what) {
  QString line;
  for (const QChar c : what) {
    if (c == u'\r')
      line += QStringLiteral("\\r");
    else if (c == u'\n')
      line += QStringLiteral("\\n");
    else if (c == u'\t')
      line += QStringLiteral("\\t");
    else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
      line += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
    else
      line += c;
  }
  return Exit{
      (program + QStringLiteral(": ") + line + QStringLiteral(" Try --help.\n")).toStdString(), 2};
}

}  // namespace

std::variant<Options, Exit> readOptions(int argc, char** argv) {
  // The parser names the program after the application object's first argument.
  QCoreApplication app(argc, argv);
  QCommandLineParser parser;
  addOptions(parser);
  const QString program = QCoreApplication::applicationName();
  if (!parser.parse(QCoreApplication::arguments())) {
    return refusal(program, parser.errorText());
  }
  if (parser.isSet(QStringLiteral("help"))) return Exit{parser.helpText().toStdString(), 0};
  if (parser.isSet(QStringLiteral("version"))) {
    return Exit{(program + ' ' + QCoreApplication::applicationVersion() + '\n').toStdString(), 0};
  }
  if (!parser.positionalArguments().isEmpty()) {
    return refusal(program, QStringLiteral("unexpected argument '") +
                                parser.positionalArguments().constFirst() + QStringLiteral("'."));
  }
  for (const auto& [option, needs] :
       {std::pair{kCom1, "a device"}, std::pair{kCom2, "a device"}, std::pair{kLog, "a file"}}) {
    if (parser.isSet(option) && parser.value(option).isEmpty()) {
      return refusal(program, QStringLiteral("--") + option + QStringLiteral(" needs ") + needs +
                                  QStringLiteral("."));
    }
  }
  Options options;
  if (parser.isSet(kCom1)) options.devices.com1 = parser.value(kCom1).toStdString();
  if (parser.isSet(kCom2)) options.devices.com2 = parser.value(kCom2).toStdString();
  options.simulate = parser.isSet(kSimulate);
  options.logFile = parser.value(kLog).toStdString();
  return options;
}

std::string missingDisplay() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  const bool x = qEnvironmentVariableIsSet("DISPLAY");
  const bool wayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
  if (platform.isEmpty()) {
    if (x || wayland) return "";
    return "no display to open the window on: DISPLAY is not set. Run it in a desktop session "
           "or over ssh -X; pv7100ctl drives the projector without a window.";
  }
  if (platform.startsWith("xcb") && !x) {
    return "no X display to open the window on: DISPLAY is not set.";
  }
  if (platform.startsWith("wayland") && !wayland) {
    return "no Wayland display to open the window on: WAYLAND_DISPLAY is not set.";
  }
  return "";
}

}  // namespace pv7100
