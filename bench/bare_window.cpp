// bare-qt-window: the least a Qt Widgets program does to show a window, the yardstick of
// pv7100_bench_startup.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("bare Qt window"));
  window.resize(640, 480);
  window.show();
  return QApplication::exec();
}
