// The projector as PJLink Class 2 on UDP: a controller's search answered with "%2ACKN=" and the
// MAC address of the interface it came in on; "%2LKUP=" once the projector first answers; and
// a notification ("%2POWR=", "%2INPT=", "%2AVMT=", "%2ERST=") to each controller for every
// change of the power (on or standby), the input, the mutes or the error status, whichever
// face or read saw it.
//
// The socket takes datagrams on every IPv4 address, so that a broadcast search reaches it
// (several daemons on one machine share the port), and answers only those that came where the
// PJLink face listens: from loopback while it listens on loopback, on the interface of its
// address, or anywhere while it listens on every address. What a flood costs is bounded: 64
// datagrams read a turn, kMaxDatagram bytes of each, kSearchesPerSecond searches answered a
// second, the rest dropped and told in one counted line; notifications go to kMaxControllers.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QObject>
#include <QUdpSocket>

#include "daemon/core/projector.h"
#include "daemon/pjlink_udp/controllers.h"

namespace pv7100::daemon {

struct UdpSettings {
  QHostAddress address = QHostAddress::LocalHost;  // where the PJLink face listens
  quint16 port = 4352;                             // where searches come in
  quint16 controllerPort = 4352;                   // where answers and notifications go
};

class PjlinkUdpFace : public QObject {
  Q_OBJECT

 public:
  static constexpr int kSearchesPerSecond = 4;

  PjlinkUdpFace(UdpSettings settings, Projector& projector);

  // Binds the port; false with `error` set when it cannot be had.
  bool listen(std::string& error);
  // A controller sent the PJLink face a request: it is told of the changes from now on.
  void heard(const QHostAddress& controller);

 private:
  enum Told { power, input, mutes, errors, toldCount };

  void receive();
  bool cameWhereListening(const QNetworkDatagram& datagram) const;
  void answerSearch(const QNetworkDatagram& datagram);
  void stateChanged();
  void linkUp();
  void send(const QHostAddress& to, const std::string& text);

  UdpSettings settings_;
  Projector& projector_;
  EventLog& log_;
  QUdpSocket socket_;
  int listenInterface_ = 0;  // the index of the interface of the address listened on, or 0
  Controllers controllers_;
  bool linkedUp_ = false;
  // What each kind last was, told or not: a change is told once, and a value that comes back
  // after it was unknown is no change.
  std::array<std::optional<std::string>, toldCount> last_;
  std::chrono::steady_clock::time_point second_{};
  int searchesThisSecond_ = 0;
};

}  // namespace pv7100::daemon
