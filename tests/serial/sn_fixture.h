#pragma once
// Serialization tests: the engine's state and the settings reset, a history
// file in a fresh directory, and the local time fixed at Thu, Dec 10 2026,
// 11:14.

#include "core/code_file_names.h"
#include "core/core_state.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_dialogs.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "gui/sn_list.h"
#include "gui/startup_load.h"
#include "platform/local_time.h"
#include "platform/services.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sn_test {

inline platform::LocalTime At(int year, int month, int day, int hour = 11, int minute = 14) {
    platform::LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.weekday = platform::WeekdayOf(year, month, day);
    return t;
}

class SnTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::ResetServices();
        core::CoreStateReset();
        gui::SerialNumber.Reset();
        gui::SnDialogs.Reset();
        gui::Startup.Reset();
        gui::Startup.CurrentDirectory = dir.path().string();
        SetNow(At(2026, 12, 10));
        core::Settings.Reset();
        core::Settings.SerializationEnable = 1;
        core::Settings.SNFilePathAndName = History();
        core::Settings.Starting_SN = 1;
        core::Settings.SN_increment = 1;
        core::Settings.Custom_SN_size = 8;
        core::Settings.SNStartAddress = 0x1000;
        core::CodeFileNames.CodeFile.Set("/some/dir/blink.txt");
    }
    void TearDown() override {
        platform::ResetServices();
        core::CoreStateReset();
        gui::SerialNumber.Reset();
    }
    static void SetNow(platform::LocalTime t) {
        platform::SetLocalTimeSource([t] { return t; });
    }
    static void Use(int type, int mode) {
        core::Settings.SNDispFormatIndex = type;
        core::Settings.SNMemFormatIndex = mode;
    }
    std::string History() const { return dir.File("history.sn"); }
    std::string ReadHistory() const { return testsupport::ReadFile(History()); }
    void WriteHistory(const std::string& text) const { testsupport::WriteFile(History(), text); }
    static std::vector<uint8_t> Bytes() {
        const auto& d = core::SerialData;
        return std::vector<uint8_t>(d.SerialNumberBytes, d.SerialNumberBytes + d.SerialNumberCount);
    }
    static std::vector<uint8_t> Ascii(const std::string& s) {
        return std::vector<uint8_t>(s.begin(), s.end());
    }

    testsupport::TempDir dir;
};

} // namespace sn_test
