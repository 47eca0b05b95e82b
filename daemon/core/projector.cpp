#include "daemon/core/projector.h"

namespace pv7100::daemon {

Projector::Projector(PortSettings port, PollSettings poll, EventLog& log, SerialPort* serial,
                     CoreClock& clock)
    : log_(log),
      ownPort_(serial ? nullptr : std::make_unique<AnyPort>()),
      port_(std::move(port), log, serial ? *serial : *ownPort_, clock),
      poller_(port_, poll, clock),
      door_(port_, poller_, clock) {
  connect(&poller_, &StatePoller::readEnded, this, [this] { check(); });
  connect(&door_, &CommandDoor::stateTold, this, [this] { check(); });
  connect(&port_, &PortOwner::answeringChanged, this, [this] { check(); });
  connect(&port_, &PortOwner::portChanged, this, [this] { check(); });
  document_ = stateDocument(poller_.state(), port_.answering());
}

void Projector::setClients(std::string_view face, int count) {
  clients_[std::string(face)] = count;
}

void Projector::check() {
  StateDocument now = stateDocument(poller_.state(), port_.answering());
  if (now == document_) return;
  document_ = std::move(now);
  emit documentChanged();
}

}  // namespace pv7100::daemon
