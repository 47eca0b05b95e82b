#include "app/form1.h"

namespace pv7100 {

Form1::Form1(SerialControl& comm, ui::Toolkit& toolkit)
    : MSComm1(comm),
      window_(toolkit.window()),
      Label11(toolkit.label("Label11")),
      Label12(toolkit.label("Label12")),
      Label22(toolkit.label("Label22")),
      PortNotice(toolkit.label("PortNotice")),
      Timer1(toolkit.timer("Timer1")),
      Timer2(toolkit.timer("Timer2")),
      Timer3(toolkit.timer("Timer3")),
      Timer4(toolkit.timer("Timer4")),
      Frame8(toolkit.frame("Frame8")),
      Option1(toolkit.option("Option1")),
      Command34(toolkit.button("Command34")),
      Text1(toolkit.textBox("Text1")) {}

// The notice line above the groups says what the panel could not do with its port, in every
// view of the window, without stopping the user: a held button may be failing every 5 ms.
void Form1::showNotice(const std::string& text) {
  if (PortNotice.caption() != text) PortNotice.setCaption(text);
}

void Form1::clearNotice() {
  if (!PortNotice.caption().empty()) PortNotice.setCaption("");
}

}  // namespace pv7100
