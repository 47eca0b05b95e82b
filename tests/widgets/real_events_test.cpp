// The built window driven by real mouse and key events, with the serial port on a real
// pseudo-terminal whose far end the test reads.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "tests/support/pty.h"
#include "tests/support/qt_panel.h"

namespace pv7100::testing {
namespace {

class RealEvents : public ::testing::Test {
 protected:
  RealEvents() : panel(PortDevices{pty.slavePath(), "/dev/null/none"}) {
    QWidget& window = panel.assembled.toolkit().window().widget();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  // Everything the far end has received by now.
  std::string received() { return pty.read(100000, 100ms); }

  Pty pty{letQtRun};
  QtPanel panel;
};

TEST_F(RealEvents, ClickOnPowerOnPutsTheLineOnTheWire) {
  QTest::mouseClick(&panel.command("power-on"), Qt::LeftButton);
  EXPECT_EQ(pty.read(4, 2000ms), "C00\r");
  EXPECT_EQ(panel.text(ui::LineRole::transmit), " C 0 0 CR ");
}

// The periods themselves are the repeat benchmark's to measure.
TEST_F(RealEvents, HeldVolumeRepeatsUntilReleased) {
  QWidget& plus = panel.command("vol-plus");
  QTest::mousePress(&plus, Qt::LeftButton);
  EXPECT_EQ(pty.read(12, 2000ms), "C09\rC09\rC09\r");
  QTest::mouseRelease(&plus, Qt::LeftButton);
  EXPECT_FALSE(panel.timer(ui::TimerRole::repeat).enabled()) << "nothing more after the release";
  EXPECT_EQ(panel.text(ui::LineRole::transmit), "");
}

TEST_F(RealEvents, AnyMouseButtonHoldsAndAKeyDoesNot) {
  QWidget& minus = panel.command("vol-minus");
  QTest::mousePress(&minus, Qt::RightButton);
  QTest::mouseRelease(&minus, Qt::RightButton);
  EXPECT_EQ(pty.read(4, 2000ms), "C0A\r");
  minus.setFocus();
  QTest::keyClick(&minus, Qt::Key_Space);
  EXPECT_EQ(received(), "");
}

TEST_F(RealEvents, KeyboardActivationOfAOneShotButtonSends) {
  ASSERT_EQ(QApplication::focusWidget(), &panel.command("power-on")) << "the focus starts on ON";
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_EQ(pty.read(4, 2000ms), "C00\r");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), &panel.command("vol-plus")) << "then VOL +";
}

TEST_F(RealEvents, CtrlHThenADoubleClickOnThePictureGiveTheFullWindow) {
  const int compact = panel.clientHeight();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier);
  EXPECT_EQ(panel.assembled.toolkit().window().height(), 7200);
  EXPECT_GT(panel.clientHeight(), compact);
  QTest::mouseDClick(&panel.widget(ui::kPicture), Qt::LeftButton);
  EXPECT_EQ(panel.assembled.toolkit().window().height(), 9100);
  EXPECT_TRUE(panel.widget(ui::ButtonRole::dataToggle).isVisible());
  EXPECT_EQ(panel.assembled.toolkit().button(ui::ButtonRole::dataToggle).caption(), "CLOSE");
  EXPECT_TRUE(
      panel.widget(ui::kCommandBox).isVisibleTo(&panel.assembled.toolkit().window().widget()));
}

TEST_F(RealEvents, SendSendsWhatTheBoxHoldsAndEnterDoesNot) {
  auto& box = static_cast<QLineEdit&>(panel.widget(ui::kCommandBox));
  box.setFocus();
  QTest::keyClicks(&box, "CR0");
  QTest::keyClick(&box, Qt::Key_Return);
  EXPECT_EQ(received(), "");
  QTest::mouseClick(&panel.widget(ui::ButtonRole::sendLine), Qt::LeftButton);
  EXPECT_EQ(pty.read(4, 2000ms), "CR0\r");
  ASSERT_TRUE(pty.write("00\r"));
  EXPECT_TRUE(waitUntil([&] { return panel.text(ui::LineRole::status) == " Power ON"; }));
}

TEST_F(RealEvents, ThePortFrameCoversCom) {
  QWidget& window = panel.assembled.toolkit().window().widget();
  QWidget& com = panel.widget(ui::ButtonRole::com);
  const QPoint centre = com.mapTo(&window, com.rect().center());
  EXPECT_EQ(window.childAt(centre), &com);
  QTest::mouseClick(&com, Qt::LeftButton);
  QWidget* top = window.childAt(centre);
  ASSERT_NE(top, nullptr);
  EXPECT_TRUE(top == &panel.widget(ui::kPortFrame) ||
              panel.widget(ui::kPortFrame).isAncestorOf(top));
}

TEST_F(RealEvents, AHoldEndsWhenTheWindowLosesTheMouse) {
  QWidget& zoom = panel.command("zoom-plus");
  QTest::mousePress(&zoom, Qt::LeftButton);
  EXPECT_EQ(pty.read(4, 2000ms), "C47\r");
  QWidget other;
  other.show();
  QApplication::setActiveWindow(&other);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_TRUE(waitUntil([&] { return !panel.timer(ui::TimerRole::repeat).enabled(); }))
      << "the zoom stopped with the window";
}

}  // namespace
}  // namespace pv7100::testing
