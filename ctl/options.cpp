#include "ctl/options.h"

#include <charconv>

namespace pv7100::ctl {

namespace {

int number(const std::string& option, const std::string& text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < low || value > high)
    throw UsageError(option + " takes a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not \"" + text + "\"");
  return value;
}

bool takesValue(const std::string& option) {
  return option == "--port" || option == "--baud" || option == "--timeout" || option == "--log" ||
         option == "--for" || option == "--within";
}

void apply(Options& options, const std::string& option, const std::string& value) {
  if (option == "--port") {
    if (value.empty()) throw UsageError("--port takes a device, such as /dev/ttyUSB0");
    options.port = value;
  } else if (option == "--baud") {
    if (value != "19200" && value != "9600")
      throw UsageError("--baud takes 19200 or 9600, not \"" + value + "\"");
    options.baud = value == "9600" ? 9600 : 19200;
  } else if (option == "--timeout") {
    options.timeoutMs = number(option, value, 1, 3'600'000);
    options.timeoutGiven = true;
  } else if (option == "--log") {
    if (value.empty()) throw UsageError("--log takes a file name");
    options.logFile = value;
  } else if (option == "--for") {
    options.holdMs = number(option, value, 1, 3'600'000);
  } else {
    options.withinS = number(option, value, 1, 86'400);
  }
}

}  // namespace

Options parseOptions(const std::vector<std::string>& args, const char* environmentPort) {
  Options options;
  options.port = environmentPort && *environmentPort ? environmentPort : kDefaultPort;
  bool wordsOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (wordsOnly || !arg.starts_with("--")) {
      if (!wordsOnly && arg == "-h") {
        options.help = true;
        continue;
      }
      options.words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      wordsOnly = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string option = arg.substr(0, equals);
    if (takesValue(option)) {
      if (equals != std::string::npos) {
        apply(options, option, arg.substr(equals + 1));
      } else if (i + 1 < args.size()) {
        apply(options, option, args[++i]);
      } else {
        throw UsageError(option + " needs a value");
      }
    } else if (equals != std::string::npos) {
      throw UsageError(option + " takes no value");
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else {
      throw UsageError("unknown option " + arg);
    }
  }
  return options;
}

std::string usageText() {
  return R"(Usage: pv7100ctl [OPTION]... COMMAND [ARG]...
Drive a QUIVA PV7100 data projector over its RS-232C line from scripts.

Commands:
  list                  every command a button of the panel sends: name, code, what it does
  NAME                  send command NAME once and wait for the projector's reply
  NAME --for MS         hold a hold-to-repeat command for MS milliseconds, as its button
                        does: a line at once, then one at each period
  send CODE             send any code, followed by CR, and print the reply
  status [READ]...      the status reads: state, input, lamp-hours, reversal, temperatures,
                        lamp-mode, version, mute, pressure (all nine when none is named)
  wait on|standby       read the state once a second until it is on or standby
  probe [DEVICE]...     find the projector: ask each device (or every serial device found)
                        for its state at 19200 and 9600 baud (tcp: and unix: at theirs)

Options:
  --port DEVICE         the serial device (default $PV7100_PORT, else /dev/ttyS0); or
                        tcp:HOST:PORT, a serial device server such as ser2net (raw TCP),
                        or unix:PATH, the socket of pv7100d; their speed is set there
  --baud 19200|9600     the line speed (default 19200); always 8 data bits, no parity,
                        1 stop bit, no flow control, DTR and RTS as the device leaves them
  --timeout MS          how long to wait for a reply (default 1000); for probe, how long to
                        wait at each speed (default 200)
  --json                print JSON instead of text
  --log FILE            append every line sent and every reply received to FILE
  --for MS              with a hold-to-repeat NAME: how long to hold it
  --within S            with wait: give up after S seconds (default 60)
  --help                show this help and exit
  --version             show the version and exit

Exit status:
  0  done
  1  no complete reply within the time-out (wait: not in the state in time; probe: no
     projector found)
  2  bad usage, or the log file cannot be appended to
  3  the port could not be opened
  4  the projector refused the command (NAK), or a status reply matched no known reply
  5  the port failed while in use

Examples:
  pv7100ctl --port /dev/ttyUSB0 power-on && pv7100ctl --port /dev/ttyUSB0 wait on
  pv7100ctl status state lamp-hours
  pv7100ctl --json status
  pv7100ctl zoom-plus --for 600
  pv7100ctl send "CF IMAGE REAL"
)";
}

}  // namespace pv7100::ctl
