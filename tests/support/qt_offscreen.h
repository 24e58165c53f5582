#pragma once
// Qt dialog tests of a test program: the Qt application started once for the
// whole program on the offscreen platform, and where screenshots go
// (<build>/screenshots/, QUILL_BINARY_DIR set by the test target).

#include "ui/qt_app.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace testsupport {

class QtOffscreenEnvironment final : public ::testing::Environment {
public:
    explicit QtOffscreenEnvironment(std::string programName) : name_(std::move(programName)) {}

    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        argv_[0] = name_.data();
        app_ = std::make_unique<ui::qt::Application>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    std::string name_;
    int argc_ = 1;
    char* argv_[2] = {nullptr, nullptr};
    std::unique_ptr<ui::qt::Application> app_;
};

#ifdef QUILL_BINARY_DIR
inline std::string ScreenshotPath(const std::string& name) {
    return std::string(QUILL_BINARY_DIR) + "/screenshots/" + name + ".png";
}
#endif

} // namespace testsupport
