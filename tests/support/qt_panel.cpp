#include "tests/support/qt_panel.h"

#include <QApplication>

#include "ui/bindings.h"

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

QtPanel::QtPanel(PortDevices devices) : comm(std::move(devices)) {
  ui::bindHandlers(form, toolkit, comm);
  form.Form_Load();
  toolkit.show();
}

}  // namespace pv7100::testing
