// The simulated projector as a child of the panel: `pv7100-panel --simulate` starts
// pv7100-sim on a new pseudo-terminal and puts COM1 on it.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>

namespace pv7100 {

class SimulatorProcess {
 public:
  // `program` is the simulator's executable; `arguments` go to it besides its own.
  explicit SimulatorProcess(QString program, QStringList arguments = {});
  ~SimulatorProcess();
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // Starts the simulator and returns the device it serves; throws std::runtime_error with a
  // text for the user when it does not start within a few seconds. The simulator ends with the
  // panel: it exits when its standard input, a pipe from the panel, closes.
  std::string start();

  // The executable beside the panel's own, else one on the PATH; empty when there is none.
  static QString locate();

 private:
  QString program_;
  QStringList arguments_;
  QProcess process_;
};

}  // namespace pv7100
