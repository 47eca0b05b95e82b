// The window as built: every control where, how big and how coloured its row says, in the
// fonts the panel maps its Gothic faces to.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "tests/support/event_loop.h"
#include "widgets/layout.h"
#include "widgets/qt_style.h"
#include "widgets/qt_toolkit.h"

namespace pv7100::ui {
namespace {

class QtLayout : public ::testing::Test {
 protected:
  QtToolkit toolkit;
};

// Left, top, width and height in pixels of 15 twips, within the control's frame or window.
TEST_F(QtLayout, ControlsStandWhereTheDesignPlacesThem) {
  const std::pair<std::string_view, QRect> placed[] = {
      {"Image1", {544, 8, 80, 26}},      {"Frame1", {8, 16, 113, 65}},
      {"Command17", {8, 40, 41, 20}},    {"Command5", {80, 168, 57, 25}},
      {"Command16", {560, 288, 65, 25}}, {"Frame8", {232, 240, 185, 79}},
      {"Option10", {96, 16, 65, 20}},    {"Label22", {62, 61, 353, 20}},
      {"Text1", {40, 11, 337, 23}},      {"Command98", {64, 40, 57, 17}},
  };
  for (const auto& [name, rect] : placed) EXPECT_EQ(toolkit.widget(name).geometry(), rect) << name;
}

TEST_F(QtLayout, EveryControlIsInItsFrameAndShownAsItsRowSays) {
  for (const ControlRow& row : layoutControls()) {
    const QWidget& widget = toolkit.widget(row.name);
    const QWidget* parent =
        row.parent.empty() ? &toolkit.window().widget() : &toolkit.widget(row.parent);
    EXPECT_EQ(widget.parentWidget(), parent) << row.name;
    EXPECT_EQ(widget.isHidden(), (row.other.flags & kHidden) != 0) << row.name;
  }
}

TEST_F(QtLayout, ColoursAndFontsOfTheRows) {
  for (const ControlRow& row : layoutControls()) {
    const QWidget& widget = toolkit.widget(row.name);
    if (row.kind == Kind::Button && row.back != kButtonFace) {
      const QString back = qtColour(row.back).name();
      EXPECT_EQ(widget.property(kBackProperty).toString(), back) << row.name;
      const QImage image = const_cast<QWidget&>(widget).grab().toImage();
      EXPECT_EQ(image.pixelColor(3, 3), QColor(back)) << row.name << " is filled";
    }
    if (row.kind == Kind::Label) {
      EXPECT_EQ(widget.palette().color(QPalette::Window), qtColour(row.back)) << row.name;
      EXPECT_EQ(widget.palette().color(QPalette::WindowText), qtColour(row.other.text)) << row.name;
    }
    if (!row.font.face.empty()) {
      EXPECT_DOUBLE_EQ(widget.font().pointSizeF(), row.font.points) << row.name;
      EXPECT_EQ(widget.font().bold(), row.font.bold) << row.name;
    }
  }
}

TEST_F(QtLayout, GothicFacesMapToInstalledJapaneseFacesThatDrawTheArrows) {
  const QString gothic = QFontInfo(toolkit.widget("Command6").font()).family();
  const QString proportional = QFontInfo(toolkit.widget("Command5").font()).family();
  EXPECT_TRUE(gothic == "IPAGothic" || gothic.startsWith("Noto Sans Mono CJK"))
      << gothic.toStdString();
  EXPECT_TRUE(proportional == "IPAPGothic" || proportional.startsWith("Noto Sans CJK"))
      << proportional.toStdString();
  for (const char* name : {"Command5", "Command7", "Command9", "Command8", "Command50", "Command59",
                           "Command70", "Command71"}) {
    const auto& button = static_cast<const QPushButton&>(toolkit.widget(name));
    EXPECT_TRUE(QFontMetrics(button.font()).inFont(button.text().at(0))) << name;
  }
  EXPECT_TRUE(QFontMetrics(toolkit.widget("Command34").font()).inFont(QChar(u'表')));
}

TEST_F(QtLayout, ThePictureShowsItsImageAtItsOwnSize) {
  const auto& picture = static_cast<const QLabel&>(toolkit.widget("Image1"));
  const QPixmap pixmap = picture.pixmap();
  ASSERT_FALSE(pixmap.isNull());
  EXPECT_EQ(pixmap.size(), QSize(80, 26));
  EXPECT_EQ(pixmap.toImage().pixelColor(0, 0), QColor(180, 180, 180));
}

TEST_F(QtLayout, LabelsAlignAndBorderAsTheirRowsSay) {
  const auto label = [&](const char* name) -> const QLabel& {
    return static_cast<const QLabel&>(toolkit.widget(name));
  };
  EXPECT_TRUE(label("Label1").alignment() & Qt::AlignHCenter);
  EXPECT_TRUE(label("Label9").alignment() & Qt::AlignRight);
  EXPECT_TRUE(label("Label23").alignment() & Qt::AlignLeft);
  EXPECT_NE(label("Label11").frameShape(), QFrame::NoFrame);
  EXPECT_EQ(label("Label9").frameShape(), QFrame::NoFrame);
  EXPECT_EQ(toolkit.window().widget().windowTitle(), "QUIVA  PV7100   CONTROL   Ver.1.40");
}

TEST_F(QtLayout, TheFrameCoversComAndTheSpeedOptionsAreAGroupOfTheirOwn) {
  QWidget& window = toolkit.window().widget();
  QWidget& frame = toolkit.widget("Frame8");
  QWidget& com = toolkit.widget("Command33");
  EXPECT_GT(window.children().indexOf(&frame), window.children().indexOf(&com))
      << "the frame stands above the button";
  toolkit.option("Option1").select();
  toolkit.option("Option10").select();
  EXPECT_TRUE(toolkit.option("Option1").selected());
  toolkit.option("Option2").select();
  EXPECT_FALSE(toolkit.option("Option1").selected());
  EXPECT_TRUE(toolkit.option("Option10").selected());
}

TEST_F(QtLayout, ALabelKeepsTheWholeCaptionAndShowsItsStart) {
  Label& rxd = toolkit.label("Label12");
  const std::string reply(65535, 'A');
  rxd.setCaption(reply);
  EXPECT_EQ(rxd.caption(), reply);
  EXPECT_EQ(static_cast<QLabel&>(toolkit.widget("Label12")).text().size(),
            static_cast<qsizetype>(QtLabel::kShown));
  rxd.setCaption(" X X X X");
  EXPECT_EQ(rxd.caption(), " X X X X");
  // Within a repaint period of the last change the label waits for the next repaint to show it.
  EXPECT_TRUE(testing::waitUntil(
      [&] { return static_cast<QLabel&>(toolkit.widget("Label12")).text() == " X X X X"; },
      std::chrono::milliseconds(100)));
}

}  // namespace
}  // namespace pv7100::ui
