// The whole panel against the real simulated projector over a real pseudo-terminal.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>

#include "app/simulator_process.h"
#include "protocol/monitor_text.h"
#include "tests/support/qt_panel.h"

namespace pv7100::testing {
namespace {

// The panel's COM1 on a simulator started with `arguments`.
class SimulatedProjector {
 public:
  explicit SimulatedProjector(const QStringList& arguments)
      : simulator(QStringLiteral(PV7100_SIM), arguments),
        panel(PortDevices{simulator.start(), "/dev/null/none"}) {
    // The full window, as a user opens it to reach the status buttons and the command line.
    QTest::keyClick(&panel.command("power-on"), Qt::Key_H, Qt::ControlModifier);
    QTest::mouseDClick(&panel.widget(ui::kPicture), Qt::LeftButton);
  }

  void click(QWidget& button) { QTest::mouseClick(&button, Qt::LeftButton); }
  void click(std::string_view command) { click(panel.command(command)); }
  // Replies that come within one reply window are shown, and decoded, together, and the
  // STATUS line stands until the display clears: a command waits for both of the one before.
  void settle() {
    waitUntil([&] {
      return !panel.assembled.toolkit().timer(ui::TimerRole::replyWindow).enabled() &&
             !panel.assembled.toolkit().timer(ui::TimerRole::displayClear).enabled();
    });
  }
  // The STATUS line once the reply to the command called `command` has come.
  std::string ask(std::string_view command) { return askBy(panel.command(command)); }
  std::string askBy(QWidget& button) {
    settle();
    click(button);
    if (!waitUntil([&] { return !panel.text(ui::LineRole::status).empty(); })) {
      ADD_FAILURE() << "no status: TXD \"" << panel.text(ui::LineRole::transmit) << "\", RXD \""
                    << panel.text(ui::LineRole::receive) << "\", notice \""
                    << panel.text(ui::LineRole::notice) << "\"";
    }
    return panel.text(ui::LineRole::status);
  }
  std::string askTyped(const char* command) {
    settle();
    panel.assembled.toolkit().commandBox().setText(command);
    return askBy(panel.widget(ui::ButtonRole::sendLine));
  }

  SimulatorProcess simulator;
  QtPanel panel;
};

TEST(SimulatedProjector, PowerOnCountsDownToPowerOn) {
  SimulatedProjector p({"--count-down", "1500"});
  EXPECT_EQ(p.ask("read-status"), " Stand by");  // STATUS
  p.settle();
  p.click("power-on");  // ON
  EXPECT_TRUE(waitUntil([&] { return p.panel.text(ui::LineRole::receive) == " ACK "; }));
  EXPECT_EQ(p.ask("read-status"), " Count down");
  EXPECT_TRUE(waitUntil([&] { return p.ask("read-status") == " Power ON"; }, 5000ms));
}

TEST(SimulatedProjector, EveryStatusReadIsDecoded) {
  SimulatedProjector p({"--count-down", "0"});
  p.click("power-on");
  EXPECT_EQ(p.ask("read-status"), " Power ON");
  EXPECT_EQ(p.ask("read-mode"), " Input mode 1");  // MODE
  const std::string hours = p.ask("read-l-time");  // L-TIME
  EXPECT_TRUE(hours.ends_with(" CR  Hour Use")) << hours;
  EXPECT_EQ(p.ask("read-setting"), " Normally");        // SETTING
  const std::string temperatures = p.ask("read-temp");  // TEMP
  EXPECT_TRUE(temperatures.starts_with("  S1=")) << temperatures;
  EXPECT_EQ(std::count(temperatures.begin(), temperatures.end(), '.'), 4) << temperatures;
  EXPECT_EQ(p.ask("read-l-mode"), " No1,2 ON  : 2 Lamp mode");  // L-MODE
  EXPECT_EQ(p.askTyped("CRA"), " Video & Audio mute OFF");
  EXPECT_EQ(p.askTyped("CR9"), " P V 7 1 0 0   S I M   V 1 . 0 0 CR ");
  const std::string pressure = p.askTyped("CR PRESSURE");
  EXPECT_TRUE(pressure == "1011 hPa" || pressure == "1012 hPa" || pressure == "1013 hPa" ||
              pressure == "1014 hPa" || pressure == "1015 hPa")
      << pressure;
}

TEST(SimulatedProjector, SilenceShowsTheTimeOutMark) {
  SimulatedProjector p({"--silent"});
  p.click("power-on");
  EXPECT_TRUE(waitUntil([&] { return p.panel.text(ui::LineRole::receive) == " X X X X"; }, 1500ms));
}

TEST(SimulatedProjector, ASplitReplyIsDecodedOnceItsLastByteHasCome) {
  SimulatedProjector p({"--split"});
  EXPECT_EQ(p.ask("read-status"), " Stand by");
  EXPECT_TRUE(waitUntil([&] { return p.panel.text(ui::LineRole::receive) == " 8 0 CR "; }));
}

TEST(SimulatedProjector, LineNoiseIsShownAsItCameAndThePanelGoesOn) {
  SimulatedProjector p({"--garbage", "--seed", "7"});
  for (int i = 0; i < 5; ++i) {
    p.settle();
    p.click("read-status");
    EXPECT_TRUE(waitUntil([&] { return p.panel.text(ui::LineRole::receive).size() > 1; }));
  }
  EXPECT_EQ(p.panel.text(ui::LineRole::notice), "");
  EXPECT_TRUE(p.panel.portOpen());
}

// Nobody closes a reply window: everything said stays in the reply, up to its bound of 32767
// characters (the soak benchmark watches the memory).
TEST(SimulatedProjector, ATalkingProjectorFillsTheRxdLineUpToItsBound) {
  SimulatedProjector p({"--chatty", "1920"});
  EXPECT_TRUE(
      waitUntil([&] { return p.panel.text(ui::LineRole::receive).size() > 2 * 4000; }, 5000ms));
  EXPECT_LE(p.panel.text(ui::LineRole::receive).size(), 2 * 32767 + 1);
  EXPECT_EQ(p.panel.text(ui::LineRole::notice), "");
}

}  // namespace
}  // namespace pv7100::testing
