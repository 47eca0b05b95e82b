#include "bench/qt_user.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

namespace pv7100::bench {

void press(ui::QtToolkit& toolkit, std::string_view control) {
  QTest::mousePress(&toolkit.widget(control), Qt::LeftButton);
}

void release(ui::QtToolkit& toolkit, std::string_view control) {
  QTest::mouseRelease(&toolkit.widget(control), Qt::LeftButton);
}

void click(ui::QtToolkit& toolkit, std::string_view control) {
  static_cast<QAbstractButton&>(toolkit.widget(control)).click();
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
