// The one owner of the projector's serial port. Exchanges (a command line out, then its reply,
// complete at ACK or at CR, or its time-out) run one at a time, whoever queued them: the state
// poller, the faces' commands, and held buttons, whose lines go first so that they keep their
// pace.
// A reply that comes after its exchange timed out is logged and dropped, never taken as the
// answer to a later exchange. A reply is at most kMaxReply bytes: what a line brings beyond
// that before its CR is counted and dropped. When the device goes away, or will not open, the
// owner says so once and tries again every 2 s.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QObject>

#include "daemon/core/core_clock.h"
#include "daemon/core/event_log.h"
#include "port/serial_port.h"
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

  // What the owner has done since it started, for the metrics.
  struct Counters {
    std::uint64_t exchanges = 0;     // lines sent
    std::uint64_t timeouts = 0;      // exchanges that got no reply in time
    std::uint64_t lateReplies = 0;   // replies that came late or unasked, dropped
    std::uint64_t droppedBytes = 0;  // bytes of over-long replies, dropped
  };

  static constexpr std::chrono::milliseconds kReopenPeriod{2000};
  // Two held lines less than this far apart, the last less than this long ago, mean a button
  // is held: the longest repeat period is 500 ms. A single line (a power command) is no hold.
  static constexpr std::chrono::milliseconds kHoldGap{600};
  // The longest reply kept; the projector's longest is well under it.
  static constexpr std::size_t kMaxReply = 256;

  // Drives `serial`, through the traffic log when there is one. Throws LogFileError when the
  // traffic log cannot be opened.
  PortOwner(PortSettings settings, EventLog& log, SerialPort& serial, CoreClock& clock);
  ~PortOwner() override;

  // Opens the port, or starts trying to.
  void start();
  // Closes the port (releasing its lock); every exchange still queued ends with portDown.
  void stop();

  // held: a held button's line, before everything else. between: a read that someone waits
  // for, which may go between two held lines (at most one between two). normal: the rest.
  enum class Priority { normal, between, held };
  // Queues `code` (without its CR); `done` is called once, never from inside this call.
  Ticket queue(std::string code, Done done, Priority priority = Priority::normal);
  // Takes a queued exchange out before it starts; `done` is not called.
  void drop(Ticket ticket);
  // The exchange is queued and has not started.
  bool waiting(Ticket ticket) const;

  bool isOpen() const { return port_->isOpen(); }
  // Open, a reply has come since it opened, and the last exchange had its reply.
  bool answering() const { return isOpen() && heard_ && answering_; }
  // Open, and no exchange has gone unanswered since the last reply, or since it opened.
  bool reachable() const { return isOpen() && answering_; }
  // No exchange running or waiting.
  bool idle() const;
  // Lines of held buttons come at a held button's pace: the daemon's own reads wait for them.
  bool holding() const;
  const PortSettings& settings() const { return settings_; }
  // How long the last exchange took from its line to its reply; the reply time-out when it
  // had none, or before the first.
  std::chrono::milliseconds lastReplyTime() const { return lastReplyTime_; }
  const Counters& counters() const { return counters_; }

 signals:
  // No exchange runs or waits any more.
  void becameIdle();
  // The port opened or went away.
  void portChanged();
  // answering() changed: the projector stopped answering, or answers (again).
  void answeringChanged();

 private:
  struct Exchange {
    Ticket ticket = 0;
    std::string code;
    Done done;
    Priority priority = Priority::normal;
  };

  void tryOpen();
  void writeNote();
  void removeNote();
  void lost(const PortError& error);
  void next();
  std::deque<Exchange>* nextQueue();
  void received(std::string_view bytes);
  void overlong(std::size_t bytes);
  void finish(Outcome outcome, std::string reply);
  void timedOut();
  void logLate();
  void failQueued();
  void setAnswering(bool answering);
  void idleCheck();

  PortSettings settings_;
  EventLog& log_;
  CoreClock& clock_;
  std::unique_ptr<LoggedSerialPort> logged_;
  SerialPort* port_;
  std::deque<Exchange> heldQueue_;
  std::deque<Exchange> betweenQueue_;
  std::deque<Exchange> queue_;
  std::chrono::steady_clock::time_point lastHeldLine_{};
  std::chrono::steady_clock::time_point heldLineBefore_{};
  bool lastWasHeld_ = false;  // the exchange that ran last was a held line
  std::optional<Exchange> current_;
  std::string reply_;
  std::string late_;
  bool skipping_ = false;  // the rest of an over-long reply is dropped up to its CR
  std::string note_;       // the note beside the lock, "" when none was written
  Ticket lastTicket_ = 0;
  bool answering_ = true;
  bool heard_ = false;    // a reply has come since the port opened
  bool failing_ = false;  // the failure to open has been told
  bool stopped_ = false;
  Counters counters_;
  std::chrono::steady_clock::time_point sentAt_{};
  std::chrono::milliseconds lastReplyTime_;
  std::unique_ptr<CoreTimer> replyTimer_;
  // After a time-out no exchange starts until the line has been quiet for one more reply
  // time-out, so that a reply still on its way is taken in as late, not as the next one's.
  std::unique_ptr<CoreTimer> settleTimer_;
  std::unique_ptr<CoreTimer> reopenTimer_;
};

}  // namespace pv7100::daemon
