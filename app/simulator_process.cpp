#include "app/simulator_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <stdexcept>

namespace pv7100 {
namespace {

constexpr int kStartMs = 5000;
const QString kName = QStringLiteral("pv7100-sim");

}  // namespace

SimulatorProcess::SimulatorProcess(QString program, QStringList arguments)
    : program_(std::move(program)), arguments_(std::move(arguments)) {
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SimulatorProcess::~SimulatorProcess() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.closeWriteChannel();
  if (!process_.waitForFinished(1000)) process_.kill();
  process_.waitForFinished(1000);
}

QString SimulatorProcess::locate() {
  const QFileInfo beside(QDir(QCoreApplication::applicationDirPath()).filePath(kName));
  if (beside.isExecutable()) return beside.absoluteFilePath();
  return QStandardPaths::findExecutable(kName);
}

std::string SimulatorProcess::start() {
  if (program_.isEmpty()) {
    throw std::runtime_error(
        "The simulated projector pv7100-sim was not found beside the panel "
        "or on the PATH.");
  }
  process_.start(program_, QStringList{QStringLiteral("--exit-with-stdin")} + arguments_);
  if (!process_.waitForStarted(kStartMs)) {
    throw std::runtime_error("The simulated projector could not be started: " +
                             process_.errorString().toStdString());
  }
  while (!process_.canReadLine()) {
    if (!process_.waitForReadyRead(kStartMs)) {
      throw std::runtime_error("The simulated projector did not name its device: " +
                               process_.errorString().toStdString());
    }
  }
  return QString::fromLocal8Bit(process_.readLine()).trimmed().toStdString();
}

}  // namespace pv7100
