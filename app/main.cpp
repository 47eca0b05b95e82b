// pv7100-panel: the control panel of the QUIVA PV7100 data projector.
#include <QApplication>
#include <QCommandLineParser>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/form1.h"
#include "app/options.h"
#include "app/qt_serial_control.h"
#include "app/simulator_process.h"
#include "ui/bindings.h"
#include "ui/qt_toolkit.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("pv7100-panel"));
  QApplication::setApplicationVersion(QStringLiteral(PV7100_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Control panel of the QUIVA PV7100 data projector on an RS-232C line."));
  parser.addHelpOption();
  parser.addVersionOption();
  pv7100::addOptions(parser);
  parser.process(app);
  pv7100::Options options = pv7100::readOptions(parser);

  std::optional<pv7100::SimulatorProcess> simulator;
  std::string simulatorFailure;
  if (options.simulate) {
    try {
      simulator.emplace(pv7100::SimulatorProcess::locate());
      options.devices.com1 = simulator->start();
    } catch (const std::runtime_error& e) {
      simulatorFailure = e.what();
    }
  }

  pv7100::QtSerialControl comm(options.devices);
  pv7100::ui::QtToolkit toolkit;
  pv7100::Form1 form(comm, toolkit);
  pv7100::ui::bindHandlers(form, toolkit, comm);
  if (!simulatorFailure.empty()) toolkit.window().messageBox(simulatorFailure);
  form.Form_Load();
  toolkit.show();
  return QApplication::exec();
}
