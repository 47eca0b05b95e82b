// Summaries of measured samples.
#pragma once

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace pv7100::bench {

inline double mean(const std::vector<double>& samples) {
  if (samples.empty()) return NAN;
  return std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
}

// The nearest-rank percentile: the smallest sample that at least `p` percent of the samples
// do not exceed.
inline double percentile(std::vector<double> samples, double p) {
  if (samples.empty()) return NAN;
  std::sort(samples.begin(), samples.end());
  const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * samples.size()));
  return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

inline double median(const std::vector<double>& samples) {
  return percentile(samples, 50);
}

}  // namespace pv7100::bench
