// The manual command line: "SEND" sends what the box holds, "CLS" empties it.
#include "app/form1.h"
#include "protocol/line_format.h"

namespace pv7100 {

// The box's text goes out exactly as typed, in UTF-8: ASCII as one byte a character, and a
// character outside ASCII as its UTF-8 bytes, each shown as "? " on the TXD line.
void Form1::Command95_Click() {
  Timer2.setInterval(2000);
  Timer4.setInterval(2500);
  CommandLine = commandLine(Text1.text());
  Hyouji(CommandLine, kSend);
}

void Form1::Command96_Click() {
  Text1.setText("");
}

}  // namespace pv7100
