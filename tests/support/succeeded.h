#pragma once

#include <gtest/gtest.h>

#include "model/result.h"

namespace zr5::test {

// A Status or Result as a test assertion: a failure shows its message.
// ASSERT_TRUE(Succeeded(writer.finish(max, min)));
template <class S>::testing::AssertionResult Succeeded(const S& outcome) {
    if (outcome)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << outcome.error().toStdString();
}

} // namespace zr5::test
