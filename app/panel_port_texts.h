// The panel's words for a port that will not open or went away: the remedies every program
// gives, with the panel's own way to name a device (--com1 DEVICE) and to pick a port again.
#pragma once

#include "panel/port_messages.h"

namespace pv7100 {

PortTroubleTexts panelPortTexts();

}  // namespace pv7100
