#include "panel/panel.h"

#include <memory>

namespace pv7100 {

Panel::Panel(SerialPort& port, ui::Toolkit& toolkit, PortDevices devices, PortTroubleTexts texts)
    : port_(port),
      toolkit_(toolkit),
      portLink_(port, toolkit, std::move(devices), std::move(texts)),
      exchange_(portLink_, toolkit),
      pad_(exchange_, portLink_, toolkit),
      views_(exchange_, toolkit) {
  bind();
}

void Panel::reset() {
  PortDevices devices = portLink_.devices();
  PortTroubleTexts texts = portLink_.texts();
  std::destroy_at(&views_);
  std::destroy_at(&pad_);
  std::destroy_at(&exchange_);
  std::destroy_at(&portLink_);
  std::construct_at(&portLink_, port_, toolkit_, std::move(devices), std::move(texts));
  std::construct_at(&exchange_, portLink_, toolkit_);
  std::construct_at(&pad_, exchange_, portLink_, toolkit_);
  std::construct_at(&views_, exchange_, toolkit_);
}

void Panel::start() {
  views_.place();
  portLink_.start();
}

void Panel::bind() {
  using ui::ButtonRole, ui::OptionRole, ui::TimerRole;
  for (const Command& command : commands()) {
    ui::Button& button = toolkit_.commandButton(command.name);
    if (command.kind == CommandKind::oneShot) {
      button.onClick([this, &command] { pad_.click(command); });
    } else {
      button.onPress([this, &command] { pad_.press(command); });
      button.onRelease([this, &command] { pad_.release(command); });
    }
  }
  toolkit_.button(ButtonRole::com).onClick([this] { portLink_.showPortFrame(); });
  toolkit_.button(ButtonRole::end).onClick([this] { portLink_.end(); });
  toolkit_.button(ButtonRole::dataToggle).onClick([this] { views_.toggleData(); });
  toolkit_.button(ButtonRole::sendLine).onClick([this] { views_.sendManualLine(); });
  toolkit_.button(ButtonRole::clearLine).onClick([this] { views_.clearManualLine(); });
  toolkit_.option(OptionRole::com1).onClick([this] { portLink_.choosePort(1); });
  toolkit_.option(OptionRole::com2).onClick([this] { portLink_.choosePort(2); });
  toolkit_.option(OptionRole::baud19200).onClick([this] { portLink_.chooseSpeed(19200); });
  toolkit_.option(OptionRole::baud9600).onClick([this] { portLink_.chooseSpeed(9600); });
  toolkit_.timer(TimerRole::repeat).onTick([this] { pad_.repeat(); });
  toolkit_.timer(TimerRole::replyWindow).onTick([this] { exchange_.closeReplyWindow(); });
  toolkit_.timer(TimerRole::portFrame).onTick([this] { portLink_.hidePortFrame(); });
  toolkit_.timer(TimerRole::displayClear).onTick([this] { exchange_.clearDisplay(); });
  toolkit_.picture().onDoubleClick([this] { views_.pictureDoubleClicked(); });
  ui::Window& window = toolkit_.window();
  window.onKeyDown([this](std::int16_t key, std::int16_t shift) { views_.keyDown(key, shift); });
  window.onDeactivate([this] { pad_.windowLost(); });
  port_.onReceived([this](std::string_view bytes) { exchange_.received(bytes); });
  port_.onLost([this](const PortError& error) { portLink_.portLost(error); });
}

}  // namespace pv7100
