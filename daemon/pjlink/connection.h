// One PJLink client: its requests taken one at a time in the order sent, each answered with
// one write. Reading stops while kMaxWaitingLines requests wait or a reply waits to be sent, so
// that a client which writes faster than it reads finds its requests waiting in its own socket.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include "daemon/core/command_door.h"
#include "daemon/pjlink/answers.h"
#include "daemon/pjlink/request.h"

namespace pv7100::daemon {

class PjlinkServer;

class Connection : public QObject {
  Q_OBJECT

 public:
  Connection(QTcpSocket* socket, PjlinkServer& server);
  ~Connection() override;

 private:
  void greet();
  void idleCheck();
  void pump();
  bool read();
  void take(LineCutter::Line line);
  void judge();
  void handle(LineCutter::Line line);
  void consider(bool mayWait);
  void sendNext();
  void sent(std::uint64_t request, const CommandDoor::Result& result);
  void overdue();
  void answer(std::string_view result);
  void close(std::string_view why);
  // Closes without a line on standard error, for what is told otherwise.
  void end();

  QTcpSocket* socket_;
  PjlinkServer& server_;
  std::string address_;  // the client's address, whose network's wrong passwords are counted
  std::string peer_;     // its address and port, for the logs
  std::string seed_;     // empty: no password asked
  std::string digest_;   // what leads the first line, and may lead the others
  bool authenticated_;
  LineCutter cutter_;
  std::chrono::steady_clock::time_point lastHeard_;
  QTimer idleTimer_;
  // Runs from a request's first byte to its end, while the daemon reads.
  QTimer requestTimer_;
  // The first line, led by a digest, until its address may try again.
  std::optional<LineCutter::Line> trying_;
  QTimer tryTimer_;
  // Runs only while a request waits for a read or for the projector.
  QTimer answerTimer_;
  bool pumping_ = false;
  bool closing_ = false;
  // The request in hand, and what it still has to send.
  std::optional<Request> request_;
  std::uint64_t requestNumber_ = 0;
  std::chrono::steady_clock::time_point started_;
  Decision plan_;
  std::optional<CommandDoor::Ticket> ticket_;
};

}  // namespace pv7100::daemon
