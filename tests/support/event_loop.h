// Waiting in tests of the Qt side: Qt's event loop runs while the test waits, never longer
// than the time given.
#pragma once

#include <chrono>
#include <functional>

namespace pv7100::testing {

using namespace std::chrono_literals;

// Runs Qt's event loop until `done` or until `timeout` has passed; true when done.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 3000ms);
// Lets Qt's event loop handle what is pending, for a few milliseconds at most; what a Pty
// runs while it waits.
void letQtRun();

}  // namespace pv7100::testing
