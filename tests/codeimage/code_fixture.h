#pragma once
// Shared helpers of the code-image tests: a temporary folder for code files,
// loading a file the way the callers do, and the image as an address map.

#include "core/code_file_load.h"
#include "core/code_image.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/line_reader.h"
#include "core/settings.h"
#include "platform/file.h"
#include "tests/core/core_fixture.h"
#include "tests/support/device_rows.h"
#include "tests/support/image_bytes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

namespace codeimage_test {

using testsupport::ByteMap;
using testsupport::Defined;

// Consecutive bytes from address on.
inline ByteMap BytesAt(uint32_t address, std::initializer_list<uint8_t> bytes) {
    ByteMap m;
    for (uint8_t b : bytes) {
        m[address++] = b;
    }
    return m;
}

inline ByteMap Merge(ByteMap a, const ByteMap& b) {
    for (const auto& [k, v] : b) {
        a[k] = v;
    }
    return a;
}

class CodeImageTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_EQ(core::DeviceTableParse(core::kDeviceFilterAll), 1);
    }

    // Writes a code file named name into the test folder; returns its path.
    std::string Write(const std::string& name, const std::string& text) {
        const std::string path = dir_.File(name);
        testsupport::WriteFile(path, text);
        return path;
    }

    // Opens path the way the callers do and loads it into the store of target
    // with the format its extension gives.
    static int32_t LoadPath(const std::string& path, int32_t target = 0) {
        const size_t dot = path.rfind('.');
        const int32_t format =
            core::CodeFileFormatFromExt(dot == std::string::npos ? "" : path.substr(dot + 1));
        platform::File file(path, platform::FileModeRead | platform::FileShareDenyWrite);
        core::LineReaderReset();
        return core::CodeFileLoad(target, format, file.get(), path);
    }

    int32_t Load(const std::string& name, const std::string& text, int32_t target = 0) {
        return LoadPath(Write(name, text), target);
    }

    // The row of the device table with this name (after "MSP430F").
    static int32_t RowNamed(const std::string& name) { return testsupport::DeviceRowNamed(name); }

    // Selects the row and, with id non-zero, identifies it as connected.
    static void UseDevice(const std::string& name, uint32_t id = 0) {
        core::Settings.SelectedProcessorIndex = RowNamed(name);
        core::DeviceSelectByIndex();
        if (id != 0) {
            core::ConnectedDevice.TargetIdentified = 1;
            core::DeviceSelectById(id);
        }
    }

    testsupport::TempDir dir_;
};

} // namespace codeimage_test
