// Start-up, the port and speed switches, the port-settings frame and the end of the program.
#include <optional>

#include "app/form1.h"

namespace pv7100 {
namespace {

// Runs one step on the serial control; a failure's description replaces `failure`.
template <typename Step>
void attempt(std::optional<std::string>& failure, Step step) {
  try {
    step();
  } catch (const CommError& e) {
    failure = e.what();
  }
}

}  // namespace

void Form1::Form_Load() {
  PortSettings = "19200,N,8,1";
  // Centred on the design size; the compact window then stands above the middle.
  window_.setLeft((window_.screenWidth() - window_.width()) / 2);
  window_.setTop((window_.screenHeight() - window_.height()) / 2);
  window_.setHeight(kCompactHeight);
  HeldButton = nullptr;
  AwaitingReply = 0;
  ReplyBuffer.clear();
  // A port that does not open here is tried again, and reported, by the COM1 switch below.
  std::optional<std::string> reportedBySwitch;
  attempt(reportedBySwitch, [this] {
    MSComm1.CommPort(1);
    MSComm1.Settings(PortSettings);
    MSComm1.PortOpen(true);
  });
  Option1.select();
}

void Form1::Option1_Click() {
  portSwitch(1, 2);
}

void Form1::Option2_Click() {
  portSwitch(2, 1);
}

// The panel closes its port only on the way out, so a port that is closed here is one that
// failed to open or went away: the switch opens the chosen port in any case, and a choice is
// how the user brings a lost or mistaken port back.
void Form1::portSwitch(std::int16_t target, std::int16_t fallback) {
  std::optional<std::string> failure;
  if (MSComm1.PortOpen()) attempt(failure, [this] { MSComm1.PortOpen(false); });
  attempt(failure, [this, target] { MSComm1.CommPort(target); });
  if (!failure) attempt(failure, [this] { MSComm1.PortOpen(true); });
  if (failure) {
    window_.messageBox(*failure);
    std::optional<std::string> ignored;  // the box has said what went wrong
    attempt(ignored, [this, fallback] { MSComm1.CommPort(fallback); });
    return;
  }
  clearNotice();
  Frame8.setVisible(false);
}

void Form1::Option9_Click() {
  speedSwitch("19200,N,8,1");
}

void Form1::Option10_Click() {
  speedSwitch("9600,N,8,1");
}

void Form1::speedSwitch(const char* settings) {
  PortSettings = settings;
  std::optional<std::string> failure;
  attempt(failure, [this] { MSComm1.Settings(PortSettings); });
  if (failure) window_.messageBox(*failure);
  Frame8.setVisible(false);
}

void Form1::Command33_Click() {
  Frame8.setVisible(true);
  Timer3.setEnabled(true);
}

void Form1::Timer3_Timer() {
  Frame8.setVisible(false);
  Timer3.setEnabled(false);
}

void Form1::Command16_Click() {
  std::optional<std::string> ignored;  // the program ends either way
  attempt(ignored, [this] { MSComm1.PortOpen(false); });
  window_.unload();
}

void Form1::MSComm1_OnPortLost(const std::string& description) {
  showNotice(description);
  window_.messageBox(description);
}

}  // namespace pv7100
