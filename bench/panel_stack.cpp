#include "bench/panel_stack.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include "widgets/bindings.h"

namespace pv7100::bench {

namespace {

PortDevices com1On(const std::string& device) {
  PortDevices devices;
  devices.com1 = device;
  return devices;
}

}  // namespace

PanelStack::PanelStack(const std::string& device) : comm_(com1On(device)) {
  ui::bindHandlers(form_, toolkit_, comm_);
  form_.Form_Load();
  toolkit_.show();
}

void PanelStack::press(std::string_view control) {
  QTest::mousePress(&toolkit_.widget(control), Qt::LeftButton);
}

void PanelStack::release(std::string_view control) {
  QTest::mouseRelease(&toolkit_.widget(control), Qt::LeftButton);
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
