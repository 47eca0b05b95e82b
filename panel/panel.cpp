#include "panel/panel.h"

namespace pv7100 {

Panel::Panel(SerialPort& port, ui::Toolkit& toolkit, PortDevices devices, PortTroubleTexts texts)
    : portLink_(port, toolkit, std::move(devices), std::move(texts)),
      exchange_(portLink_, toolkit),
      pad_(exchange_, portLink_, toolkit),
      views_(exchange_, toolkit) {
  bind(port, toolkit);
}

void Panel::start() {
  views_.place();
  portLink_.start();
}

void Panel::bind(SerialPort& port, ui::Toolkit& toolkit) {
  using ui::ButtonRole, ui::OptionRole, ui::TimerRole;
  for (const Command& command : commands()) {
    ui::Button& button = toolkit.commandButton(command.name);
    if (command.kind == CommandKind::oneShot) {
      button.onClick([this, &command] { pad_.click(command); });
    } else {
      button.onPress([this, &command] { pad_.press(command); });
      button.onRelease([this, &command] { pad_.release(command); });
    }
  }
  toolkit.button(ButtonRole::com).onClick([this] { portLink_.showPortFrame(); });
  toolkit.button(ButtonRole::end).onClick([this] { portLink_.end(); });
  toolkit.button(ButtonRole::dataToggle).onClick([this] { views_.toggleData(); });
  toolkit.button(ButtonRole::sendLine).onClick([this] { views_.sendManualLine(); });
  toolkit.button(ButtonRole::clearLine).onClick([this] { views_.clearManualLine(); });
  toolkit.option(OptionRole::com1).onClick([this] { portLink_.choosePort(1); });
  toolkit.option(OptionRole::com2).onClick([this] { portLink_.choosePort(2); });
  toolkit.option(OptionRole::baud19200).onClick([this] { portLink_.chooseSpeed(19200); });
  toolkit.option(OptionRole::baud9600).onClick([this] { portLink_.chooseSpeed(9600); });
  toolkit.timer(TimerRole::repeat).onTick([this] { pad_.repeat(); });
  toolkit.timer(TimerRole::replyWindow).onTick([this] { exchange_.closeReplyWindow(); });
  toolkit.timer(TimerRole::portFrame).onTick([this] { portLink_.hidePortFrame(); });
  toolkit.timer(TimerRole::displayClear).onTick([this] { exchange_.clearDisplay(); });
  toolkit.picture().onDoubleClick([this] { views_.pictureDoubleClicked(); });
  ui::Window& window = toolkit.window();
  window.onKeyDown([this](std::int16_t key, std::int16_t shift) { views_.keyDown(key, shift); });
  window.onDeactivate([this] { pad_.windowLost(); });
  port.onReceived([this](std::string_view bytes) { exchange_.received(bytes); });
  port.onLost([this](const PortError& error) { portLink_.portLost(error); });
}

}  // namespace pv7100
