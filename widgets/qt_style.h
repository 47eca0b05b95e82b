// Fonts and colours of the table on Qt widgets.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include "widgets/layout.h"

namespace pv7100::ui {

// Maps the two Gothic faces to installed ones (IPA, then Noto CJK); call once per process.
void installFontSubstitutions();

QFont qtFont(const Font& font);
QColor qtColour(std::uint32_t rgb);
// The window's one style sheet: a button whose property "back" names its colour ("#c0ffff")
// is drawn filled with it on every Qt style.
inline constexpr char kBackProperty[] = "back";
QString panelStyleSheet();

// Twips to logical pixels.
inline int px(double twips) {
  return static_cast<int>(twips / 15.0 + 0.5);
}

}  // namespace pv7100::ui
