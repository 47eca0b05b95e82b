// PJLink requests as they come off a connection: bytes cut into lines at CR, and each line read
// as a header ("%1"), a command of four characters, a space and a parameter. Pure C++, so that
// a fuzzer can drive it.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace pv7100::daemon {

// The longest request, its CR included.
inline constexpr std::size_t kMaxRequestLength = 136;
// The MD5 digest in hexadecimal that leads a client's first line when a password is set.
inline constexpr std::size_t kDigestLength = 32;

// Cuts received bytes into lines. A line that grows beyond `maxLength` bytes without a CR comes
// out cut there and marked too long; the rest of it, up to the next CR, is dropped.
class LineCutter {
 public:
  struct Line {
    std::string text;  // without its CR
    bool tooLong = false;
  };

  explicit LineCutter(std::size_t maxLength) : maxLength_(maxLength) {}

  void add(std::string_view bytes);
  std::optional<Line> next();
  // Complete lines not yet taken.
  std::size_t lines() const { return complete_.size(); }

 private:
  std::size_t maxLength_;
  std::string partial_;
  std::deque<Line> complete_;
  bool skipping_ = false;
};

struct Request {
  char pjlinkClass = '1';
  std::string command;  // four characters, letters in upper case
  std::string parameter;

  // "%1POWR": what the reply starts with.
  std::string header() const { return std::string("%") + pjlinkClass + command; }
};

enum class RequestFault {
  none,
  noHeader,      // not "%", a class and four characters: nothing to answer to
  badParameter,  // a request with a parameter that cannot be one (ERR2)
};

struct ParsedRequest {
  Request request;  // header fields filled whenever the fault is not noHeader
  RequestFault fault = RequestFault::none;
};

// Reads one line without its CR. Bytes outside printable ASCII, a missing space after the
// command or an empty parameter are bad parameters.
ParsedRequest parseRequest(std::string_view line);

}  // namespace pv7100::daemon
