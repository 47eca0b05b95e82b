#include <array>
#include <cstdint>
#include <iostream>
#include <memory>
#include <set>

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include "ctl/commands.h"
#include "ctl/exit_codes.h"
#include "ctl/json.h"
#include "ctl/messages.h"
#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"
#include "protocol/status_reads.h"
#include "serial/any_port.h"
#include "serial/port_lock.h"
#include "serial/port_names.h"

namespace pv7100::ctl {

namespace {

// Each candidate is asked for its operating state.
const StatusRead& kStateRead = *statusReadNamed("state");

constexpr std::array kSpeeds = {19200, 9600};
constexpr int kDefaultWaitMs = 200;

struct Candidate {
  std::string device;
  std::unique_ptr<AnyPort> port;
  bool ownSpeed = false;  // a converter's or pv7100d's line, asked at the speed it runs at
  ReplyCutter cutter;
  std::optional<std::string> state;
  int baud = 0;
};

// Stable names first, so that an adapter shows under /dev/serial/by-id rather than ttyUSB0.
std::vector<std::string> discoverDevices() {
  std::vector<std::string> devices;
  std::set<QString> seen;
  const auto add = [&](const QFileInfo& entry) {
    const QString target = entry.canonicalFilePath();
    if (!target.isEmpty() && seen.insert(target).second)
      devices.push_back(entry.absoluteFilePath().toStdString());
  };
  const auto filters = QDir::System | QDir::Files | QDir::NoDotAndDotDot;
  for (const QFileInfo& entry : QDir("/dev/serial/by-id").entryInfoList(filters, QDir::Name))
    add(entry);
  for (const char* pattern : {"ttyUSB*", "ttyACM*", "ttyS*"}) {
    for (const QFileInfo& entry : QDir("/dev", pattern, QDir::Name, filters).entryInfoList())
      add(entry);
  }
  return devices;
}

bool answered(const Candidate& candidate) {
  return candidate.state || !candidate.port->isOpen();
}

// A line whose speed is set elsewhere is asked once, at the first speed, which leaves it as it is.
bool asksAt(const Candidate& candidate, int baud) {
  return !candidate.ownSpeed || baud == kSpeeds[0];
}

// Asks every open candidate that has not answered for its state at `baud`, and waits until
// all have answered or `waitMs` has passed.
void askAll(std::vector<Candidate>& candidates, int baud, int waitMs) {
  QEventLoop loop;
  const auto allAnswered = [&] {
    for (const Candidate& candidate : candidates) {
      if (asksAt(candidate, baud) && !answered(candidate)) return false;
    }
    return true;
  };
  for (Candidate& candidate : candidates) {
    if (!asksAt(candidate, baud) || answered(candidate)) continue;
    candidate.cutter.clear();
    candidate.port->onReceived([&](std::string_view bytes) {
      candidate.cutter.add(bytes);
      while (auto reply = candidate.cutter.take()) {
        if (auto decoded = decodeStatus(commandLine(kStateRead.code), renderMonitor(*reply))) {
          candidate.state = decoded->text;
          candidate.baud = baud;
        }
      }
      if (allAnswered()) loop.quit();
    });
    candidate.port->onLost([&](const PortError& error) {
      complain(portFailureText(error));
      if (allAnswered()) loop.quit();
    });
    try {
      candidate.port->setSettings(LineSettings{.baud = baud});
      candidate.port->write(commandLine(kStateRead.code));
    } catch (const PortError& error) {
      complain(portFailureText(error));
      candidate.port->close();
    }
  }
  if (allAnswered()) return;
  QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
  loop.exec();
}

// The speed it answered at, or `unknown` for a line whose speed is set elsewhere.
std::string speed(const Candidate& candidate, const char* unknown) {
  return candidate.ownSpeed ? unknown : std::to_string(candidate.baud);
}

void print(const std::vector<Candidate>& candidates, bool json) {
  bool first = true;
  if (json) std::cout << "[";
  for (const Candidate& candidate : candidates) {
    if (!candidate.state) continue;
    const std::string_view text = *candidate.state;
    const std::string_view trimmed = withoutLeadingBlanks(text);
    if (json)
      std::cout << (first ? "\n  " : ",\n  ") << "{\"device\": " << jsonString(candidate.device)
                << ", \"baud\": " << speed(candidate, "null") << ", \"state\": " << jsonString(text)
                << "}";
    else
      std::cout << candidate.device << '\t' << speed(candidate, "-") << '\t' << trimmed << '\n';
    first = false;
  }
  if (json) std::cout << (first ? "]\n" : "\n]\n");
}

}  // namespace

int runProbe(const std::vector<std::string>& named, const Options& options) {
  const bool discovered = named.empty();
  const std::vector<std::string> devices = discovered ? discoverDevices() : named;
  std::vector<Candidate> candidates;
  candidates.reserve(devices.size());
  std::set<std::string> asked;  // real paths: a device named twice, or by a link, is asked once
  for (const std::string& device : devices) {
    if (!asked.insert(realDevicePath(device)).second) continue;
    auto port = std::make_unique<AnyPort>();
    try {
      port->open(device, LineSettings{.baud = kSpeeds[0]});
    } catch (const PortError& error) {
      // A ttyS node with no UART behind it is no finding; everything else is.
      if (!discovered || error.fault() != PortFault::noDevice) complain(openFailureText(error));
      continue;
    }
    Candidate& candidate = candidates.emplace_back();
    candidate.device = device;
    candidate.port = std::move(port);
    candidate.ownSpeed = portKindOf(device) != PortKind::device;
  }
  const int waitMs = options.timeoutGiven ? options.timeoutMs : kDefaultWaitMs;
  for (const int baud : kSpeeds) askAll(candidates, baud, waitMs);
  bool found = false;
  for (const Candidate& candidate : candidates) {
    found = found || candidate.state;
    if (!candidate.state && !discovered && candidate.port->isOpen())
      complain(candidate.device +
               (candidate.ownSpeed ? ": no answer." : ": no answer at 19200 or 9600 baud."));
  }
  print(candidates, options.json);
  if (found) return kDone;
  complain("no projector answered (" + std::to_string(asked.size()) +
           (asked.size() == 1 ? " device" : " devices") +
           " asked). Check the cable and the projector's power, or name the device: "
           "pv7100ctl probe DEVICE.");
  return kNoReply;
}

}  // namespace pv7100::ctl
