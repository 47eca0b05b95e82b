// pv7100-panel: the control panel of the QUIVA PV7100 data projector.
#include <QApplication>
#include <QCommandLineParser>

#include "app/form1.h"
#include "app/options.h"
#include "app/qt_serial_control.h"
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
  const pv7100::Options options = pv7100::readOptions(parser);

  pv7100::QtSerialControl comm(options.devices);
  pv7100::ui::QtToolkit toolkit;
  pv7100::Form1 form(comm, toolkit);
  pv7100::ui::bindHandlers(form, toolkit, comm);
  form.Form_Load();
  toolkit.show();
  return QApplication::exec();
}
