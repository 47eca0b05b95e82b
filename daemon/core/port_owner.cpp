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

PortOwner::PortOwner(PortSettings settings, EventLog& log, SerialPort& serial, CoreClock& clock)
    : settings_(std::move(settings)),
      log_(log),
      clock_(clock),
      port_(&serial),
      lastReplyTime_(settings_.replyTimeout) {
  if (!settings_.logFile.empty()) {
    logged_ = std::make_unique<LoggedSerialPort>(serial, settings_.logFile);
    logged_->onLogFailed([this](const std::string& reason) {
      log_.event("cannot write to the log file: " + reason);
    });
    logged_->cutLongReplies();
    port_ = logged_.get();
  }
  port_->onReceived([this](std::string_view bytes) { received(bytes); });
  port_->onLost([this](const PortError& error) { lost(error); });
  using enum CoreClock::Repeat;
  using enum CoreClock::Precision;
  // A reply window of 1000 ms must not end at 950 ms.
  replyTimer_ = clock_.timer(once, precise, [this] { timedOut(); });
  settleTimer_ = clock_.timer(once, precise, [this] {
    logLate();
    next();
    idleCheck();
  });
  reopenTimer_ = clock_.timer(once, coarse, [this] { tryOpen(); });
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
  reopenTimer_->stop();
  port_->close();
  removeNote();
  if (current_) finish(Outcome::portDown, {});
  failQueued();
}

bool PortOwner::idle() const {
  return !current_ && queue_.empty() && betweenQueue_.empty() && heldQueue_.empty() &&
         !settleTimer_->isActive();
}

bool PortOwner::holding() const {
  return clock_.now() - lastHeldLine_ < kHoldGap && lastHeldLine_ - heldLineBefore_ < kHoldGap;
}

void PortOwner::idleCheck() {
  if (idle()) emit becameIdle();
}

void PortOwner::setAnswering(bool answering) {
  const bool before = this->answering();
  answering_ = answering;
  heard_ = heard_ || answering;
  if (this->answering() != before) emit answeringChanged();
}

void PortOwner::tryOpen() {
  if (stopped_) return;
  try {
    port_->open(settings_.device, settings_.line);
  } catch (const PortError& error) {
    if (!failing_)
      log_.event("cannot open " + std::string(error.what()) + "; trying again every 2 s");
    failing_ = true;
    reopenTimer_->start(kReopenPeriod);
    return;
  }
  failing_ = false;
  // Whether the projector answers is known at its first reply.
  answering_ = true;
  heard_ = false;
  skipping_ = false;
  late_.clear();
  writeNote();
  log_.event("port " + settings_.device + " open at " + std::to_string(settings_.line.baud) +
             " baud");
  emit portChanged();
  next();
  idleCheck();
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
  reopenTimer_->start(kReopenPeriod);
  emit portChanged();
}

PortOwner::Ticket PortOwner::queue(std::string code, Done done, Priority priority) {
  const Ticket ticket = ++lastTicket_;
  if (priority == Priority::held) heldLineBefore_ = std::exchange(lastHeldLine_, clock_.now());
  std::deque<Exchange>& into = priority == Priority::held      ? heldQueue_
                               : priority == Priority::between ? betweenQueue_
                                                               : queue_;
  into.push_back({ticket, std::move(code), std::move(done), priority});
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
  for (std::deque<Exchange>* waiting : {&heldQueue_, &betweenQueue_, &queue_})
    std::erase_if(*waiting, same);
}

bool PortOwner::waiting(Ticket ticket) const {
  const auto same = [ticket](const Exchange& exchange) { return exchange.ticket == ticket; };
  return std::ranges::any_of(heldQueue_, same) || std::ranges::any_of(betweenQueue_, same) ||
         std::ranges::any_of(queue_, same);
}

void PortOwner::failQueued() {
  for (std::deque<Exchange>* waiting : {&heldQueue_, &betweenQueue_, &queue_}) {
    while (!waiting->empty()) {
      Exchange exchange = std::move(waiting->front());
      waiting->pop_front();
      if (exchange.done) exchange.done({Outcome::portDown, {}});
    }
  }
}

