#include "ui/qt_style.h"

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
  if (font.face == kGothic)
    f.setStyleHint(QFont::Monospace);
  return f;
}

QColor qtColour(std::uint32_t rgb) {
  return QColor::fromRgb(static_cast<QRgb>(rgb));
}

QString buttonStyleSheet(std::uint32_t back) {
  const QColor face = qtColour(back);
  return QStringLiteral(
             "QPushButton { background-color: %1; color: #000000; padding: 0px;"
             " border: 2px outset %1; border-radius: 0px; }"
             " QPushButton:pressed { background-color: %2; border-style: inset; }"
             " QPushButton:focus { border-color: %3; }")
      .arg(face.name(), face.darker(115).name(), face.darker(160).name());
}

}  // namespace pv7100::ui
