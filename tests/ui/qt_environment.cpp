#include "tests/ui/qt_environment.h"

#include "ui/qt_app.h"

#include <cstdlib>
#include <memory>

namespace uitest {
namespace {

ui::Backend* g_qt = nullptr;

class QtEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        app_ = std::make_unique<ui::qt::Application>(argc_, argv_);
        g_qt = &ui::CurrentBackend();
    }
    void TearDown() override {
        app_.reset();
        g_qt = nullptr;
    }

private:
    int argc_ = 1;
    char name_[16] = "ui_qt_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<ui::qt::Application> app_;
};

[[maybe_unused]] ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

ui::Backend* QtBack() {
    return g_qt;
}

} // namespace uitest
