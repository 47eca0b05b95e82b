#include "sim/sensors.h"

#include <cmath>
#include <numbers>

namespace pv7100::sim {
namespace {

constexpr double kAmbient = 25.0;
constexpr std::array<double, kThermometerCount> kLitNormalFan = {29.0, 38.0, 52.0, 44.0};
constexpr std::array<double, kThermometerCount> kLitMaxFan = {29.0, 34.0, 46.0, 40.0};
constexpr double kTimeConstantMs = 90'000.0;

constexpr double kWobbleCelsius = 0.2;
constexpr std::array<double, kThermometerCount> kWobblePeriodMs = {37'000.0, 53'000.0, 71'000.0,
                                                                   97'000.0};

constexpr double kPressureCentre = 853.0;
constexpr double kPressureSwing = 2.0;
constexpr double kPressurePeriodMs = 120'000.0;

double wave(Millis now, double periodMs) {
  return std::sin(2.0 * std::numbers::pi * static_cast<double>(now) / periodMs);
}

}  // namespace

Thermometers::Thermometers() {
  celsius_.fill(kAmbient);
}

void Thermometers::pass(Millis duration, bool lampLit, bool fanMax) {
  const double remaining = std::exp(-static_cast<double>(duration) / kTimeConstantMs);
  for (int i = 0; i < kThermometerCount; ++i) {
    const double target = !lampLit ? kAmbient : fanMax ? kLitMaxFan[i] : kLitNormalFan[i];
    celsius_[i] = target + (celsius_[i] - target) * remaining;
  }
}

double Thermometers::reading(int index, Millis now) const {
  return celsius_[index] + kWobbleCelsius * wave(now, kWobblePeriodMs[index]);
}

int pressureReading(Millis now) {
  return static_cast<int>(
      std::lround(kPressureCentre + kPressureSwing * wave(now, kPressurePeriodMs)));
}

}  // namespace pv7100::sim
