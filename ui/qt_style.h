// Fonts and colours of the table on Qt widgets.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include "ui/layout.h"

namespace pv7100::ui {

// Maps the two Gothic faces to installed ones (IPA, then Noto CJK); call once per process.
void installFontSubstitutions();

QFont qtFont(const Font& font);
QColor qtColour(std::uint32_t rgb);
// A style sheet that draws a button filled with `back` on every Qt style.
QString buttonStyleSheet(std::uint32_t back);

// Twips to logical pixels.
inline int px(double twips) {
  return static_cast<int>(twips / 15.0 + 0.5);
}

}  // namespace pv7100::ui
