// What the shared debug library is as a file: found beside the program
// under its default name, exporting the MSP430_* entries and nothing else,
// keeping its calls to its own entries inside it, with the four entries
// only it has, and closing what it left open when it is unloaded or the
// program ends.

#include "core/core_state.h"
#include "core/debug_error_table.h"
#include "core/debug_lib.h"
#include "debugif/api_state.h"
#include "debugif/debug_error_table.h"
#include "platform/module_path.h"
#include "platform/process.h"
#include "tests/debugapi/debugapi_fixture.h"
#include "tests/support/debug_entries.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

namespace debugapi_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The bound entries and the one a program asks before it offers an
// adapter firmware update.
const std::set<std::string> kEntries = [] {
    std::set<std::string> names(testsupport::kDebugEntryNames.begin(),
                                testsupport::kDebugEntryNames.end());
    names.insert("MSP430_FET_FwImageVersion");
    return names;
}();

std::string Output(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) {
        return out;
    }
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) {
        out.append(buffer, n);
    }
    ::pclose(p);
    return out;
}

TEST(LibraryTest, ExportsTheEntriesAndNothingElse) {
    const std::string listing = Output("nm -D --defined-only '" + DebugLibraryPath() + "'");
    std::set<std::string> names;
    std::istringstream lines(listing);
    std::string address, kind, name;
    while (lines >> address >> kind >> name) {
        names.insert(name);
    }
    EXPECT_EQ(names, kEntries) << listing;
}

TEST(LibraryTest, IsFoundBesideTheProgramUnderItsDefaultName) {
    core::CoreStateReset();
    ASSERT_EQ(core::DebugLib.selectedPath, "MSP430-TI.DLL");
    ASSERT_EQ(core::DebugLibLoad(), 1);
    const void* entry = ::dlsym(core::DebugLib.handle, "MSP430_Initialize");
    const std::filesystem::path file = platform::ModulePathOf(entry);
    EXPECT_EQ(file, std::filesystem::canonical(DebugLibraryPath()));
    EXPECT_EQ(file.parent_path(), std::filesystem::canonical(platform::ProgramDirectory()));
    core::CoreStateReset();
}

