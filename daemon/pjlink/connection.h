// One PJLink client: its requests taken one at a time in the order sent, each answered with
// one write.
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
  // Requests a client may send ahead of their answers; beyond, the connection is closed.
  static constexpr std::size_t kMaxWaitingLines = 64;

  Connection(QTcpSocket* socket, PjlinkServer& server);
  ~Connection() override;

 private:
  void greet();
  void idleCheck();
  void readable();
  void pump();
  void take(LineCutter::Line line);
  bool authenticate(std::string& line);
  void consider(bool mayWait);
  void sendNext();
  void sent(std::uint64_t request, const CommandDoor::Result& result);
  void overdue();
  void answer(std::string_view result);
  void close(std::string_view why);

  QTcpSocket* socket_;
  PjlinkServer& server_;
  std::string peer_;
  std::string seed_;  // empty: no password asked
  bool authenticated_;
  LineCutter cutter_;
  std::chrono::steady_clock::time_point lastHeard_;
  QTimer idleTimer_;
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
