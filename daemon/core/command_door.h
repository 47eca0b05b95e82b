// The one door through which every face's commands reach the projector: by public name (as
// pv7100ctl list names them) with their outcome, or as raw lines from the local socket. What an
// acknowledged command changes is taken into the state at once where the acknowledgement tells
// it (a mute, the input chosen), and read again, whichever face sent it.
//
// A hold repeats a hold-to-repeat command at the command's own period, its lines ahead of the
// daemon's reads, for as long as its lease lasts: a face renews the lease while its client
// holds, and the repeat stops when the lease runs out or the hold is released. One hold at a
// time; a tick that finds the last line still on its way sends nothing, as a held button does.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <QObject>

#include "daemon/core/core_clock.h"
#include "daemon/core/port_owner.h"
#include "daemon/core/state_poller.h"
#include "protocol/commands.h"

namespace pv7100::daemon {

class CommandDoor : public QObject {
  Q_OBJECT

 public:
  enum class Outcome { ack, nak, noReply, refused, portDown };
  // Why a command was refused before anything went out.
  enum class Refusal { none, unknown, notHeld, tooLong, busy };
  struct Result {
    Outcome outcome = Outcome::ack;
    Refusal refusal = Refusal::none;
    std::string error;  // why, for every outcome but ack
    std::string reply;  // the projector's reply, with its ACK or CR
  };
  using Done = std::function<void(const Result& result)>;
  using Ticket = PortOwner::Ticket;
  using HoldId = std::uint64_t;

  static constexpr std::chrono::milliseconds kMaxHold{10'000};

  CommandDoor(PortOwner& port, StatePoller& poller, CoreClock& clock);

  // Sends the command called `name` once (a hold-to-repeat command as a tap of its button);
  // `done` is called once with its outcome, never from inside this call.
  Ticket run(std::string_view name, Done done);
  // Takes a command out before it went on the wire: true, and `done` is not called.
  bool cancel(Ticket ticket);
  // The command is still queued.
  bool waiting(Ticket ticket) const { return port_.waiting(ticket); }

  // A line of a local socket client, passed as it is (`code` without its CR), with a held
  // button's priority; `done` gets the raw reply.
  Ticket passLine(std::string code, PortOwner::Done done);

  // Starts holding the hold-to-repeat command `name` for `lease` (at most kMaxHold): its first
  // line goes out at once. `ended` is called once when the hold ends (lease over, released,
  // refused by the projector, the port gone) with the first outcome that was not an
  // acknowledgement, or ack; it stops at the first refusal. Refused (nullopt, and `ended`
  // called with the refusal on the next turn) for an unknown or one-shot command, a lease over
  // kMaxHold, or while another hold runs.
  std::optional<HoldId> hold(std::string_view name, std::chrono::milliseconds lease, Done ended);
  // Extends the hold to `lease` from now; false when the hold has ended.
  bool renew(HoldId hold, std::chrono::milliseconds lease);
  // Ends the hold at once: a line not yet on the wire stays off it. `ended` is called from
  // inside this call.
  void release(HoldId hold);
  bool holding() const { return hold_.has_value(); }
  // Calls `then` once the next `read` has ended, answered or not, or the port went away.
  void whenRead(Read read, std::function<void()> then) { poller_.whenRead(read, std::move(then)); }

 signals:
  // An acknowledged command changed the state.
  void stateTold();

 private:
  struct Hold {
    HoldId id = 0;
    const Command* command = nullptr;
    Done ended;
    Result result;
    std::optional<Ticket> line;  // the line queued or on the wire
  };

  void acknowledged(const Command& command);
  void mayHaveChanged(const Command& command);
  void tick();
  void lineDone(HoldId id, const PortOwner::Result& result);
  void endHold();
  static Result outcomeOf(const PortOwner::Result& result);
  void refuse(Done done, Refusal refusal, std::string error);

  PortOwner& port_;
  StatePoller& poller_;
  std::optional<Hold> hold_;
  HoldId lastHold_ = 0;
  std::unique_ptr<CoreTimer> repeat_;
  std::unique_ptr<CoreTimer> lease_;
};

// The period at which a hold repeats the hold-to-repeat command `command`.
std::chrono::milliseconds holdPeriod(const Command& command);

// The words of an outcome: "ack", "nak", "no-reply", "refused", "port-down".
std::string_view outcomeWord(CommandDoor::Outcome outcome);

}  // namespace pv7100::daemon
