// Two stations on one PC: two emulated adapters (COM7 with an F149 board,
// COM8 with an F2274 board) served in this process, reached through the
// library's own debug interface. A host that selects by ID programs only
// the adapter it selected; while its selection is absent or failed, no
// procedure passes and no request reaches either adapter.

#include "sim/emu_adapter.h"
#include "sim/emu_board.h"
#include "sim/emu_pty.h"
#include "sim/emu_target_handler.h"
#include "tests/api/api_fixture.h"
#include "tests/support/device_rows.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace api_test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kImageStart = 0xF000;
constexpr uint32_t kImageSize = 0x200;
constexpr int32_t kCom7 = 20010107;
constexpr int32_t kCom8 = 20010108;
constexpr int32_t kAbsent = 20010109; // no adapter on COM9

struct Station {
    Station(const char* port, const char* device) : port(port) {
        EXPECT_GE(sim::EmuSelectDeviceNamed(target, device), 0) << device;
    }
    std::string port;
    sim::SimTarget target;
    sim::EmuTargetHandler handler{target};
    sim::EmuAdapter adapter{handler, sim::EmuLink::kSerial};
    sim::EmuPtyServer server{adapter};
};

class AdapterChoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(dir.path() / "adapters");
        ::setenv("QUILL_EMULATED_ADAPTERS", dir.File("adapters").c_str(), 1);
        stations.push_back(std::make_unique<Station>("COM7", "149"));
        stations.push_back(std::make_unique<Station>("COM8", "2274"));
        for (auto& s : stations) {
            std::string error;
            ASSERT_TRUE(s->server.Start(dir.File("adapters"), s->port, &error)) << error;
            // Flash unlike the image: any erase or write would change it.
            s->target.PokeRange(kImageStart, Bytes(kImageSize, 0x5A));
        }
        core::CoreStateReset();
        platform::ResetServices();
        debugif::ResetDebugifState();
        sim::SimReset();
        api::LibraryStateReset();
        platform::SetProgramDirectoryOverride(dir.path().string());
        api::LibraryLoad(); // the library's own debug interface
        platform::SetClockSource(&clock);
        for (uint32_t i = 0; i < kImageSize; ++i) {
            image.push_back(static_cast<uint8_t>(i * 7 + 1));
        }
    }
    void TearDown() override {
        F_Close_All();
        LibraryDown();
        for (auto& s : stations) {
            s->server.Stop();
        }
        ::unsetenv("QUILL_EMULATED_ADAPTERS");
    }

    Station& com7() { return *stations[0]; }
    Station& com8() { return *stations[1]; }

    // The device row named device, the adapter powering the target,
    // procedures run directly, the image in the code buffer. After
    // F_Initialization, which builds the device table.
    void Configure(const std::string& device = "2274") {
        const int32_t row = testsupport::DeviceRowNamed(device);
        ASSERT_GT(row, 0);
        ASSERT_EQ(F_SetConfig(1, static_cast<uint32_t>(row)), 1);
        ASSERT_EQ(F_SetConfig(2, 1), 1);
        ASSERT_EQ(F_SetConfig(30, 2), 1);
        ASSERT_EQ(F_SetConfig(64, 0), 1); // the board's DCO constants are not the point
        F_Clr_Code_Buffer();
        for (uint32_t i = 0; i < kImageSize; ++i) {
            F_Put_Byte_to_Code_Buffer(static_cast<int32_t>(kImageStart + i), image[i]);
        }
        TakeReport();
    }

    bool Programmed(Station& s) const {
        return s.target.PeekRange(kImageStart, kImageSize) == image;
    }
    bool Untouched(Station& s) const {
        return s.target.PeekRange(kImageStart, kImageSize) == Bytes(kImageSize, 0x5A);
    }

    testsupport::TempDir dir;
    StepClock clock;
    std::vector<std::unique_ptr<Station>> stations;
    Bytes image;
};

struct Procedure {
    const char* name;
    std::function<int32_t()> run;
};

const std::vector<Procedure>& Procedures() {
    static const std::vector<Procedure> all = {
        {"F_AutoProgram", [] { return F_AutoProgram(0); }},
        {"F_Open_Target_Device", [] { return F_Open_Target_Device(); }},
        {"F_Memory_Erase", [] { return F_Memory_Erase(1); }},
        {"F_Memory_Blank_Check", [] { return F_Memory_Blank_Check(); }},
        {"F_Memory_Write", [] { return F_Memory_Write(0); }},
        {"F_Memory_Verify", [] { return F_Memory_Verify(0); }},
        {"F_Memory_Read",
         [] {
             static Bytes memory(QUILLCORE_MEMORY_READ_SIZE);
             return F_Memory_Read(memory.data());
         }},
        {"F_VerifyFuseOrPassword", [] { return F_VerifyFuseOrPassword(); }},
        {"F_Blow_Fuse",
         [] {
             F_SetConfig(16, 1);
             const int32_t r = F_Blow_Fuse();
             F_SetConfig(16, 0);
             return r;
         }},
    };
    return all;
}

