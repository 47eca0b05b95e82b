#include "widgets/qt_style.h"

#include <QSet>
#include <QStringList>

namespace pv7100::ui {

void installFontSubstitutions() {
  QFont::insertSubstitutions(
      QString::fromUtf8(kGothic.data(), kGothic.size()),
      {"IPAGothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP", "monospace"});
  QFont::insertSubstitutions(QString::fromUtf8(kPGothic.data(), kPGothic.size()),
                             {"IPAPGothic", "Noto Sans CJK JP", "Noto Sans", "sans-serif"});
}

QFont qtFont(const Font& font) {
  QFont f(QString::fromUtf8(font.face.data(), static_cast<qsizetype>(font.face.size())));
  f.setPointSizeF(font.points);
  f.setWeight(font.bold ? QFont::Bold : QFont::Normal);
  if (font.face == kGothic) f.setStyleHint(QFont::Monospace);
  return f;
}

QColor qtColour(std::uint32_t rgb) {
  return QColor::fromRgb(static_cast<QRgb>(rgb));
}

QString panelStyleSheet() {
  QSet<std::uint32_t> backs;
  for (const ControlRow& row : layoutControls()) {
    if (row.kind == Kind::Button && row.back != kButtonFace) backs.insert(row.back);
  }
  QString sheet;
  for (const std::uint32_t back : backs) {
    const QColor face = qtColour(back);
    sheet += QStringLiteral(
                 "QPushButton[%1=\"%2\"] { background-color: %2; color: #000000; padding: 0px;"
                 " border: 2px outset %2; border-radius: 0px; }\n"
                 "QPushButton[%1=\"%2\"]:pressed { background-color: %3; border-style: inset; }\n"
                 "QPushButton[%1=\"%2\"]:focus { border-color: %4; }\n")
                 .arg(QLatin1String(kBackProperty), face.name(), face.darker(115).name(),
                      face.darker(160).name());
  }
  return sheet;
}

}  // namespace pv7100::ui
