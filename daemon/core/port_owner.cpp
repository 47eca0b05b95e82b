#include "daemon/core/port_owner.h"

#include <algorithm>
#include <fstream>
#include <utility>

#include <unistd.h>

#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "serial/port_lock.h"
#include "serial/port_names.h"

namespace pv7100::daemon {

PortOwner::PortOwner(PortSettings settings, EventLog& log)
    : settings_(std::move(settings)), log_(log) {
  if (!settings_.logFile.empty()) {
    logged_ = std::make_unique<LoggedSerialPort>(serial_, settings_.logFile);
    logged_->onLogFailed([this](const std::string& reason) {
      log_.event("cannot write to the log file: " + reason);
    });
    port_ = logged_.get();
  }
  port_->onReceived([this](std::string_view bytes) { received(bytes); });
  port_->onLost([this](const PortError& error) { lost(error); });
  for (QTimer* timer : {&replyTimer_, &settleTimer_, &reopenTimer_}) timer->setSingleShot(true);
  replyTimer_.setInterval(settings_.replyTimeout);
  settleTimer_.setInterval(settings_.replyTimeout);
  reopenTimer_.setInterval(kReopenPeriod);
  connect(&replyTimer_, &QTimer::timeout, this, [this] { timedOut(); });
  connect(&settleTimer_, &QTimer::timeout, this, [this] {
    next();
    if (idle()) becameIdle();
  });
  connect(&reopenTimer_, &QTimer::timeout, this, [this] { tryOpen(); });
}

PortOwner::~PortOwner() {
  port_->onReceived(nullptr);
  port_->onLost(nullptr);
}

void PortOwner::start() {
  stopped_ = false;
  tryOpen();
}

void PortOwner::stop() {
  stopped_ = true;
  reopenTimer_.stop();
  port_->close();
  removeNote();
  if (current_) finish(Outcome::portDown, {});
  failQueued();
}

bool PortOwner::idle() const {
  return !current_ && queue_.empty() && clientQueue_.empty() && !settleTimer_.isActive();
}

bool PortOwner::clientsHolding() const {
  return std::chrono::steady_clock::now() - lastClientLine_ < kHoldGap &&
         lastClientLine_ - clientLineBefore_ < kHoldGap;
}

void PortOwner::tryOpen() {
  if (stopped_) return;
  try {
    port_->open(settings_.device, settings_.line);
  } catch (const PortError& error) {
    if (!failing_)
      log_.event("cannot open " + std::string(error.what()) + "; trying again every 2 s");
    failing_ = true;
    reopenTimer_.start();
    return;
  }
  failing_ = false;
  answering_ = true;
  writeNote();
  log_.event("port " + settings_.device + " open at " + std::to_string(settings_.line.baud) +
             " baud");
  if (onPortChange_) onPortChange_();
  next();
  if (idle()) becameIdle();
}

void PortOwner::writeNote() {
  if (settings_.sharedAt.empty() || portKindOf(settings_.device) != PortKind::device) return;
  const std::string lock = portLockFile(settings_.device);
  if (lock.empty()) return;
  note_ = sharingNoteFile(lock);
  std::ofstream(note_) << settings_.sharedAt << '\n';
}

// The lock goes with the port, and the note with it.
void PortOwner::removeNote() {
  if (!note_.empty()) ::unlink(note_.c_str());
  note_.clear();
}

void PortOwner::lost(const PortError& error) {
  removeNote();
  log_.event("lost " + std::string(error.what()) + "; trying again every 2 s");
  failing_ = true;
  if (current_) finish(Outcome::portDown, {});
  failQueued();
  reopenTimer_.start();
  if (onPortChange_) onPortChange_();
}

PortOwner::Ticket PortOwner::queue(std::string code, Done done, Priority priority) {
  const Ticket ticket = ++lastTicket_;
  if (priority == Priority::client)
    clientLineBefore_ = std::exchange(lastClientLine_, std::chrono::steady_clock::now());
  (priority == Priority::client ? clientQueue_ : queue_)
      .push_back({ticket, std::move(code), std::move(done)});
  // Never from inside the caller: a closed port fails the exchange on the next turn.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!isOpen()) failQueued();
        next();
      },
      Qt::QueuedConnection);
  return ticket;
}

void PortOwner::drop(Ticket ticket) {
  const auto same = [ticket](const Exchange& exchange) { return exchange.ticket == ticket; };
  std::erase_if(clientQueue_, same);
  std::erase_if(queue_, same);
}

bool PortOwner::waiting(Ticket ticket) const {
  const auto same = [ticket](const Exchange& exchange) { return exchange.ticket == ticket; };
  return std::ranges::any_of(clientQueue_, same) || std::ranges::any_of(queue_, same);
}

void PortOwner::failQueued() {
  for (std::deque<Exchange>* waiting : {&clientQueue_, &queue_}) {
    while (!waiting->empty()) {
      Exchange exchange = std::move(waiting->front());
      waiting->pop_front();
      if (exchange.done) exchange.done({Outcome::portDown, {}});
    }
  }
}

void PortOwner::next() {
  std::deque<Exchange>& from = clientQueue_.empty() ? queue_ : clientQueue_;
  if (current_ || from.empty() || settleTimer_.isActive() || !isOpen()) return;
  current_ = std::move(from.front());
  from.pop_front();
  logLate();
  reply_.clear();
  try {
    port_->write(commandLine(current_->code));
  } catch (const PortError& error) {
    log_.event("cannot write to " + std::string(error.what()));
    finish(Outcome::portDown, {});
    return;
  }
  replyTimer_.start();
}

void PortOwner::received(std::string_view bytes) {
  if (!current_) {
    if (settleTimer_.isActive()) settleTimer_.start();
    late_.append(bytes);
    if (late_.find_first_of(std::string{kAck, kCarriageReturn}) != std::string::npos) logLate();
    return;
  }
  reply_.append(bytes);
  const std::size_t end = reply_.find_first_of(std::string{kAck, kCarriageReturn});
  if (end == std::string::npos) return;
  late_ = reply_.substr(end + 1);
  std::string reply = reply_.substr(0, end + 1);
  if (!answering_) log_.event("the projector answers again");
  answering_ = true;
  finish(Outcome::replied, std::move(reply));
}

void PortOwner::logLate() {
  if (late_.empty()) return;
  log_.event("dropped a reply that came late or unasked:" + renderMonitor(late_));
  late_.clear();
}

void PortOwner::timedOut() {
  if (!current_) return;
  if (answering_)
    log_.event("no reply to " + current_->code + " within " +
               std::to_string(settings_.replyTimeout.count()) +
               " ms: the projector does not answer");
  answering_ = false;
  late_ = reply_;
  settleTimer_.start();
  finish(Outcome::noReply, {});
}

void PortOwner::finish(Outcome outcome, std::string reply) {
  replyTimer_.stop();
  Exchange exchange = std::move(*current_);
  current_.reset();
  reply_.clear();
  if (exchange.done) exchange.done({outcome, std::move(reply)});
  next();
  if (idle()) becameIdle();
}

void PortOwner::becameIdle() {
  if (onIdle_) onIdle_();
}

}  // namespace pv7100::daemon
