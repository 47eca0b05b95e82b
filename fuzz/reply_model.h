// The fuzzers' model of the reply: what arrived since the reply began, up to the capacity the
// panel keeps, and its monitor rendering, which the RXD line must show.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "protocol/monitor_text.h"
#include "protocol/reply_text.h"

namespace pv7100::fuzz {

class ReplyModel {
 public:
  // The reply grows by `chars` up to its capacity, and its rendering with it, piece by piece as
  // the panel renders it: rendering the whole reply at each receive would cost the fuzzers most
  // of their time on long replies.
  void grow(std::string_view chars) {
    const std::string_view kept =
        chars.substr(0, ReplyText::kCapacity - std::min(reply_.size(), ReplyText::kCapacity));
    reply_.append(kept);
    appendMonitorTokens(rendered_, kept);
  }
  void empty() {
    reply_.clear();
    rendered_ = " ";
  }
  const std::string& rendered() const { return rendered_; }

 private:
  std::string reply_;
  std::string rendered_ = " ";
};

}  // namespace pv7100::fuzz
