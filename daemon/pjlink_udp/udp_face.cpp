#include "daemon/pjlink_udp/udp_face.h"

#include <QNetworkInterface>

#include "daemon/pjlink_text/status_text.h"
#include "daemon/pjlink_udp/datagram.h"

namespace pv7100::daemon {
namespace {

using Clock = std::chrono::steady_clock;

// Datagrams taken in one turn of the event loop; the rest wait for the next.
constexpr int kDatagramsPerTurn = 64;
constexpr std::string_view kNoMac = "00:00:00:00:00:00";

// An IPv4 sender reached through a dual-stack socket as the IPv4 address it is.
QHostAddress plain(const QHostAddress& address) {
  bool v4 = false;
  const quint32 ipv4 = address.toIPv4Address(&v4);
  return v4 ? QHostAddress(ipv4) : address;
}

bool everywhere(const QHostAddress& address) {
  return address == QHostAddress::Any || address == QHostAddress::AnyIPv4 ||
         address == QHostAddress::AnyIPv6;
}

std::string macOf(const QNetworkInterface& interface) {
  const QString mac = interface.hardwareAddress().toLower();
  return mac.size() == static_cast<qsizetype>(kNoMac.size()) ? mac.toStdString()
                                                             : std::string(kNoMac);
}

// The interface that holds `address`, or an invalid one.
QNetworkInterface interfaceWith(const QHostAddress& address) {
  for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
    for (const QNetworkAddressEntry& entry : interface.addressEntries())
      if (entry.ip().isEqual(address)) return interface;
  }
  return {};
}

// The interface a daemon on every address names itself by: the first that is up, not loopback,
// with a MAC address.
QNetworkInterface mainInterface() {
  for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
    const auto flags = interface.flags();
    if (flags.testFlag(QNetworkInterface::IsUp) && !flags.testFlag(QNetworkInterface::IsLoopBack) &&
        macOf(interface) != kNoMac)
      return interface;
  }
  return {};
}

std::string peerOf(const QHostAddress& address, quint16 port) {
  const std::string text = plain(address).toString().toStdString();
  const bool v6 = text.find(':') != std::string::npos;
  return "udp " + (v6 ? "[" + text + "]" : text) + ":" + std::to_string(port);
}

}  // namespace

PjlinkUdpFace::PjlinkUdpFace(UdpSettings settings, Projector& projector)
    : settings_(std::move(settings)), projector_(projector), log_(projector.log()) {
  settings_.address = plain(settings_.address);
  connect(&socket_, &QUdpSocket::readyRead, this, [this] { receive(); });
  connect(&projector_, &Projector::documentChanged, this, [this] { stateChanged(); });
}

