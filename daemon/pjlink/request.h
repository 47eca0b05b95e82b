// PJLink requests as they come off a connection: bytes cut into lines, and each line read
// as a header ("%1"), a command of four characters, a space and a parameter. Pure C++, so that
// a fuzzer can drive it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "daemon/pjlink/bounds.h"

namespace pv7100::daemon {

// Cuts received bytes into lines. A line ends at CR, LF or CR LF. A line that grows beyond
// `maxLength` bytes without its end comes out cut there and marked too long; the rest of it, up
// to its end, is dropped.
class LineCutter {
 public:
  struct Line {
    std::string text;  // without its CR
    bool tooLong = false;
  };

  explicit LineCutter(std::size_t maxLength) : maxLength_(maxLength) {}

  // Takes bytes until `maxLines` complete lines wait, and says how many it took: the rest is
  // for a later call, once lines have been taken.
  std::size_t add(std::string_view bytes,
                  std::size_t maxLines = std::numeric_limits<std::size_t>::max());
  std::optional<Line> next();
  // Complete lines not yet taken.
  std::size_t lines() const { return complete_.size(); }
  // Whether a line has begun and not ended.
  bool pending() const { return !partial_.empty() || skipping_; }
  // Lines begun so far: a change says that a new one began.
  std::uint64_t begun() const { return begun_; }

 private:
  std::size_t maxLength_;
  std::string partial_;
  std::deque<Line> complete_;
  bool skipping_ = false;
  bool afterCr_ = false;  // an LF now is the second half of CR LF
  std::uint64_t begun_ = 0;
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
