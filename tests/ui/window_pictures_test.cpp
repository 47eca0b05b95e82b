// Renders the window at each of its four heights to PNG files under the build tree, and checks
// what each height shows. The client area is the outer height less the 435 twips of frame the
// heights were made for, whatever frame the window system draws: 328, 414, 451 and 578 px.
#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>

#include "app/form1.h"
#include "tests/support/event_loop.h"
#include "tests/support/fake_serial.h"
#include "ui/bindings.h"
#include "ui/qt_toolkit.h"

namespace pv7100::testing {
namespace {

class WindowPictures : public ::testing::Test {
 protected:
  WindowPictures() {
    ui::bindHandlers(form, toolkit, serial);
    form.Form_Load();
    toolkit.show();
  }

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
    pump(50ms);  // the labels show their newest captions at the next frame
    QDir().mkpath(QStringLiteral(PV7100_PICTURES));
    const QString path = QStringLiteral(PV7100_PICTURES "/%1.png").arg(name);
    ASSERT_TRUE(toolkit.window().widget().grab().save(path)) << path.toStdString();
  }

  FakeSerial serial;
  ui::QtToolkit toolkit;
  Form1 form{serial, toolkit};
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
  toolkit.window().widget().setFocus();
  toolkit.button("Command34").setVisible(true);
  form.Command34_Click();
  EXPECT_EQ(clientHeight(), 414);
  EXPECT_GE(clientHeight(), bottom("Frame9"));
  EXPECT_GE(clientHeight(), bottom("Command55"));
  EXPECT_LE(clientHeight(), toolkit.widget("Frame14").y());
  serial.receive("00\r");
  save("data");
}

TEST_F(WindowPictures, UnlockedShowsTheDataBandWithALittleMore) {
  form.Form_KeyDown(72, ui::kCtrlMask);
  EXPECT_EQ(clientHeight(), 451);
  EXPECT_GE(clientHeight(), bottom("Command55"));
  EXPECT_LE(clientHeight(), top("Command63")) << "the input-selection buttons are not in view";
  save("unlocked");
}

TEST_F(WindowPictures, FullShowsTheManualCommandLine) {
  form.Form_KeyDown(72, ui::kCtrlMask);
  form.Image1_DblClick();
  EXPECT_EQ(clientHeight(), 578);
  EXPECT_GE(clientHeight(), bottom("Frame15"));
  toolkit.textBox("Text1").setText("CR PRESSURE");
  form.Command95_Click();
  serial.receive("853\r");
  save("full");
}

}  // namespace
}  // namespace pv7100::testing
