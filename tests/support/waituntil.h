#pragma once

#include <QDeadlineTimer>
#include <QTest>

namespace zr5::test {

// Lets the event loop run until the condition holds or the time-out passes (what QTRY_VERIFY
// does, with a result instead of a QtTest failure).
template <class Condition> bool waitUntil(Condition condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(2);
    }
    return true;
}

} // namespace zr5::test
