// The config file and the password file, read as the small regular files they are. Anything
// else (a directory, a FIFO, a device, a file beyond its bound) is refused with a message that
// says what it is, never waited on and never read beyond the bound.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace pv7100::daemon {

inline constexpr std::size_t kMaxConfigBytes = 64 * 1024;
inline constexpr std::size_t kMaxPasswordFileBytes = 4 * 1024;
// A system's whole bundle of certificate authorities is a few hundred KiB.
inline constexpr std::size_t kMaxCertificateBytes = 1024 * 1024;

// The config file's text; nullopt when nothing is at `path`. /dev/null is an empty config.
// Throws UsageError.
std::optional<std::string> readConfigFile(const std::string& path);

// The PJLink password: the first line of the file, 1 to 32 characters. Throws UsageError.
std::string readPasswordFile(const std::string& path);

// The MQTT broker's password: the first line of the file, 1 to 256 characters. Throws
// UsageError.
std::string readMqttPasswordFile(const std::string& path);

// A certificate, a key or a certificate authority in PEM, `what` in messages ("http-key"): the
// whole file. Throws UsageError.
std::string readCertificateFile(const std::string& path, const std::string& what);

}  // namespace pv7100::daemon
