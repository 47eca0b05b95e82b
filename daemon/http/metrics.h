// The metrics page in Prometheus's text format (version 0.0.4): the state document, the port
// owner's counters and each face's clients. A value not read yet has no sample.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "daemon/core/port_owner.h"
#include "daemon/core/state_document.h"

namespace pv7100::daemon {

std::string metricsText(const StateDocument& document, const PortOwner::Counters& counters,
                        const std::map<std::string, int, std::less<>>& clients);

}  // namespace pv7100::daemon
