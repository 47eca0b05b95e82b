// Whether the words of a command line name something pv7100ctl can do.
#pragma once

#include <cstddef>

#include "ctl/options.h"

namespace pv7100::ctl {

// The longest code send takes: every code of the vocabulary is far shorter, and a line this
// short fits whole into the output buffer of any tty, so it never goes out in part.
inline constexpr std::size_t kMaxCodeLength = 256;

// Checks the words against the command they name; throws UsageError.
void checkWords(const Options& options);

// The code of `send`: its words joined by spaces.
std::string sentCode(const Options& options);

}  // namespace pv7100::ctl
