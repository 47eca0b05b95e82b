#include "tests/support/event_loop.h"

#include <QTest>

namespace pv7100::testing {

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
}

}  // namespace pv7100::testing
