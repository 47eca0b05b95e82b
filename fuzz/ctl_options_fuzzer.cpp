// pv7100ctl's command line on arbitrary arguments (the input split at NUL bytes): every
// command line is either refused with a one-line reason or names something that can be done,
// and a code that send accepts is one line of bounded length.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ctl/messages.h"
#include "ctl/options.h"
#include "ctl/usage.h"
#include "fuzz/require.h"
#include "protocol/commands.h"
#include "protocol/status_reads.h"

namespace {

using namespace pv7100;
using namespace pv7100::ctl;
using pv7100::fuzz::require;

std::vector<std::string> argumentsOf(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }
  return args;
}

bool oneLine(const std::string& text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) return false;
  }
  return !text.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Options options;
  try {
    options = parseOptions(argumentsOf(data, size), nullptr);
    if (options.help || options.version) return 0;
    checkWords(options);
  } catch (const UsageError& error) {
    require(oneLine(escaped(error.what())), "a refusal is one printable line");
    return 0;
  }
  const std::string& verb = options.words.at(0);
  require(!options.port.empty(), "a port is always named");
  require(options.timeoutMs >= 1, "the time-out is positive");
  require(verb == "list" || verb == "send" || verb == "status" || verb == "wait" ||
              verb == "probe" || commandNamed(verb),
          "an accepted command is known");
  if (verb == "send") {
    const std::string code = sentCode(options);
    require(oneLine(code) && code.size() <= kMaxCodeLength, "a sent code is one bounded line");
  }
  if (verb == "status") {
    for (std::size_t i = 1; i < options.words.size(); ++i)
      require(statusReadNamed(options.words[i]) != nullptr, "every status read is known");
  }
  if (options.holdMs)
    require(commandNamed(verb) && commandNamed(verb)->kind == CommandKind::repeat,
            "only a hold-to-repeat command is held");
  return 0;
}
