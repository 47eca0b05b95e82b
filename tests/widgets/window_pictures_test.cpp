// Renders the window at each of its four heights to PNG files under the build tree, and checks
// what each height shows. The client area is the outer height less the 435 twips of decoration the
// heights were made for, whatever decoration the window system draws: 328, 414, 451 and 578 px.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPixmap>

#include <QTest>

#include "app/panel_port_texts.h"
#include "panel/panel.h"
#include "tests/support/event_loop.h"
#include "tests/support/fake_serial.h"
#include "widgets/qt_toolkit.h"

namespace pv7100::testing {
namespace {

class WindowPictures : public ::testing::Test {
 protected:
  WindowPictures() {
    panel.start();
    toolkit.show();
  }
  void click(ui::ButtonRole role) { QTest::mouseClick(&widget(role), Qt::LeftButton); }
  void ctrlH() { QTest::keyClick(&command("power-on"), Qt::Key_H, Qt::ControlModifier); }

  template <typename Role>
  QWidget& widget(Role role) {
    return toolkit.widget(ui::controlName(role));
  }
  QWidget& command(std::string_view name) { return toolkit.widget(ui::commandControl(name)); }

  // The edges of a control, in the window's client coordinates.
  int bottom(QWidget& w) { return w.mapTo(&toolkit.window().widget(), QPoint(0, w.height())).y(); }
  int top(QWidget& w) { return w.mapTo(&toolkit.window().widget(), QPoint(0, 0)).y(); }
  int clientHeight() { return toolkit.window().widget().height(); }

  void save(const char* name) {
    // The labels show their newest captions at the next repaint.
    for (const ui::LineRole role :
         {ui::LineRole::transmit, ui::LineRole::receive, ui::LineRole::status}) {
      const auto& label = static_cast<QLabel&>(toolkit.widget(ui::controlName(role)));
      const QString caption = QString::fromStdString(toolkit.line(role).caption());
      ASSERT_TRUE(waitUntil([&] { return label.text() == caption; }));
    }
    QDir().mkpath(QStringLiteral(PV7100_PICTURES));
    const QString path = QStringLiteral(PV7100_PICTURES "/%1.png").arg(name);
    ASSERT_TRUE(toolkit.window().widget().grab().save(path)) << path.toStdString();
  }

  FakeSerial serial;
  ui::QtToolkit toolkit;
  Panel panel{serial, toolkit, {}, panelPortTexts()};
};

TEST_F(WindowPictures, CompactShowsEverythingAboveTheMonitorGroup) {
  EXPECT_EQ(toolkit.window().widget().width(), 633);
  EXPECT_EQ(clientHeight(), 328);
  EXPECT_GE(clientHeight(), bottom(widget(ui::ButtonRole::end)));
  EXPECT_GE(clientHeight(), bottom(command("image-custom-3")));
  EXPECT_LE(clientHeight(), top(widget(ui::LineRole::transmit)));
  save("compact");
}

TEST_F(WindowPictures, DataShowsTheMonitorGroupAndTheStatusButtons) {
  toolkit.button(ui::ButtonRole::dataToggle).setVisible(true);
  click(ui::ButtonRole::dataToggle);
  EXPECT_EQ(clientHeight(), 414);
  EXPECT_GE(clientHeight(), bottom(widget(ui::LineRole::status)));
  EXPECT_GE(clientHeight(), bottom(command("read-l-mode")));
  EXPECT_LE(clientHeight(), top(command("input-1-dvi-av-hdcp")));
  serial.receive("00\r");
  save("data");
}

TEST_F(WindowPictures, UnlockedShowsTheDataBandWithALittleMore) {
  ctrlH();
  EXPECT_EQ(clientHeight(), 451);
  EXPECT_GE(clientHeight(), bottom(command("read-l-mode")));
  EXPECT_LE(clientHeight(), top(command("input-1-dvi-av-hdcp")))
      << "the input-selection buttons are not in view";
  save("unlocked");
}

TEST_F(WindowPictures, FullShowsTheManualCommandLine) {
  ctrlH();
  QTest::mouseDClick(&toolkit.widget(ui::kPicture), Qt::LeftButton);
  EXPECT_EQ(clientHeight(), 578);
  EXPECT_GE(clientHeight(), bottom(widget(ui::ButtonRole::sendLine)));
  toolkit.commandBox().setText("CR PRESSURE");
  click(ui::ButtonRole::sendLine);
  serial.receive("853\r");
  save("full");
}

}  // namespace
}  // namespace pv7100::testing
