// The projector's sensors: four temperatures that follow the lamp and the fan, and the air
// pressure. Readings drift a little with time so that repeated reads differ.
#pragma once

#include <array>

#include "sim/sim_time.h"

namespace pv7100::sim {

inline constexpr int kThermometerCount = 4;

class Thermometers {
 public:
  Thermometers();

  // Lets `duration` pass with the lamp lit or dark and the fan at maximum or normal speed:
  // each temperature moves towards its target for that condition.
  void pass(Millis duration, bool lampLit, bool fanMax);

  // Sensor `index` (0 to 3) in degrees Celsius at time `now`, wobble included.
  double reading(int index, Millis now) const;

 private:
  std::array<double, kThermometerCount> celsius_;
};

// The raw air-pressure reading at time `now`: 853 (about 1013 hPa) give or take 2.
int pressureReading(Millis now);

}  // namespace pv7100::sim
