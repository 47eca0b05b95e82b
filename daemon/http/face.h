// The web face of pv7100d: the remote page at /, the JSON API it uses (the state, the command
// list, a command by name with its outcome, a hold), its live state as server-sent events, and
// the metrics for Prometheus.
//
// A page's click happens now or never: a command asked with `Prefer: respond-async` is
// answered at once (202) with a ticket, and its outcome is had at /api/outcomes/TICKET once the
// projector has answered; so a page knows within a moment whether its click reached the
// daemon, and abandons what did not.
//
// A hold belongs to the client that started it: its start is answered with a token that no
// other client can guess, and only that token renews or releases it.
//
// Holds over a network that drops packets: a page's hold lasts kPageLease unless renewed; the
// page renews it every 100 ms while the button is held, so up to three renewals in a row may
// be lost, and a page that falls silent (the browser closed, the phone's Wi-Fi gone) stops the
// lens within kPageLease of its last renewal. A release ends it at once.
//
// Rules for a page that moves a projector: a request whose Host names neither an IP address nor
// one of the daemon's names is refused (DNS rebinding); what changes something is a POST, with
// the page's own Origin or, from a program that is no browser, none; with a password, each
// request carries it (HTTP Basic, never in the URL); an address that gave three wrong ones
// waits before its next is judged (the core's Guesses, as PJLink's), each told on standard
// error at most every 5 s. Every answer forbids loading anything from elsewhere
// (Content-Security-Policy).
//
// Bounds: 64 connections at once, 16 from one address, 32 KiB of memory each (the request line
// and headers must fit), a body of 4 KiB, 15 s idle (HttpLimits); kMaxStreams pages get the
// live state at once, each holding at most the newest state it has not read yet.
#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QObject>

#include "daemon/core/guesses.h"
#include "daemon/core/projector.h"
#include "daemon/http/request.h"
#include "daemon/http/server.h"

namespace pv7100::daemon {

struct WebSettings {
  HttpSettings server;
  std::string name = "PV7100";     // the projector's name, the page's heading
  std::string password;            // "" for none
  std::vector<std::string> names;  // names by which the daemon is reached, besides its address
};

class HttpFace : public QObject {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kPageLease{400};
  static constexpr int kMaxStreams = 32;
  // Holds that ended, kept to tell their outcome to a renewal or release that comes after.
  static constexpr std::size_t kEndedKept = 16;
  // Outcomes of commands answered at once, kept for their tickets; and how many such commands
  // may wait for the projector at once (they hold no connection while they wait).
  static constexpr std::size_t kOutcomesKept = 32;
  static constexpr std::size_t kMaxAwaited = 32;

  HttpFace(WebSettings settings, Projector& projector);

  bool listen(std::string& error);
  quint16 port() const { return server_.port(); }

 private:
  struct Held {
    std::string command;
    std::string token;
  };
  struct Ended {
    std::string command;
    std::string token;
    CommandDoor::Result result;
  };
  // A command answered at once: its outcome once known, and the requests that wait for it.
  struct Pending {
    std::string command;
    std::optional<CommandDoor::Result> result;
    std::vector<HttpReply> waiting;
  };

  void handle(const HttpRequest& request, const HttpReply& reply);
  void authorize(const HttpRequest& request, const HttpReply& reply);
  void serve(const Route& route, const HttpRequest& request, const HttpReply& reply);
  void runCommand(const std::string& name, const HttpRequest& request, const HttpReply& reply);
  void outcomeKnown(const std::string& ticket, const CommandDoor::Result& result);
  void tellOutcome(const std::string& ticket, const HttpReply& reply);
  void forgetOutcomes();
  void startHold(const HttpRequest& request, const HttpReply& reply);
  void renewHold(CommandDoor::HoldId id, const HttpRequest& request, const HttpReply& reply);
  void releaseHold(CommandDoor::HoldId id, const HttpRequest& request, const HttpReply& reply);
  std::optional<HttpResponse> notOwner(CommandDoor::HoldId id, const std::string& token) const;
  void holdEnded(CommandDoor::HoldId id, const CommandDoor::Result& result);
  void openStream(const HttpReply& reply);
  void pushState();
  void countStreams();
  HttpResponse response(int status, std::string body,
                        std::string contentType = "application/json") const;
  HttpResponse error(int status, std::string_view text) const;

  WebSettings settings_;
  HostRules hosts_;
  Projector& projector_;
  HttpServer server_;
  Guesses guesses_;
  std::map<std::string, std::pair<std::string, std::string>> assets_;  // name: type, bytes
  std::string commandList_;
  std::vector<HttpReply> streams_;
  std::map<CommandDoor::HoldId, Held> holds_;  // this face's holds
  std::map<CommandDoor::HoldId, Ended> ended_;
  std::map<std::string, Pending> outcomes_;  // by ticket
  std::deque<std::string> outcomeOrder_;     // the tickets, oldest first
  std::size_t awaited_ = 0;                  // outcomes not known yet
};

}  // namespace pv7100::daemon
