#include "daemon/core/command_door.h"

#include <algorithm>

#include "daemon/core/projector_vocabulary.h"

namespace pv7100::daemon {
namespace {

constexpr char kNak = '\x15';

}  // namespace

std::chrono::milliseconds holdPeriod(const Command& command) {
  // The cursor pad's arrows repeat at the period a repeat was last given; at start that is
  // the repeat period the panel starts with.
  return std::chrono::milliseconds(command.cursorArrow() ? kStartRepeatPeriod
                                                         : command.pacing.period);
}

std::string_view outcomeWord(CommandDoor::Outcome outcome) {
  switch (outcome) {
    case CommandDoor::Outcome::ack:
      return "ack";
    case CommandDoor::Outcome::nak:
      return "nak";
    case CommandDoor::Outcome::noReply:
      return "no-reply";
    case CommandDoor::Outcome::refused:
      return "refused";
    case CommandDoor::Outcome::portDown:
      return "port-down";
  }
  return "refused";
}

// Precise: a held zoom repeats every 105 ms, not 100, and a hold does not end before its time.
CommandDoor::CommandDoor(PortOwner& port, StatePoller& poller, CoreClock& clock)
    : port_(port),
      poller_(poller),
      repeat_(clock.timer(CoreClock::Repeat::repeating, CoreClock::Precision::precise,
                          [this] { tick(); })),
      lease_(clock.timer(CoreClock::Repeat::once, CoreClock::Precision::precise,
                         [this] { endHold(); })) {}

CommandDoor::Result CommandDoor::outcomeOf(const PortOwner::Result& result) {
  switch (result.outcome) {
    case PortOwner::Outcome::replied:
      if (result.reply.find(kNak) != std::string::npos)
        return {Outcome::nak, Refusal::none, "the projector refused it (NAK)", result.reply};
      return {Outcome::ack, Refusal::none, {}, result.reply};
    case PortOwner::Outcome::noReply:
      return {Outcome::noReply, Refusal::none, "the projector did not answer", {}};
    case PortOwner::Outcome::portDown:
      break;
  }
  return {Outcome::portDown, Refusal::none, "the projector's port is not open", {}};
}

// Refused before anything went out; told on the next turn, as every outcome is.
void CommandDoor::refuse(Done done, Refusal refusal, std::string error) {
  QMetaObject::invokeMethod(
      this,
      [done = std::move(done), refusal, error = std::move(error)] {
        if (done) done({Outcome::refused, refusal, error, {}});
      },
      Qt::QueuedConnection);
}

CommandDoor::Ticket CommandDoor::run(std::string_view name, Done done) {
  const Command* command = commandNamed(name);
  if (!command) {
    refuse(std::move(done), Refusal::unknown,
           "there is no command called \"" + std::string(name) + "\"");
    return 0;
  }
  return port_.queue(std::string(command->code),
                     [this, command, done = std::move(done)](const PortOwner::Result& result) {
                       const Result outcome = outcomeOf(result);
                       if (outcome.outcome == Outcome::ack)
                         acknowledged(*command);
                       else if (outcome.outcome != Outcome::portDown)
                         mayHaveChanged(*command);
                       if (done) done(outcome);
                     });
}

bool CommandDoor::cancel(Ticket ticket) {
  if (!port_.waiting(ticket)) return false;
  port_.drop(ticket);
  return true;
}

CommandDoor::Ticket CommandDoor::passLine(std::string code, PortOwner::Done done) {
  const Command* command = commandWithCode(code);
  return port_.queue(
      std::move(code),
      [this, command, done = std::move(done)](const PortOwner::Result& result) {
        if (command) {
          const Outcome outcome = outcomeOf(result).outcome;
          if (outcome == Outcome::ack)
            acknowledged(*command);
          else if (outcome != Outcome::portDown)
            mayHaveChanged(*command);
        }
        if (done) done(result);
      },
      PortOwner::Priority::held);
}

// What the acknowledgement tells is known at once; what it changed is read again all the same.
void CommandDoor::acknowledged(const Command& command) {
  const CommandEffect effect = effectOf(command);
  ProjectorState& state = poller_.state();
  const ProjectorState before = state;
  // Mutes not known yet stay unknown: the other mute is not guessed.
  if (state.mutes && effect.pictureMute) state.mutes->picture = *effect.pictureMute;
  if (state.mutes && effect.soundMute) state.mutes->sound = *effect.soundMute;
  if (effect.selectsInput) state.selectedInput = command.name;
  if (effect.freeze) state.freeze = effect.freeze;
  if (effect.forgetsFreeze) state.freeze.reset();
  for (const Read read : effect.reads) poller_.refresh(read);
  if (state != before) emit stateTold();
}

// A refusal or a silence may still have changed something.
void CommandDoor::mayHaveChanged(const Command& command) {
  for (const Read read : effectOf(command).reads) poller_.refresh(read);
}

std::optional<CommandDoor::HoldId> CommandDoor::hold(std::string_view name,
                                                     std::chrono::milliseconds lease, Done ended) {
  const Command* command = commandNamed(name);
  if (!command) {
    refuse(std::move(ended), Refusal::unknown,
           "there is no command called \"" + std::string(name) + "\"");
  } else if (command->kind != CommandKind::repeat) {
    refuse(std::move(ended), Refusal::notHeld,
           std::string(name) + " is a one-shot command: it cannot be held");
  } else if (lease <= std::chrono::milliseconds::zero() || lease > kMaxHold) {
    refuse(std::move(ended), Refusal::tooLong,
           "a hold lasts 1 to " + std::to_string(kMaxHold.count()) + " ms");
  } else if (hold_) {
    refuse(std::move(ended), Refusal::busy,
           "another button is held (" + std::string(hold_->command->name) + ")");
  } else {
    hold_ = Hold{++lastHold_, command, std::move(ended), {}, std::nullopt};
    lease_->start(lease);
    repeat_->start(holdPeriod(*command));
    tick();
    return lastHold_;
  }
  return std::nullopt;
}

bool CommandDoor::renew(HoldId hold, std::chrono::milliseconds lease) {
  if (!hold_ || hold_->id != hold) return false;
  lease_->start(std::clamp(lease, std::chrono::milliseconds(1), kMaxHold));
  return true;
}

void CommandDoor::release(HoldId hold) {
  if (hold_ && hold_->id == hold) endHold();
}

// A tick that finds the last line still queued or on the wire sends nothing: lines never pile
// up behind a slow projector, to go on moving the lens after the release.
void CommandDoor::tick() {
  if (!hold_ || hold_->line) return;
  const HoldId id = hold_->id;
  hold_->line = port_.queue(
      std::string(hold_->command->code),
      [this, id](const PortOwner::Result& result) { lineDone(id, result); },
      PortOwner::Priority::held);
}

void CommandDoor::lineDone(HoldId id, const PortOwner::Result& result) {
  if (!hold_ || hold_->id != id) return;
  hold_->line.reset();
  const Result outcome = outcomeOf(result);
  if (outcome.outcome != Outcome::ack && hold_->result.outcome == Outcome::ack)
    hold_->result = outcome;
  if (outcome.outcome == Outcome::nak || outcome.outcome == Outcome::portDown) endHold();
}

void CommandDoor::endHold() {
  if (!hold_) return;
  lease_->stop();
  repeat_->stop();
  Hold ended = std::move(*hold_);
  hold_.reset();
  if (ended.line) port_.drop(*ended.line);
  if (ended.ended) ended.ended(ended.result);
}

}  // namespace pv7100::daemon
