// What the benchmarks do to the real panel (an AssembledPanel) as its user would: mouse buttons
// going down and up on its controls, clicks, and time passing in Qt's event loop.
#pragma once

#include <string_view>

#include "widgets/qt_toolkit.h"

namespace pv7100::bench {

// A left mouse button going down on, and up from, the button of the command called `command`.
void press(ui::QtToolkit& toolkit, std::string_view command);
void release(ui::QtToolkit& toolkit, std::string_view command);
// A click on the button of a command, or of a role.
void click(ui::QtToolkit& toolkit, std::string_view command);
void click(ui::QtToolkit& toolkit, ui::ButtonRole role);

// Runs the event loop for `ms` milliseconds.
void runEventLoop(int ms);

// Sets the offscreen platform unless the caller chose one.
void preferOffscreen();

}  // namespace pv7100::bench
