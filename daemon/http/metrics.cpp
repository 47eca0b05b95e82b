#include "daemon/http/metrics.h"

#include <charconv>

namespace pv7100::daemon {
namespace {

class Page {
 public:
  // Starts the metric `name` with its help and type.
  Page& metric(std::string_view name, std::string_view type, std::string_view help) {
    name_ = name;
    text_ += "# HELP " + name_ + " " + std::string(help) + "\n# TYPE " + name_ + " " +
             std::string(type) + "\n";
    return *this;
  }
  Page& sample(double value, std::string_view labels = {}) {
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text_ += name_ + (labels.empty() ? "" : "{" + std::string(labels) + "}") + " " +
             std::string(digits, end) + "\n";
    return *this;
  }
  template <typename Value>
  Page& known(const std::optional<Value>& value, double scale = 1) {
    if (value) sample(static_cast<double>(*value) * scale);
    return *this;
  }
  std::string text() const { return text_; }

 private:
  std::string name_;
  std::string text_;
};

std::string label(std::string_view name, std::string_view value) {
  return std::string(name) + "=\"" + std::string(value) + "\"";
}

}  // namespace

std::string metricsText(const StateDocument& document, const PortOwner::Counters& counters,
                        const std::map<std::string, int, std::less<>>& clients) {
  Page page;
  page.metric("pv7100_up", "gauge", "1 while the projector's port is open and it answers.")
      .sample(document.answering ? 1 : 0);
  page.metric("pv7100_power_state", "gauge",
              "The operating state: 1 for the state the projector is in, 0 for the others.");
  if (document.power) {
    for (const Power power : {Power::standby, Power::countingDown, Power::on, Power::coolingDown})
      page.sample(*document.power == power ? 1 : 0, label("state", powerWord(power)));
  }
  page.metric("pv7100_lamp_on_seconds_total", "counter",
              "The lamp's time on, as the projector counts it in whole hours.")
      .known(document.lampHours, 3600);
  page.metric("pv7100_temperature_celsius", "gauge", "Each temperature sensor, S1 to S4.");
  if (document.temperatures) {
    for (std::size_t i = 0; i < kSensorNames.size(); ++i)
      page.sample(document.temperatures->celsius[i], label("sensor", kSensorNames[i]));
  }
  page.metric("pv7100_air_pressure_pascals", "gauge", "The air pressure the projector measures.")
      .known(document.pressureHpa, 100);
  page.metric("pv7100_temperature_warning", "gauge", "1 while the projector warns of heat.")
      .known(document.temperatureWarning);
  page.metric("pv7100_lamp_failure", "gauge", "1 while every lamp has failed.")
      .known(document.lampFailure);
  page.metric("pv7100_power_failure", "gauge", "1 while the power supply reports a failure.")
      .known(document.powerFailure);
  page.metric("pv7100_picture_mute", "gauge", "1 while the picture is muted (NO SHOW).")
      .known(document.pictureMute);
  page.metric("pv7100_sound_mute", "gauge", "1 while the sound is muted.")
      .known(document.soundMute);
  page.metric("pv7100_exchanges_total", "counter", "Lines sent to the projector.")
      .sample(static_cast<double>(counters.exchanges));
  page.metric("pv7100_reply_timeouts_total", "counter",
              "Lines the projector did not answer in time.")
      .sample(static_cast<double>(counters.timeouts));
  page.metric("pv7100_late_replies_dropped_total", "counter",
              "Replies that came late or unasked, dropped.")
      .sample(static_cast<double>(counters.lateReplies));
  page.metric("pv7100_reply_bytes_dropped_total", "counter", "Bytes of over-long replies, dropped.")
      .sample(static_cast<double>(counters.droppedBytes));
  page.metric("pv7100_clients", "gauge",
              "Clients of each face now: PJLink connections, local socket clients, open pages.");
  for (const auto& [face, count] : clients) page.sample(count, label("face", face));
  return page.text();
}

}  // namespace pv7100::daemon
