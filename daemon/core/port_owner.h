// The one owner of the projector's serial port. Exchanges (a command line out, then its reply,
// complete at ACK or at CR, or its time-out) run one at a time, whoever queued them: the state
// poller, PJLink clients, and the clients of the local socket, whose lines go first so that a
// held button keeps its pace.
// A reply that comes after its exchange timed out is logged and dropped, never taken as the
// answer to a later exchange. When the device goes away, or will not open, the owner says so
// once and tries again every 2 s.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QObject>
#include <QTimer>

#include "daemon/core/event_log.h"
#include "port/serial_port.h"
#include "serial/any_port.h"
#include "serial/logged_serial_port.h"

namespace pv7100::daemon {

struct PortSettings {
  std::string device;  // a serial device, or tcp:HOST:PORT for a serial device server
  LineSettings line;
  std::string logFile;  // the traffic log, "" for none
  // The local socket that shares the line: named in a note beside the device's lock while the
  // port is held, for the programs that find the device busy.
  std::string sharedAt;
  std::chrono::milliseconds replyTimeout{1000};
};

class PortOwner : public QObject {
  Q_OBJECT

 public:
  enum class Outcome { replied, noReply, portDown };
  struct Result {
    Outcome outcome = Outcome::portDown;
    std::string reply;  // with its ACK or CR
  };
  using Done = std::function<void(const Result& result)>;
  using Ticket = std::uint64_t;

  static constexpr std::chrono::milliseconds kReopenPeriod{2000};
  // Two socket client lines less than this far apart, the last less than this long ago, mean
  // a button may be held: the longest repeat period is 500 ms. A single line (a power command)
  // is no hold, and what it changed is read at once.
  static constexpr std::chrono::milliseconds kHoldGap{600};

  // Throws LogFileError when the traffic log cannot be opened.
  PortOwner(PortSettings settings, EventLog& log);
  ~PortOwner() override;

  // Opens the port, or starts trying to.
  void start();
  // Closes the port (releasing its lock); every exchange still queued ends with portDown.
  void stop();

  enum class Priority { normal, client };
  // Queues `code` (without its CR); `done` is called once, never from inside this call.
  // Exchanges of priority client go before all normal ones, in their own order.
  Ticket queue(std::string code, Done done, Priority priority = Priority::normal);
  // Takes a queued exchange out before it starts; `done` is not called.
  void drop(Ticket ticket);
  // The exchange is queued and has not started.
  bool waiting(Ticket ticket) const;

  bool isOpen() const { return port_->isOpen(); }
  // Open, and the last exchange had its reply.
  bool answering() const { return isOpen() && answering_; }
  // No exchange running or waiting.
  bool idle() const;
  // A socket client's lines come as a held button's: their pace comes before the daemon's own
  // reads.
  bool clientsHolding() const;
  // Called when the owner becomes idle, and when the port opens or goes away.
  void onIdle(std::function<void()> handler) { onIdle_ = std::move(handler); }
  void onPortChange(std::function<void()> handler) { onPortChange_ = std::move(handler); }

 private:
  struct Exchange {
    Ticket ticket = 0;
    std::string code;
    Done done;
  };

  void tryOpen();
  void writeNote();
  void removeNote();
  void lost(const PortError& error);
  void next();
  void received(std::string_view bytes);
  void finish(Outcome outcome, std::string reply);
  void timedOut();
  void logLate();
  void failQueued();
  void becameIdle();

  PortSettings settings_;
  EventLog& log_;
  AnyPort serial_;
  std::unique_ptr<LoggedSerialPort> logged_;
  SerialPort* port_ = &serial_;
  std::deque<Exchange> clientQueue_;
  std::deque<Exchange> queue_;
  std::chrono::steady_clock::time_point lastClientLine_{};
  std::chrono::steady_clock::time_point clientLineBefore_{};
  std::optional<Exchange> current_;
  std::string reply_;
  std::string late_;
  std::string note_;  // the note beside the lock, "" when none was written
  Ticket lastTicket_ = 0;
  bool answering_ = true;
  bool failing_ = false;  // the failure to open has been told
  bool stopped_ = false;
  QTimer replyTimer_;
  // After a time-out no exchange starts until the line has been quiet for one more reply
  // time-out, so that a reply still on its way is taken in as late, not as the next one's.
  QTimer settleTimer_;
  QTimer reopenTimer_;
  std::function<void()> onIdle_;
  std::function<void()> onPortChange_;
};

}  // namespace pv7100::daemon