TEST(LibraryTest, ErrorTextsAreTheTablesTexts) {
    ApiBench b(Route::kLibraryPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(core::DebugLibLoad(), 1);
    for (int32_t n = 0; n < core::kDebugErrorCount; ++n) {
        EXPECT_STREQ(b.api().Error_String(n), core::DebugErrorTable[n].text) << n;
        EXPECT_EQ(debugif::DebugErrorTable[n].number, n);
    }
    EXPECT_EQ(debugif::DebugErrorTable[debugif::kDebugErrorCount].number, -1);
    for (const int32_t n : {64, 65, 1000, -1}) {
        EXPECT_STREQ(b.api().Error_String(n), "Invalid error number") << n;
    }
    EXPECT_EQ(b.api().Error_Number(), 0);
    EXPECT_EQ(b.api().Memory(0x1100, nullptr, 2, 1), -1);
    EXPECT_EQ(b.api().Error_Number(), 3);
    EXPECT_EQ(b.api().Error_Number(), 3) << "asking does not clear it";
}

TEST(LibraryTest, ReportsTheFirmwareVersionAndCannotUpdateIt) {
    ApiBench b(Route::kLibraryPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(core::DebugLibLoad(), 1);
    int32_t firmware = 7;
    EXPECT_EQ(b.api().FET_GetFwVersion(&firmware), -1);
    EXPECT_EQ(b.api().Error_Number(), 34);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    EXPECT_EQ(b.api().FET_GetFwVersion(nullptr), -1);
    EXPECT_EQ(b.api().Error_Number(), 3);
    ASSERT_EQ(b.api().FET_GetFwVersion(&firmware), 0);
    EXPECT_EQ(firmware, 20304000) << "what the connect read, not what it reported";

    static int progress_calls = 0;
    progress_calls = 0;
    const auto progress = [](uint32_t, uint32_t, uint32_t, void*) { ++progress_calls; };
    EXPECT_EQ(b.api().FET_FwUpdate(nullptr, progress, nullptr), -1);
    EXPECT_EQ(b.api().Error_Number(), 34);
    EXPECT_EQ(progress_calls, 0);
    EXPECT_THAT(b.emu().Requests(), IsEmpty()) << "the adapter is left as it is";
    // And it says so before anyone asks it to update: it carries no image.
    int32_t image = 7;
    EXPECT_EQ(core::DebugLib_FET_FwImageVersion(&image), 0);
    EXPECT_EQ(image, 0);
    // So an adapter without firmware is no open through it (quill-demo's
    // and Quillbay's connect).
    EXPECT_FALSE(core::DebugLibraryHoldsFirmwareImage());
}

TEST(LibraryTest, KeepsItsCallsToItsOwnEntriesInside) {
    // The test program has entries of the same names (its own copy of the
    // debug interface) and exports them; they are not ready for anything.
    ApiBench b(Route::kLibraryPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    debugif::Api.InterfaceKind = debugif::kInterfaceNone;
    debugif::Api.LastErrorNumber = 77;
    // Identify ends with a state query, reset begins with one, the erase
    // check is a verify: each calls another entry of the library.
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    EXPECT_EQ(b.api().Reset(7, 0, 0), 0) << b.LastError();
    EXPECT_EQ(b.api().EraseCheck(0x1100, 0x100), 0) << b.LastError();
    EXPECT_EQ(b.api().Close(0), 0) << b.LastError();
    EXPECT_EQ(debugif::Api.LastErrorNumber, 77) << "the program's own entries were not called";
}

TEST(LibraryTest, AFreshLoadStartsAfresh) {
    ApiBench b(Route::kLibraryPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(core::DebugLibLoad(), 1);
    EXPECT_EQ(b.api().Memory(0x1100, nullptr, 2, 1), -1);
    ASSERT_EQ(b.api().Error_Number(), 3);
    core::CoreStateReset();
    core::DebugApiUse(&b.api());
    ASSERT_EQ(core::DebugLibLoad(), 1);
    EXPECT_EQ(b.api().Error_Number(), 0);
}

TEST(LibraryTest, UnloadingClosesWhatWasLeftOpenWithTheSupplyOff) {
    ApiBench b(Route::kLibraryPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    ASSERT_EQ(b.emu().Locked([&] { return b.emu().target.AdapterSupply(); }), 3000);
    core::CoreStateReset();
    const auto requests = b.emu().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].id, 2);
    EXPECT_THAT(requests[0].params, ElementsAre(1u));
    EXPECT_EQ(b.emu().Locked([&] { return b.emu().target.AdapterSupply(); }), 0);
}

TEST(LibraryTest, UnloadingAfterACloseSendsNothing) {
    ApiBench b(Route::kLibraryPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    ASSERT_EQ(b.api().Close(0), 0);
    b.emu().ClearTrace();
    core::CoreStateReset();
    EXPECT_THAT(b.emu().Requests(), IsEmpty());
    EXPECT_EQ(b.emu().Locked([&] { return b.emu().target.AdapterSupply(); }), 3000);
}

TEST(LibraryTest, AProgramThatEndsWithTheInterfaceOpenSwitchesTheSupplyOff) {
    ApiBench b(Route::kLibraryPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    const platform::RunResult r = platform::RunAndWait({EXIT_PROBE_PATH, "COM150"}, "");
    ASSERT_TRUE(r.started);
    ASSERT_EQ(r.exitStatus, 0);
    std::vector<uint8_t> ids = b.emu().Ids();
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(ids.back(), 2) << "the close came last";
    EXPECT_THAT(b.emu().Requests().back().params, ElementsAre(1u));
    EXPECT_EQ(b.emu().Locked([&] { return b.emu().target.AdapterSupply(); }), 0);
}

} // namespace
} // namespace debugapi_test
