// Renders the window at each of its four heights to PNG files under the build tree, and checks
// what each height shows. The client area is the outer height less the 435 twips of frame the
// heights were made for, whatever frame the window system draws: 328, 414, 451 and 578 px.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPixmap>

#include <QTest>

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
  void click(std::string_view name) { QTest::mouseClick(&toolkit.widget(name), Qt::LeftButton); }
  void ctrlH() { QTest::keyClick(&toolkit.widget("Command17"), Qt::Key_H, Qt::ControlModifier); }

  // The bottom edge of a control, in the window's client coordinates.
  int bottom(std::string_view name) {
    QWidget& w = toolkit.widget(name);
    return w.mapTo(&toolkit.window().widget(), QPoint(0, w.height())).y();
  }
  int top(std::string_view name) {
    return toolkit.widget(name).mapTo(&toolkit.window().widget(), QPoint(0, 0)).y();
  }
  int clientHeight() { return toolkit.window().widget().height(); }

  void save(const char* name) {
    // The labels show their newest captions at the next frame.
    for (const char* name : {"Label11", "Label12", "Label22"}) {
      const auto& label = static_cast<QLabel&>(toolkit.widget(name));
      const QString caption = QString::fromStdString(toolkit.label(name).caption());
      ASSERT_TRUE(waitUntil([&] { return label.text() == caption; })) << name;
    }
    QDir().mkpath(QStringLiteral(PV7100_PICTURES));
    const QString path = QStringLiteral(PV7100_PICTURES "/%1.png").arg(name);
    ASSERT_TRUE(toolkit.window().widget().grab().save(path)) << path.toStdString();
  }

  FakeSerial serial;
  ui::QtToolkit toolkit;
  Panel panel{serial, toolkit, {}};
};

TEST_F(WindowPictures, CompactShowsEverythingAboveTheMonitorGroup) {
  EXPECT_EQ(toolkit.window().widget().width(), 633);
  EXPECT_EQ(clientHeight(), 328);
  EXPECT_GE(clientHeight(), bottom("Command16"));
  EXPECT_GE(clientHeight(), bottom("Command42"));
  EXPECT_LE(clientHeight(), toolkit.widget("Frame9").y());
  save("compact");
}

TEST_F(WindowPictures, DataShowsTheMonitorGroupAndTheStatusButtons) {
  toolkit.button("Command34").setVisible(true);
  click("Command34");
  EXPECT_EQ(clientHeight(), 414);
  EXPECT_GE(clientHeight(), bottom("Frame9"));
  EXPECT_GE(clientHeight(), bottom("Command55"));
  EXPECT_LE(clientHeight(), toolkit.widget("Frame14").y());
  serial.receive("00\r");
  save("data");
}

TEST_F(WindowPictures, UnlockedShowsTheDataBandWithALittleMore) {
  ctrlH();
  EXPECT_EQ(clientHeight(), 451);
  EXPECT_GE(clientHeight(), bottom("Command55"));
  EXPECT_LE(clientHeight(), top("Command63")) << "the input-selection buttons are not in view";
  save("unlocked");
}

TEST_F(WindowPictures, FullShowsTheManualCommandLine) {
  ctrlH();
  QTest::mouseDClick(&toolkit.widget("Image1"), Qt::LeftButton);
  EXPECT_EQ(clientHeight(), 578);
  EXPECT_GE(clientHeight(), bottom("Frame15"));
  toolkit.commandBox().setText("CR PRESSURE");
  click("Command95");
  serial.receive("853\r");
  save("full");
}

}  // namespace
}  // namespace pv7100::testing
