#include "tests/support/qt_panel.h"

#include <QApplication>

namespace pv7100::testing {

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

QtPanel::QtPanel(PortDevices devices) : assembled(std::move(devices)) {
  assembled.start();
}

}  // namespace pv7100::testing
