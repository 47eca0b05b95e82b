// generic-serial-terminal DEVICE: a plain Qt serial terminal, the comparison of
// pv7100_bench_startup. It opens DEVICE at 19200 baud, 8N1, shows what arrives in a text view
// and sends each line typed below it, ended with CR.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSerialPort>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) return 2;

  QWidget window;
  window.setWindowTitle(QStringLiteral("serial terminal"));
  auto* layout = new QVBoxLayout(&window);
  auto* received = new QPlainTextEdit;
  received->setReadOnly(true);
  received->setMaximumBlockCount(10000);
  auto* typed = new QLineEdit;
  layout->addWidget(received);
  layout->addWidget(typed);
  window.resize(640, 480);

  QSerialPort port;
  port.setPortName(QString::fromLocal8Bit(argv[1]));
  port.setBaudRate(QSerialPort::Baud19200);
  port.setDataBits(QSerialPort::Data8);
  port.setParity(QSerialPort::NoParity);
  port.setStopBits(QSerialPort::OneStop);
  port.setFlowControl(QSerialPort::NoFlowControl);
  if (!port.open(QIODevice::ReadWrite)) received->appendPlainText(port.errorString());
  QObject::connect(&port, &QSerialPort::readyRead, [&] {
    received->moveCursor(QTextCursor::End);
    received->insertPlainText(QString::fromLatin1(port.readAll()));
  });
  QObject::connect(typed, &QLineEdit::returnPressed, [&] {
    port.write(typed->text().toLatin1() + '\r');
    typed->clear();
  });

  window.show();
  return QApplication::exec();
}
