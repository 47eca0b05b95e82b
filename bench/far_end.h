// The far end of the panel's line on the master side of a pseudo-terminal: a thread of its own
// that stamps every command line as it comes in (CLOCK_MONOTONIC) and, like the projector,
// answers each with ACK.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pv7100::bench {

struct StampedLine {
  std::string text;        // the line with its CR
  std::int64_t firstByte;  // when the read that brought its first byte returned
  std::int64_t end;        // when the read that brought its CR returned
};

class FarEnd {
 public:
  explicit FarEnd(int masterFd);
  ~FarEnd();
  FarEnd(const FarEnd&) = delete;
  FarEnd& operator=(const FarEnd&) = delete;

  // Every line received so far, in order.
  std::vector<StampedLine> lines() const;

 private:
  void run();

  int master_;
  int stop_;  // an eventfd that ends the thread
  mutable std::mutex mutex_;
  std::vector<StampedLine> lines_;
  std::thread thread_;
};

}  // namespace pv7100::bench
