// Binds the controls of the window, the timers and the serial control to Form1's handlers.
#pragma once

#include "app/form1.h"
#include "app/serial_control.h"
#include "ui/toolkit.h"

namespace pv7100::ui {

void bindHandlers(Form1& form, Toolkit& toolkit, SerialControl& comm);

}  // namespace pv7100::ui
