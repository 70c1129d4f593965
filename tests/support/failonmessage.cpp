// Linked into every test program: a message box that a test did not expect fails that test.

#include <gtest/gtest.h>

#include "support/fakeservices.h"

namespace {

const bool kInstalled = [] {
    zr5::test::FakeMessages::onUnexpected() = [](const zr5::test::ShownMessage& m) {
        ADD_FAILURE() << "unexpected " << (m.isQuestion ? "question" : "message") << " \""
                      << m.title.toStdString() << "\": " << m.text.toStdString();
    };
    return true;
}();

} // namespace
