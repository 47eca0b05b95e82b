// pv7100-sim: a simulated QUIVA PV7100 projector on a pseudo-terminal or a serial device.
#include <exception>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "sim/options.h"
#include "sim/projector_model.h"
#include "sim/serial_line.h"
#include "sim/simulator.h"
#include "sim/stop_signals.h"

int main(int argc, char** argv) {
  using namespace pv7100::sim;
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const ParsedOptions parsed = parseOptions(arguments);
  if (!parsed.error.empty()) {
    std::cerr << "pv7100-sim: " << parsed.error << "\nTry 'pv7100-sim --help'.\n";
    return 2;
  }
  if (parsed.request == Request::Help) {
    std::cout << usage();
    return 0;
  }
  if (parsed.request == Request::Version) {
    std::cout << "pv7100-sim " << kVersion << "\n";
    return 0;
  }
  const Options& options = parsed.options;
  try {
    // Handlers first: a stop that comes as soon as the device is known must still end cleanly.
    const StopSignals stop;
    const SerialLine line = options.device.empty()
                                ? SerialLine::openPseudoTerminal(options.baud)
                                : SerialLine::openDevice(options.device, options.baud);
    std::optional<DeviceLink> link;
    if (!options.link.empty()) link.emplace(options.link, line.path());
    std::cout << line.path() << std::endl;
    serve(options, line, stop.fd(), std::cerr);
  } catch (const std::exception& error) {
    std::cerr << "pv7100-sim: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
