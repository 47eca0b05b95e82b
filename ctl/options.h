// The command line of pv7100ctl. Options may stand before or after the command's words.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pv7100::ctl {

// A command line that cannot be obeyed; what() says why, in one line.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kDefaultPort = "/dev/ttyS0";

struct Options {
  std::string port;  // --port, else $PV7100_PORT, else kDefaultPort
  int baud = 19200;
  int timeoutMs = 1000;
  bool timeoutGiven = false;
  bool json = false;
  std::string logFile;
  std::optional<int> holdMs;   // --for
  std::optional<int> withinS;  // --within
  bool help = false;
  bool version = false;
  std::vector<std::string> words;  // the command and its arguments
};

// `args` without the program name; `environmentPort` is $PV7100_PORT or nullptr. Throws
// UsageError.
Options parseOptions(const std::vector<std::string>& args, const char* environmentPort);

// The text of --help, in the shape help2man reads.
std::string usageText();

}  // namespace pv7100::ctl