bool PjlinkUdpFace::listen(std::string& error) {
  const QHostAddress& address = settings_.address;
  if (!address.isLoopback() && !everywhere(address))
    listenInterface_ = interfaceWith(address).index();
  // A broadcast reaches only a socket on every address.
  const QHostAddress bound = address.protocol() == QAbstractSocket::IPv4Protocol
                                 ? QHostAddress::AnyIPv4
                                 : QHostAddress::Any;
  if (socket_.bind(bound, settings_.port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
    return true;
  error = socket_.errorString().toStdString();
  return false;
}

void PjlinkUdpFace::heard(const QHostAddress& controller) {
  controllers_.heard(plain(controller).toString().toStdString(), Clock::now());
}

void PjlinkUdpFace::receive() {
  for (int taken = 0; taken < kDatagramsPerTurn && socket_.hasPendingDatagrams(); ++taken) {
    const QNetworkDatagram datagram = socket_.receiveDatagram(kMaxDatagram + 1);
    if (!cameWhereListening(datagram)) continue;
    const QByteArray& bytes = datagram.data();
    const DatagramKind kind =
        readDatagram(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (kind == DatagramKind::search) answerSearch(datagram);
    if (kind != DatagramKind::other) continue;
    log_.counted("udp: not a search", 1,
                 [peer = peerOf(datagram.senderAddress(),
                                static_cast<quint16>(datagram.senderPort()))](long n) {
                   return n == 1 ? "ignored a datagram that is not a PJLink search, from " + peer
                                 : "ignored " + std::to_string(n) +
                                       " datagrams that are not PJLink searches, the last from " +
                                       peer;
                 });
  }
}

bool PjlinkUdpFace::cameWhereListening(const QNetworkDatagram& datagram) const {
  const QHostAddress& address = settings_.address;
  if (address.isLoopback()) return plain(datagram.senderAddress()).isLoopback();
  if (everywhere(address)) return true;
  if (listenInterface_ != 0) return static_cast<int>(datagram.interfaceIndex()) == listenInterface_;
  return plain(datagram.destinationAddress()).isEqual(address);
}

void PjlinkUdpFace::answerSearch(const QNetworkDatagram& datagram) {
  const auto now = Clock::now();
  if (now - second_ >= std::chrono::seconds(1)) {
    second_ = now;
    searchesThisSecond_ = 0;
  }
  const QHostAddress sender = plain(datagram.senderAddress());
  if (++searchesThisSecond_ > kSearchesPerSecond) {
    log_.counted("udp: searches beyond the rate", 1,
                 [peer = peerOf(sender, static_cast<quint16>(datagram.senderPort()))](long n) {
                   return "left " + std::to_string(n) + " search" + (n == 1 ? "" : "es") +
                          " unanswered beyond " + std::to_string(kSearchesPerSecond) +
                          " a second, the last from " + peer;
                 });
    return;
  }
  QNetworkInterface interface = QNetworkInterface::interfaceFromIndex(datagram.interfaceIndex());
  if (!interface.isValid()) interface = interfaceWith(plain(datagram.destinationAddress()));
  log_.pjlink(peerOf(sender, static_cast<quint16>(datagram.senderPort())), true, "%2SRCH");
  send(sender, datagramText("ACKN", macOf(interface)));
}

void PjlinkUdpFace::stateChanged() {
  const ProjectorState& state = projector_.poller().state();
  if (!linkedUp_ && projector_.port().answering() && projector_.poller().answered(Read::state))
    linkUp();
  std::array<std::optional<std::string>, toldCount> now;
  if (state.operating) {
    // Only the ends of a change of power are told: on, and standby.
    const Power power = state.operating->power;
    if (power == Power::on || power == Power::standby) now[Told::power] = powerCode(power);
    now[Told::errors] = errorCode(*state.operating);
  }
  now[Told::input] = inputCode(state);
  if (state.mutes) now[Told::mutes] = muteCode(*state.mutes);
  constexpr std::array<std::string_view, toldCount> kCommands = {"POWR", "INPT", "AVMT", "ERST"};
  const std::vector<std::string> controllers = controllers_.current(Clock::now());
  for (int kind = 0; kind < toldCount; ++kind) {
    if (!now[kind] || now[kind] == last_[kind]) continue;
    const bool change = last_[kind].has_value();
    last_[kind] = now[kind];
    if (!change) continue;
    const std::string text = datagramText(kCommands[kind], *now[kind]);
    for (const std::string& controller : controllers)
      send(QHostAddress(QString::fromStdString(controller)), text);
  }
}

// The link-up goes where the controllers that may want it are: this machine's own while the
// daemon listens on loopback, else the broadcast address of the interface listened on.
void PjlinkUdpFace::linkUp() {
  linkedUp_ = true;
  const QHostAddress& address = settings_.address;
  if (address.isLoopback()) {
    send(address, datagramText("LKUP", macOf(interfaceWith(address))));
    return;
  }
  if (everywhere(address)) {
    send(QHostAddress::Broadcast, datagramText("LKUP", macOf(mainInterface())));
    return;
  }
  const QNetworkInterface interface = interfaceWith(address);
  for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
    if (entry.ip().isEqual(address) && !entry.broadcast().isNull())
      send(entry.broadcast(), datagramText("LKUP", macOf(interface)));
  }
}

void PjlinkUdpFace::send(const QHostAddress& to, const std::string& text) {
  log_.pjlink(peerOf(to, settings_.controllerPort), false,
              std::string_view(text).substr(0, text.size() - 1));
  socket_.writeDatagram(text.data(), static_cast<qint64>(text.size()), to,
                        settings_.controllerPort);
}

}  // namespace pv7100::daemon
