// PJLink authentication: the client proves the password with MD5(seed + password) in
// hexadecimal, 32 lower-case digits.
#pragma once

#include <string>

namespace pv7100::daemon {

std::string pjlinkDigest(const std::string& seed, const std::string& password);

}  // namespace pv7100::daemon