// Every procedure fails as an open of an absent adapter does, and neither
// adapter sees a single request.
TEST_F(AdapterChoiceTest, WithoutASelectionNoProcedureTouchesAnyAdapter) {
    struct Case {
        const char* what;
        std::vector<int32_t> calls; // F_Check_KVU_access arguments in order
    };
    const Case cases[] = {
        {"a failed selection after a good one", {kCom8, kAbsent}},
        {"a deselect, then a failed selection", {kCom8, 0, kAbsent}},
        {"a deselect by a name query", {kCom8, 0, 2}},
        {"an ID of no adapter kind", {kCom8, 20010300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int32_t n : c.calls) {
            F_Check_KVU_access(n);
        }
        ASSERT_EQ(F_Get_KVU_SN(), 0);
        EXPECT_EQ(F_Initialization(), 4);
        Configure();
        com7().adapter.ClearTrace();
        com8().adapter.ClearTrace();
        for (const Procedure& p : Procedures()) {
            EXPECT_EQ(p.run(), 0) << p.name;
            const std::string report = TakeReport();
            EXPECT_NE(report.find("Error\r\nProgramming adapter is not present.\r\n\r\n"
                                  "Check cable connection or parallel port setup.\r\n"),
                      std::string::npos)
                << p.name << ": " << report;
            EXPECT_EQ(report.find("D O N E"), std::string::npos) << p.name;
        }
        EXPECT_EQ(com7().adapter.RequestCount(), 0u);
        EXPECT_EQ(com8().adapter.RequestCount(), 0u);
        EXPECT_TRUE(Untouched(com7()));
        EXPECT_TRUE(Untouched(com8()));
    }
}

TEST_F(AdapterChoiceTest, AGoodSelectionProgramsOnlyItsAdapter) {
    ASSERT_EQ(F_Check_KVU_access(0), 2);
    ASSERT_EQ(F_Check_KVU_access(kCom7), kCom7);
    ASSERT_EQ(F_Check_KVU_access(kCom8), kCom8);
    ASSERT_EQ(F_Initialization(), 1);
    Configure();
    ASSERT_EQ(F_AutoProgram(0), 1) << TakeReport();
    EXPECT_TRUE(Programmed(com8()));
    EXPECT_TRUE(Untouched(com7()));

    // Selected again after a failed selection, it is the one opened again.
    com8().target.PokeRange(kImageStart, Bytes(kImageSize, 0x5A));
    ASSERT_EQ(F_Check_KVU_access(kAbsent), 0);
    ASSERT_EQ(F_Check_KVU_access(kCom8), kCom8);
    ASSERT_EQ(F_AutoProgram(0), 1) << TakeReport();
    EXPECT_TRUE(Programmed(com8()));
    EXPECT_TRUE(Untouched(com7()));
}

// After a detach the library answers as one with no adapter selected: no
// supply fault, nothing sent to either adapter; a new selection works.
TEST_F(AdapterChoiceTest, ADetachedLibraryHasNoAdapter) {
    ASSERT_EQ(F_Check_KVU_access(kCom8), kCom8);
    ASSERT_EQ(F_Initialization(), 1);
    Configure();
    ASSERT_EQ(F_Open_Target_Device(), 1) << TakeReport();
    LIB_Init(nullptr, 0);
    TakeReport();
    com7().adapter.ClearTrace();
    com8().adapter.ClearTrace();
    EXPECT_EQ(F_Get_KVU_SN(), 0);
    EXPECT_EQ(F_Open_Target_Device(), 0);
    const std::string report = TakeReport();
    EXPECT_NE(report.find("Programming adapter is not present."), std::string::npos) << report;
    EXPECT_EQ(report.find("DC Voltage"), std::string::npos) << report;
    EXPECT_EQ(F_Segment_Erase(0xF000), 0);
    EXPECT_EQ(F_Initialization(), 4);
    EXPECT_EQ(com7().adapter.RequestCount(), 0u);
    EXPECT_EQ(com8().adapter.RequestCount(), 0u);

    LIB_Init(nullptr, 1);
    ASSERT_EQ(F_Check_KVU_access(kCom8), kCom8);
    Configure();
    EXPECT_EQ(F_AutoProgram(0), 1) << TakeReport();
    EXPECT_TRUE(Programmed(com8()));
    EXPECT_TRUE(Untouched(com7()));
}

// A host that never selects by ID keeps the fallback to the first adapter.
TEST_F(AdapterChoiceTest, AHostThatNeverSelectsGetsTheFirstAdapter) {
    EXPECT_EQ(F_Initialization(), 4);
    Configure("149");
    ASSERT_EQ(F_AutoProgram(0), 1) << TakeReport();
    EXPECT_TRUE(Programmed(com7()));
    EXPECT_TRUE(Untouched(com8()));
}

} // namespace
} // namespace api_test
