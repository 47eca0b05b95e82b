#include "bench/qt_user.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

namespace pv7100::bench {

void press(ui::QtToolkit& toolkit, std::string_view command) {
  QTest::mousePress(&toolkit.widget(ui::commandControl(command)), Qt::LeftButton);
}

void release(ui::QtToolkit& toolkit, std::string_view command) {
  QTest::mouseRelease(&toolkit.widget(ui::commandControl(command)), Qt::LeftButton);
}

void click(ui::QtToolkit& toolkit, std::string_view command) {
  static_cast<QAbstractButton&>(toolkit.widget(ui::commandControl(command))).click();
}

void click(ui::QtToolkit& toolkit, ui::ButtonRole role) {
  static_cast<QAbstractButton&>(toolkit.widget(ui::controlName(role))).click();
}

void runEventLoop(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

void preferOffscreen() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace pv7100::bench
