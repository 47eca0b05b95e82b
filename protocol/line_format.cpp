#include "protocol/line_format.h"

namespace pv7100 {

std::string commandLine(std::string_view code) {
  std::string line;
  line.reserve(code.size() + 1);
  line.append(code);
  line.push_back(kCarriageReturn);
  return line;
}

}  // namespace pv7100
