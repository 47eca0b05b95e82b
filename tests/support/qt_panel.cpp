#include "tests/support/qt_panel.h"

#include <QApplication>
#include <thread>

#include "ui/bindings.h"

namespace pv7100::testing {

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

void pump(std::chrono::milliseconds duration) {
  waitUntil([] { return false; }, duration);
}

MessageBoxes::MessageBoxes() {
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      texts.push_back(box->text().toStdString());
      box->accept();
    }
  });
  timer_.start(20);
}

QtPanel::QtPanel(PortDevices devices) : comm(std::move(devices)) {
  ui::bindHandlers(form, toolkit, comm);
  form.Form_Load();
  toolkit.show();
}

}  // namespace pv7100::testing
