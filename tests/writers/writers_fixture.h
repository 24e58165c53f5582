#pragma once
// Shared helpers of the writer tests: a test folder, scripted prompts, a
// launcher that records the viewer starts, and the output of a writer that
// takes an open file, as a string.

#include "core/code_file_load.h"
#include "core/code_image.h"
#include "core/code_store.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/line_reader.h"
#include "core/settings.h"
#include "platform/file.h"
#include "platform/process.h"
#include "platform/prompt.h"
#include "platform/scripted_prompts.h"
#include "tests/core/core_fixture.h"
#include "tests/support/device_rows.h"
#include "tests/support/image_bytes.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace writers_test {

using testsupport::ByteMap;
using testsupport::Defined;

inline void Put(uint32_t address, uint8_t byte) {
    const int32_t i = core::ImageIndex(address);
    core::Images.CodeImage.data[i] = byte;
    core::Images.CodeImage.used[i] = 1;
}

inline void PutRun(uint32_t address, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) {
        Put(address++, b);
    }
}

using testsupport::RecordingLauncher;

class WritersTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        platform::SetPromptService(&prompts_);
        platform::SetProcessLauncher(&launcher_);
        ASSERT_EQ(core::DeviceTableParse(core::kDeviceFilterAll), 1);
    }
    void TearDown() override {
        CoreTest::TearDown(); // puts the real services back before ours go
    }

    // What writer puts into an open file.
    static std::string Output(const std::function<int32_t(std::FILE*)>& writer,
                              int32_t expected = 1) {
        std::FILE* f = std::tmpfile();
        EXPECT_NE(f, nullptr);
        EXPECT_EQ(writer(f), expected);
        std::string text;
        std::rewind(f);
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
            text.append(buf, n);
        }
        std::fclose(f);
        return text;
    }

    // Loads path into the code image with the format of its extension.
    static int32_t LoadPath(const std::string& path) {
        const size_t dot = path.rfind('.');
        const int32_t format =
            core::CodeFileFormatFromExt(dot == std::string::npos ? "" : path.substr(dot + 1));
        platform::File file(path, platform::FileModeRead | platform::FileShareDenyWrite);
        core::LineReaderReset();
        return core::CodeFileLoad(0, format, file.get(), path);
    }

    static int32_t RowNamed(const std::string& name) { return testsupport::DeviceRowNamed(name); }

    testsupport::TempDir dir_;
    platform::ScriptedPrompts prompts_;
    RecordingLauncher launcher_;
};

} // namespace writers_test
