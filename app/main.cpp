// pv7100-panel: the control panel of the QUIVA PV7100 data projector.
//
// Exit status: 0 when the window is closed, "END" is clicked, or SIGINT or SIGTERM ends it as
// "END" does; 1 when there is no display to open the window on; 2 for a bad option or a log
// file that cannot be opened.
#include <QApplication>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>

#include "app/assembled_panel.h"
#include "app/options.h"
#include "app/simulator_process.h"
#include "app/stop_signals.h"

int main(int argc, char** argv) {
  QCoreApplication::setApplicationName(QStringLiteral("pv7100-panel"));
  QCoreApplication::setApplicationVersion(QStringLiteral(PV7100_VERSION));
  auto read = pv7100::readOptions(argc, argv);
  if (const auto* exit = std::get_if<pv7100::Exit>(&read)) {
    std::fputs(exit->text.c_str(), exit->status == 0 ? stdout : stderr);
    return exit->status;
  }
  pv7100::Options options = std::get<pv7100::Options>(read);
  if (const std::string missing = pv7100::missingDisplay(); !missing.empty()) {
    std::fprintf(stderr, "pv7100-panel: %s\n", missing.c_str());
    return 1;
  }
  QApplication app(argc, argv);

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

  std::optional<pv7100::AssembledPanel> panel;
  try {
    panel.emplace(options.devices, options.logFile);
  } catch (const pv7100::LogFileError& e) {
    std::fprintf(stderr, "pv7100-panel: %s\n", e.what());
    return 2;
  }
  if (!simulatorFailure.empty()) panel->toolkit().window().messageBox(simulatorFailure);
  pv7100::endOnStopSignals([&panel] { panel->end(); });
  panel->start();
  return QApplication::exec();
}
