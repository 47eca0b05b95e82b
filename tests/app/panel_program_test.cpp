// pv7100-panel as a user starts it: a separate process, its options, its exit status.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include "serial/port_lock.h"
#include "tests/support/event_loop.h"

namespace pv7100::testing {
namespace {

struct ProgramRun {
  int status;
  QString out;
  QString err;
};

// The panel with `arguments` and no display at all.
ProgramRun runWithoutDisplay(const QStringList& arguments) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    environment.remove(QString::fromLatin1(name));
  QProcess panel;
  panel.setProcessEnvironment(environment);
  panel.start(QStringLiteral(PV7100_PANEL), arguments);
  EXPECT_TRUE(panel.waitForFinished(10000));
  return {panel.exitStatus() == QProcess::NormalExit ? panel.exitCode() : -1,
          QString::fromUtf8(panel.readAllStandardOutput()),
          QString::fromUtf8(panel.readAllStandardError())};
}

TEST(PanelProgram, AnswersItsOptionsWithoutADisplay) {
  const ProgramRun help = runWithoutDisplay({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.contains("--com1 <DEVICE>") && help.out.contains("--simulate"));

  const ProgramRun version = runWithoutDisplay({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "pv7100-panel 1.40\n");

  for (const auto& [arguments, says] : std::vector<std::pair<QStringList, QString>>{
           {{"--comm1", "/dev/ttyUSB0"}, "comm1"},
           {{"--com1", ""}, "--com1 needs a device"},
           {{"--log", ""}, "--log needs a file"},
           {{"stray\n\x1b[2J"}, "unexpected argument 'stray\\n\\x1b[2J'"},
       }) {
    const ProgramRun bad = runWithoutDisplay(arguments);
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains(says)) << bad.err.toStdString();
    EXPECT_EQ(bad.err.count('\n'), 1);
  }

  const ProgramRun noDisplay = runWithoutDisplay({});
  EXPECT_EQ(noDisplay.status, 1);
  EXPECT_TRUE(noDisplay.err.contains("DISPLAY is not set")) << noDisplay.err.toStdString();
  EXPECT_EQ(noDisplay.err.count('\n'), 1);
}

// The pseudo-terminals a process holds open.
QStringList terminals(qint64 pid) {
  QStringList held;
  const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
  for (const QString& fd : fds.entryList(QDir::Files | QDir::System)) {
    const QString target = QFile::symLinkTarget(fds.filePath(fd));
    if (target.startsWith("/dev/pts/")) held << target;
  }
  return held;
}

QString childCommand(qint64 pid) {
  QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
  if (!children.open(QIODevice::ReadOnly)) return {};
  const QByteArray first = children.readAll().trimmed().split(' ').constFirst();
  if (first.isEmpty()) return {};
  QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(first)));
  return comm.open(QIODevice::ReadOnly) ? QString::fromUtf8(comm.readAll().trimmed()) : QString();
}

// --simulate starts the simulated projector as the panel's child and opens COM1 on its line;
// the simulator ends with the panel, which SIGTERM ends as "END" does, the port's lock removed.
TEST(PanelProgram, SimulateOpensComOneOnItsOwnSimulatedProjector) {
  QProcess panel;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  panel.setProcessEnvironment(environment);
  panel.start(QStringLiteral(PV7100_PANEL), {"--simulate", "--com1", "/dev/null/none"});
  ASSERT_TRUE(panel.waitForStarted());
  const qint64 pid = panel.processId();
  EXPECT_TRUE(waitUntil([&] { return childCommand(pid) == "pv7100-sim"; }, 5000ms));
  EXPECT_TRUE(waitUntil([&] { return terminals(pid).size() == 1; }, 5000ms))
      << "the panel holds " << terminals(pid).join(' ').toStdString();
  const std::string lock = portLockFile(terminals(pid).value(0).toStdString());
  EXPECT_TRUE(QFile::exists(QString::fromStdString(lock))) << lock;
  panel.terminate();
  EXPECT_TRUE(panel.waitForFinished(5000));
  EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(panel.exitCode(), 0);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(lock))) << lock;
  EXPECT_TRUE(waitUntil([&] { return childCommand(pid).isEmpty(); }, 3000ms));
}

}  // namespace
}  // namespace pv7100::testing
