#include "serial/host_lookup.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace pv7100 {
namespace {

addrinfo hints(int flags) {
  addrinfo wanted{};
  wanted.ai_family = AF_UNSPEC;
  wanted.ai_socktype = SOCK_STREAM;
  wanted.ai_flags = flags;
  return wanted;
}

HostAddresses lookUp(const std::string& host, const std::string& port, int flags) {
  const addrinfo wanted = hints(flags);
  addrinfo* list = nullptr;
  const int error = ::getaddrinfo(host.c_str(), port.c_str(), &wanted, &list);
  return {AddressList(error == 0 ? list : nullptr), error};
}

// Shared by the waiting caller and the thread, whichever ends last.
struct PendingLookup {
  std::mutex mutex;
  std::condition_variable done;
  std::optional<HostAddresses> result;
};

}  // namespace

HostAddresses lookUpHost(const std::string& host, unsigned port,
                         std::chrono::steady_clock::time_point deadline) {
  const std::string service = std::to_string(port);
  // An address needs no look-up and no thread.
  HostAddresses numeric = lookUp(host, service, AI_NUMERICHOST | AI_NUMERICSERV);
  if (numeric.list) return numeric;
  auto pending = std::make_shared<PendingLookup>();
  std::thread([pending, host, service] {
    HostAddresses found = lookUp(host, service, AI_NUMERICSERV);
    const std::lock_guard lock(pending->mutex);
    pending->result = std::move(found);
    pending->done.notify_one();
  }).detach();
  std::unique_lock lock(pending->mutex);
  if (!pending->done.wait_until(lock, deadline, [&] { return pending->result.has_value(); }))
    return {};
  return std::move(*pending->result);
}

}  // namespace pv7100
