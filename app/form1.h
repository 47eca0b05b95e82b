// Form1: the panel's one window, its form state and its handlers.
//
// The handlers are defined in the folders of their subsystems: the serial link in app/, the
// protocol engine in protocol/, the command panel in panel/. They reach the world only through
// the serial control `MSComm1` and the toolkit, and never let an error escape.
#pragma once

#include <cstdint>
#include <string>

#include "app/serial_control.h"
#include "protocol/reply_text.h"
#include "ui/toolkit.h"

namespace pv7100 {

struct OneShotCommand;
struct RepeatCommand;

// Hyouji's modes.
inline constexpr std::uint8_t kSend = 1;
inline constexpr std::uint8_t kReceive = 2;

// Outer window heights, in twips.
inline constexpr double kCompactHeight = 5350;
inline constexpr double kDataHeight = 6645;
inline constexpr double kUnlockedHeight = 7200;
inline constexpr double kFullHeight = 9100;

class Form1 {
 public:
  Form1(SerialControl& comm, ui::Toolkit& toolkit);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Form state.
  std::string CommandLine;  // the last command line sent
  ReplyText ReplyBuffer;    // received since last emptied
  std::uint8_t AwaitingReply = 0;
  const RepeatCommand* HeldButton = nullptr;  // the hold-to-repeat button held down
  std::uint8_t ArrowMode = 0;
  std::int16_t ExtendedUnlocked = 0;
  std::string PortSettings;
  std::int16_t PressureValue = 0;

  // Serial link.
  void Form_Load();
  void Option1_Click();
  void Option2_Click();
  void Option9_Click();
  void Option10_Click();
  void Command33_Click();
  void Timer3_Timer();
  void Command16_Click();
  void MSComm1_OnPortLost(const std::string& description);

  // Protocol engine. Mode 1 sends `line`; any other mode shows `line`, a reply already
  // rendered for the monitor (ReplyBuffer renders as it grows), and decodes it.
  void Hyouji(const std::string& line, std::uint8_t mode);
  void MSComm1_OnComm();
  void Timer2_Timer();
  void Timer4_Timer();

  // Command panel.
  void OneShot_Click(const OneShotCommand& row);
  void Repeat_MouseDown(const RepeatCommand& row);
  void Repeat_MouseUp(const RepeatCommand& row);
  void Timer1_Timer();
  void Form_Deactivate();
  void Command95_Click();
  void Command96_Click();
  void Form_KeyDown(std::int16_t keyCode, std::int16_t shift);
  void Image1_DblClick();
  void Command34_Click();
  void Command3_Click();

 private:
  void portSwitch(std::int16_t target, std::int16_t fallback);
  void speedSwitch(const char* settings);
  void output(const std::string& line);
  void showNotice(const std::string& text);
  void clearNotice();

  SerialControl& MSComm1;
  ui::Window& window_;
  ui::Label& Label11;
  ui::Label& Label12;
  ui::Label& Label22;
  ui::Label& PortNotice;
  ui::Timer& Timer1;
  ui::Timer& Timer2;
  ui::Timer& Timer3;
  ui::Timer& Timer4;
  ui::Frame& Frame8;
  ui::OptionButton& Option1;
  ui::Button& Command34;
  ui::TextBox& Text1;
};

}  // namespace pv7100
