#include "sim/options.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>

namespace pv7100::sim {
namespace {

constexpr std::int64_t kMaxMillis = 3'600'000;
constexpr int kBitsPerCharacter = 10;  // start bit, 8 data bits, stop bit

std::optional<std::int64_t> parseNumber(std::string_view text, std::int64_t low,
                                        std::int64_t high) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

class ArgumentReader {
 public:
  explicit ArgumentReader(std::span<const std::string_view> arguments) : arguments_(arguments) {}

  bool done() const { return next_ == arguments_.size(); }
  std::string_view take() { return arguments_[next_++]; }

  // The value after option `name`; sets `error` when there is none.
  std::optional<std::string_view> value(std::string_view name, std::string& error) {
    if (done()) {
      error = std::string(name) + " needs a value";
      return std::nullopt;
    }
    return take();
  }

  // The number after option `name`, between `low` and `high`; sets `error` otherwise.
  std::optional<std::int64_t> number(std::string_view name, std::int64_t low, std::int64_t high,
                                     std::string& error) {
    const std::optional<std::string_view> text = value(name, error);
    if (!text) return std::nullopt;
    const std::optional<std::int64_t> parsed = parseNumber(*text, low, high);
    if (!parsed) {
      error = std::string(name) + " takes a number from " + std::to_string(low) + " to " +
              std::to_string(high) + ", not \"" + std::string(*text) + "\"";
    }
    return parsed;
  }

 private:
  std::span<const std::string_view> arguments_;
  std::size_t next_ = 0;
};

// Applies one option; false with `error` set when it is wrong.
bool apply(std::string_view option, ArgumentReader& reader, ParsedOptions& parsed) {
  Options& options = parsed.options;
  std::string& error = parsed.error;
  if (option == "--help") {
    parsed.request = Request::Help;
  } else if (option == "--version") {
    parsed.request = Request::Version;
  } else if (option == "--device" || option == "--link") {
    const std::optional<std::string_view> path = reader.value(option, error);
    if (!path) return false;
    (option == "--device" ? options.device : options.link) = *path;
  } else if (option == "--baud") {
    const std::optional<std::string_view> rate = reader.value(option, error);
    if (!rate) return false;
    if (*rate != "9600" && *rate != "19200") {
      error = "--baud takes 9600 or 19200, not \"" + std::string(*rate) + "\"";
      return false;
    }
    options.baud = *rate == "9600" ? 9600 : 19200;
  } else if (option == "--exit-with-stdin") {
    options.exitWithStdin = true;
  } else if (option == "--verbose") {
    options.verbose = true;
  } else if (option == "--silent") {
    options.shaping.silent = true;
  } else if (option == "--split") {
    options.shaping.split = true;
  } else if (option == "--garbage") {
    options.shaping.garbage = true;
  } else if (option == "--delay") {
    const std::optional<std::int64_t> ms = reader.number(option, 0, kMaxMillis, error);
    if (!ms) return false;
    options.shaping.delayMs = *ms;
  } else if (option == "--chatty") {
    const std::optional<std::int64_t> rate =
        reader.number(option, 1, 19200 / kBitsPerCharacter, error);
    if (!rate) return false;
    options.shaping.chattyRate = static_cast<int>(*rate);
  } else if (option == "--seed") {
    const std::optional<std::int64_t> seed =
        reader.number(option, 0, std::numeric_limits<std::uint32_t>::max(), error);
    if (!seed) return false;
    options.shaping.seed = static_cast<std::uint32_t>(*seed);
  } else if (option == "--count-down" || option == "--cool-down") {
    const std::optional<std::int64_t> ms = reader.number(option, 0, kMaxMillis, error);
    if (!ms) return false;
    (option == "--count-down" ? options.model.countDownMs : options.model.coolDownMs) = *ms;
  } else {
    error = "unknown argument \"" + std::string(option) + "\"";
    return false;
  }
  return true;
}

}  // namespace

ParsedOptions parseOptions(std::span<const std::string_view> arguments) {
  ParsedOptions parsed;
  ArgumentReader reader(arguments);
  while (!reader.done()) {
    if (!apply(reader.take(), reader, parsed)) return parsed;
  }
  const int lineRate = parsed.options.baud / kBitsPerCharacter;
  if (parsed.options.shaping.chattyRate > lineRate) {
    parsed.error = "--chatty cannot exceed the line rate of " + std::to_string(lineRate) +
                   " characters per second at " + std::to_string(parsed.options.baud) + " baud";
  }
  return parsed;
}

std::string usage() {
  return R"(Usage: pv7100-sim [OPTION]...
A simulated QUIVA PV7100 projector on a serial line. Prints the device to open, then answers
command lines (code and CR) until SIGINT or SIGTERM.

Line:
  --device PATH       serve this serial device instead of a new pseudo-terminal
  --link PATH         make a symbolic link PATH to the device, removed at exit
  --baud RATE         9600 or 19200 (default 19200), 8 data bits, no parity, 1 stop bit
  --exit-with-stdin   exit when standard input closes
  --verbose           log every command and reply on standard error

Projector:
  --count-down MS     how long the lamp takes to come on (default 15000)
  --cool-down MS      how long cooling down takes (default 30000)

Faults:
  --silent            never answer
  --split             send replies one byte at a time, 5 ms apart
  --delay MS          send replies MS milliseconds late
  --garbage           mix 1 to 3 random bytes into every reply
  --chatty RATE       talk unasked, RATE characters per second (up to the line rate)
  --seed N            seed for --garbage and --chatty (default 1)

  --help              show this text and exit
  --version           show the version and exit
)";
}

}  // namespace pv7100::sim
