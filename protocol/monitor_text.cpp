#include "protocol/monitor_text.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace pv7100 {

namespace {

// A token in four bytes, of which `size` count.
struct Token {
  std::array<char, 4> text;
  std::uint8_t size;
};

constexpr Token tokenOf(unsigned code) {
  if (code == 6) return {{'A', 'C', 'K', ' '}, 4};
  if (code == 20) return {{'&'}, 1};
  if (code == 13) return {{'C', 'R', ' '}, 3};
  if (code == 10) return {{'L', 'F', ' '}, 3};
  if (code >= ' ' && code <= 'z') return {{static_cast<char>(code), ' '}, 2};
  return {{'?', ' '}, 2};
}

// Looked up rather than tested character by character: replies of thousands of characters
// are rendered again at every burst.
constexpr std::array<Token, 256> kTokens = [] {
  std::array<Token, 256> tokens{};
  for (unsigned code = 0; code < tokens.size(); ++code) tokens[code] = tokenOf(code);
  return tokens;
}();

}  // namespace

void appendMonitorTokens(std::string& monitor, std::string_view chars) {
  const std::size_t start = monitor.size();
  // Room for the longest token at every character; each token is copied whole, four bytes,
  // and the text then moves on by its size.
  monitor.resize(start + 4 * chars.size());
  char* out = monitor.data() + start;
  for (const char c : chars) {
    const Token& token = kTokens[static_cast<unsigned char>(c)];
    std::memcpy(out, token.text.data(), token.text.size());
    out += token.size;
  }
  monitor.resize(static_cast<std::size_t>(out - monitor.data()));
}

std::string renderMonitor(std::string_view line) {
  std::string monitor(1, ' ');
  appendMonitorTokens(monitor, line);
  return monitor;
}

}  // namespace pv7100
