#include "daemon/share/line_client.h"

#include <QPointer>

#include "daemon/share/line_server.h"
#include "protocol/line_format.h"

namespace pv7100::daemon {

LineClient::LineClient(QLocalSocket* socket, LineServer& server, int number)
    : QObject(&server),
      socket_(socket),
      server_(server),
      name_("socket client " + std::to_string(number)) {
  socket_->setParent(this);
  // Bytes beyond a line and a half stay in the client's socket, so that a client that writes
  // faster than the projector answers sees its own output waiting, as on a device.
  socket_->setReadBufferSize(static_cast<qint64>(kMaxLineBytes));
  server_.projector_.setClients("socket", ++server_.clients_);
  connect(socket_, &QLocalSocket::readyRead, this, [this] { readable(); });
  connect(socket_, &QLocalSocket::disconnected, this, [this] {
    server_.log_.event(name_ + " left");
    deleteLater();
  });
  server_.log_.event(name_ + " connected");
}

LineClient::~LineClient() {
  for (const PortOwner::Ticket ticket : tickets_) server_.projector_.commands().cancel(ticket);
  server_.projector_.setClients("socket", --server_.clients_);
}

// Whole lines only go to the port: a half line waits here, costing the others nothing.
void LineClient::readable() {
  char byte = 0;
  while (!closing_ && std::ssize(tickets_) < kMaxQueuedLines && socket_->getChar(&byte)) {
    if (byte == kCarriageReturn) {
      send(std::exchange(partial_, {}));
    } else if (partial_.size() < kMaxLineBytes) {
      partial_ += byte;
    } else {
      close("a line longer than " + std::to_string(kMaxLineBytes) + " bytes");
    }
  }
}

void LineClient::send(std::string code) {
  tickets_.push_back(server_.projector_.commands().passLine(
      std::move(code), [self = QPointer(this)](const PortOwner::Result& result) {
        if (self) self->answered(result);
      }));
}

// One client's lines are answered in the order it sent them.
void LineClient::answered(const PortOwner::Result& result) {
  tickets_.pop_front();
  if (result.outcome == PortOwner::Outcome::replied && !closing_) {
    socket_->write(result.reply.data(), static_cast<qint64>(result.reply.size()));
    socket_->flush();
  }
  readable();
}

void LineClient::close(const std::string& why) {
  closing_ = true;
  server_.log_.event("closed the connection of " + name_ + ": " + why);
  socket_->disconnectFromServer();
}

}  // namespace pv7100::daemon
