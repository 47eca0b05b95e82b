// The core of pv7100d, which every face is built on: the one owner of the projector's port,
// the state its poller keeps fresh, the door every command goes through, and the state document
// that every face shows. It says when the document changes; a face decides what to do then.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <QObject>

#include "daemon/core/command_door.h"
#include "daemon/core/core_clock.h"
#include "daemon/core/event_log.h"
#include "daemon/core/port_owner.h"
#include "daemon/core/state_document.h"
#include "daemon/core/state_poller.h"
#include "serial/any_port.h"

namespace pv7100::daemon {

class Projector : public QObject {
  Q_OBJECT

 public:
  // The program's drives an AnyPort of its own on Qt's timers; a test passes a port and a clock
  // of its own. Throws LogFileError when the traffic log cannot be opened.
  Projector(PortSettings port, PollSettings poll, EventLog& log, SerialPort* serial = nullptr,
            CoreClock& clock = qtClock());

  // The program's: the port opened, and closed at the end.
  void start() { port_.start(); }
  void stop() { port_.stop(); }

  // A face's view: the port and the state to read, and the command door, the only way to the
  // line; no face reaches the port's send path or changes the state.
  const PortOwner& port() const { return port_; }
  const StatePoller& poller() const { return poller_; }
  CommandDoor& commands() { return door_; }
  EventLog& log() { return log_; }

  const StateDocument& document() const { return document_; }

  // The clients each face serves now ("pjlink", "socket", "mqtt", "http"), for the metrics:
  // each face says so as they come and go.
  void setClients(std::string_view face, int count);
  const std::map<std::string, int, std::less<>>& clients() const { return clients_; }

 signals:
  // The state document differs from what it was when this was last said.
  void documentChanged();

 private:
  void check();

  EventLog& log_;
  std::unique_ptr<AnyPort> ownPort_;  // when no port was passed
  PortOwner port_;
  StatePoller poller_;
  CommandDoor door_;
  StateDocument document_;
  std::map<std::string, int, std::less<>> clients_;
};

}  // namespace pv7100::daemon
