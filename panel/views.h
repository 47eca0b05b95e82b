// How much of the panel is in view, and the manual command line at the bottom of it.
//
// The window opens compact; the data toggle opens and closes the data band (TXD, RXD, STATUS
// and the status buttons); Ctrl+H unlocks the service view, where a double-click on the picture
// shows the whole panel. Heights are outer heights in twips.
#pragma once

#include <cstdint>

#include "panel/exchange.h"
#include "panel/toolkit.h"

namespace pv7100 {

inline constexpr double kCompactHeight = 5350;
inline constexpr double kDataHeight = 6645;
inline constexpr double kUnlockedHeight = 7200;
inline constexpr double kFullHeight = 9100;

class Views {
 public:
  Views(Exchange& exchange, ui::Toolkit& toolkit);

  // Centres the window on its design size and makes it compact.
  void place();
  void keyDown(std::int16_t keyCode, std::int16_t shift);
  void pictureDoubleClicked();
  void toggleData();
  void sendManualLine();
  void clearManualLine();

 private:
  void showToggle(const char* caption);

  Exchange& exchange_;
  ui::Window& window_;
  ui::Button& toggle_;
  ui::Timer& frameTimer_;
  ui::TextBox& commandBox_;
  bool unlocked_ = false;  // Ctrl+H lets the picture open the whole panel
};

}  // namespace pv7100
