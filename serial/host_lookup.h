// A host's addresses for a TCP connection, found within a time limit: the system's look-up
// has none of its own, so a name is looked up on a thread of its own that is left to finish
// alone when the time is up.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include <netdb.h>

namespace pv7100 {

struct AddressListFree {
  void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListFree>;

struct HostAddresses {
  AddressList list;  // empty when the look-up failed or took too long
  int error = 0;     // getaddrinfo()'s code when it failed; 0 with no list: too long
};

// The stream addresses of `host` (a name, or an IPv4 or IPv6 address) at `port`.
HostAddresses lookUpHost(const std::string& host, unsigned port,
                         std::chrono::steady_clock::time_point deadline);

}  // namespace pv7100
