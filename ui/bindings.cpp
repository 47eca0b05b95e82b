#include "ui/bindings.h"

#include <array>
#include <string_view>

#include "protocol/commands.h"

namespace pv7100::ui {
namespace {

struct Binding {
  std::string_view control;
  void (Form1::*handler)();
};

// The buttons whose click is not a catalogue command.
constexpr std::array kClicks = std::to_array<Binding>({
    {"Command3", &Form1::Command3_Click},
    {"Command16", &Form1::Command16_Click},
    {"Command33", &Form1::Command33_Click},
    {"Command34", &Form1::Command34_Click},
    {"Command95", &Form1::Command95_Click},
    {"Command96", &Form1::Command96_Click},
});

constexpr std::array kOptions = std::to_array<Binding>({
    {"Option1", &Form1::Option1_Click},
    {"Option2", &Form1::Option2_Click},
    {"Option9", &Form1::Option9_Click},
    {"Option10", &Form1::Option10_Click},
});

constexpr std::array kTimers = std::to_array<Binding>({
    {"Timer1", &Form1::Timer1_Timer},
    {"Timer2", &Form1::Timer2_Timer},
    {"Timer3", &Form1::Timer3_Timer},
    {"Timer4", &Form1::Timer4_Timer},
});

}  // namespace

void bindHandlers(Form1& form, Toolkit& toolkit, SerialControl& comm) {
  for (const OneShotCommand& row : oneShotCommands()) {
    toolkit.button(row.control).onClick([&form, &row] { form.OneShot_Click(row); });
  }
  for (const RepeatCommand& row : repeatCommands()) {
    Button& button = toolkit.button(row.control);
    button.onPress([&form, &row] { form.Repeat_MouseDown(row); });
    button.onRelease([&form, &row] { form.Repeat_MouseUp(row); });
  }
  for (const Binding& b : kClicks) {
    toolkit.button(b.control).onClick([&form, h = b.handler] { (form.*h)(); });
  }
  for (const Binding& b : kOptions) {
    toolkit.option(b.control).onClick([&form, h = b.handler] { (form.*h)(); });
  }
  for (const Binding& b : kTimers) {
    toolkit.timer(b.control).onTick([&form, h = b.handler] { (form.*h)(); });
  }
  toolkit.picture("Image1").onDoubleClick([&form] { form.Image1_DblClick(); });
  Window& window = toolkit.window();
  window.onKeyDown(
      [&form](std::int16_t key, std::int16_t shift) { form.Form_KeyDown(key, shift); });
  window.onDeactivate([&form] { form.Form_Deactivate(); });
  comm.OnComm([&form] { form.MSComm1_OnComm(); });
  comm.OnPortLost(
      [&form](const std::string& description) { form.MSComm1_OnPortLost(description); });
}

}  // namespace pv7100::ui
