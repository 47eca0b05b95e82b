// PJLink's datagrams on UDP: a controller's search read from the bytes that came, and what the
// projector sends (the answer to a search, the link-up, the notifications) written. Pure C++,
// so that a fuzzer can drive the reader.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pv7100::daemon {

// The bytes of a datagram read at most; a longer one is not a search.
inline constexpr std::size_t kMaxDatagram = 64;

// What came: a search ("%2SRCH" and its CR, the command in any case, CR LF or LF taken for the
// CR); what a projector sends ("%2" and a command, "=" and a value: an answer to a search, a
// link-up, a notification), which the daemons sharing the port hear from one another; or
// anything else. Only a search is answered: answering what cannot be read would let a forged
// sender address turn the daemon against a third party.
enum class DatagramKind { search, fromProjector, other };
DatagramKind readDatagram(std::string_view bytes);

// "%2" `command` "=" `value` and a CR: "%2ACKN=00:1a:2b:3c:4d:5e", "%2POWR=1".
std::string datagramText(std::string_view command, std::string_view value);

}  // namespace pv7100::daemon