// Held lines go first, but a read that someone waits for goes between two of them.
std::deque<PortOwner::Exchange>* PortOwner::nextQueue() {
  if (!betweenQueue_.empty() && (heldQueue_.empty() || lastWasHeld_)) return &betweenQueue_;
  if (!heldQueue_.empty()) return &heldQueue_;
  if (!betweenQueue_.empty()) return &betweenQueue_;
  return queue_.empty() ? nullptr : &queue_;
}

void PortOwner::next() {
  if (current_ || settleTimer_->isActive() || !isOpen()) return;
  std::deque<Exchange>* from = nextQueue();
  if (!from) return;
  current_ = std::move(from->front());
  from->pop_front();
  lastWasHeld_ = current_->priority == Priority::held;
  logLate();
  reply_.clear();
  ++counters_.exchanges;
  try {
    port_->write(commandLine(current_->code));
  } catch (const PortError& error) {
    log_.event("cannot write to " + std::string(error.what()));
    finish(Outcome::portDown, {});
    return;
  }
  sentAt_ = clock_.now();
  replyTimer_->start(settings_.replyTimeout);
}

// Bytes are taken up to the first ACK or CR. Beyond kMaxReply bytes without one, what has come
// is dropped and so is everything up to the next ACK or CR, where the line is in step again.
void PortOwner::received(std::string_view bytes) {
  // The line is not quiet yet: what still comes after a time-out is taken in as late.
  if (!current_ && settleTimer_->isActive()) settleTimer_->start(settings_.replyTimeout);
  while (!bytes.empty()) {
    const std::size_t end = bytes.find_first_of(std::string_view("\x06\r", 2));
    const std::size_t length = end == std::string_view::npos ? bytes.size() : end + 1;
    const std::string_view part = bytes.substr(0, length);
    bytes.remove_prefix(length);
    if (skipping_) {
      overlong(end == std::string_view::npos ? part.size() : part.size() - 1);
      skipping_ = end == std::string_view::npos;
      continue;
    }
    std::string& into = current_ ? reply_ : late_;
    if (into.size() + part.size() > kMaxReply + (end == std::string_view::npos ? 0 : 1)) {
      overlong(into.size() + part.size() - (end == std::string_view::npos ? 0 : 1));
      into.clear();
      skipping_ = end == std::string_view::npos;
      continue;
    }
    into.append(part);
    if (end == std::string_view::npos) continue;
    if (!current_) {
      logLate();
      continue;
    }
    std::string reply = std::exchange(reply_, {});
    lastReplyTime_ = std::chrono::ceil<std::chrono::milliseconds>(clock_.now() - sentAt_);
    if (!answering_) log_.event("the projector answers again");
    setAnswering(true);
    finish(Outcome::replied, std::move(reply));
  }
}

void PortOwner::overlong(std::size_t bytes) {
  counters_.droppedBytes += bytes;
  log_.counted("over-long reply", static_cast<long>(bytes), [](long amount) {
    return "dropped " + std::to_string(amount) + " bytes of an over-long reply";
  });
}

void PortOwner::logLate() {
  if (late_.empty()) return;
  ++counters_.lateReplies;
  const std::string shown = renderMonitor(late_);
  late_.clear();
  log_.counted("late reply", 1, [shown](long amount) {
    if (amount == 1) return "dropped a reply that came late or unasked:" + shown;
    return "dropped " + std::to_string(amount) +
           " replies that came late or unasked, the last:" + shown;
  });
}

void PortOwner::timedOut() {
  if (!current_) return;
  ++counters_.timeouts;
  if (answering_)
    log_.event("no reply to " + current_->code + " within " +
               std::to_string(settings_.replyTimeout.count()) +
               " ms: the projector does not answer");
  late_ = std::exchange(reply_, {});
  lastReplyTime_ = settings_.replyTimeout;
  settleTimer_->start(settings_.replyTimeout);
  setAnswering(false);
  finish(Outcome::noReply, {});
}

void PortOwner::finish(Outcome outcome, std::string reply) {
  replyTimer_->stop();
  Exchange exchange = std::move(*current_);
  current_.reset();
  reply_.clear();
  if (exchange.done) exchange.done({outcome, std::move(reply)});
  next();
  idleCheck();
}

}  // namespace pv7100::daemon
