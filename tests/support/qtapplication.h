#pragma once

// One QApplication on the offscreen platform for every test of a widget test program.

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace zr5::test {

// The QApplication lives from before the first test to after the last, and is gone before the
// program's static objects are destroyed.
class QtApplicationEnvironment final : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "zr5-window-test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

// Google Test owns the environment.
inline ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace zr5::test
