// Attach reads the interface protocol from the settings file beside the
// module; detach closes the interface with the target supply off.

#include "debugif/api_state.h"
#include "debugif/debug_attach.h"
#include "debugif/link_timing.h"
#include "debugif/transport_ops.h"
#include "tests/debugapi/debugapi_fixture.h"
#include "tests/support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <dlfcn.h>
#include <filesystem>

namespace debugapi_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int32_t kUnset = 9;

TEST(AttachTest, TheSettingsFileIsNamedAfterTheModule) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/bench/MSP430-TI.DLL", "/opt/bench/MSP430-TI.ini"},
        {"/opt/lib/libquillcore.so", "/opt/lib/libquillcore.ini"},
        {"/opt/a.b/library", "/opt/a.b/library.ini"},
        {"/opt/x.tar.gz", "/opt/x.tar.ini"},
        {"", ""},
    };
    for (const auto& [module, ini] : cases) {
        EXPECT_EQ(debugif::SettingsFilePath(module), ini) << module;
    }
}

// A module of our own in a directory of its own: a copy of the debug
// library, opened and asked where its code lies.
class AttachModule {
public:
    AttachModule() {
        const std::string copy = dir_.File("BENCH.DLL");
        std::filesystem::copy_file(DebugLibraryPath(), copy);
        handle_ = ::dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) {
            address_ = ::dlsym(handle_, "MSP430_Close");
        }
    }
    ~AttachModule() {
        if (handle_ != nullptr) {
            ::dlclose(handle_);
        }
    }
    const void* address() const { return address_; }
    std::string Ini() const { return dir_.File("BENCH.ini"); }

private:
    testsupport::TempDir dir_;
    void* handle_ = nullptr;
    const void* address_ = nullptr;
};

TEST(AttachTest, ReadsEveryProtocolValue) {
    struct Case {
        const char* text; // nullptr: no settings file
        int32_t protocol;
    };
    const Case cases[] = {
        {"[IF_PROTOCOL]\nPROTOCOL=JTAG\n", 0},
        {"[IF_PROTOCOL]\r\nPROTOCOL=SPYBYWIRE\r\n", 1},
        {"[IF_PROTOCOL]\nPROTOCOL=SPYBIWIRE\n", 1},
        {"[IF_PROTOCOL]\nPROTOCOL=SPYBIWIREJTAG\n", 2},
        {"[if_protocol]\n protocol = SPYBIWIRE \n", 1},
        {"[IF_PROTOCOL]\nPROTOCOL=\"SPYBIWIREJTAG\"\n", 2},
        // The value compares exactly.
        {"[IF_PROTOCOL]\nPROTOCOL=spybiwire\n", 0},
        {"[IF_PROTOCOL]\nPROTOCOL=SPYBIWIRE JTAG\n", 0},
        {"[IF_PROTOCOL]\nPROTOCOL=1\n", 0},
        {"[IF_PROTOCOL]\nPROTOCOL=\n", 0},
        {"[OTHER]\nPROTOCOL=SPYBIWIRE\n", 0},
        {"[IF_PROTOCOL]\nMODE=SPYBIWIRE\n", 0},
        {nullptr, 0},
    };
    AttachModule module;
    ASSERT_NE(module.address(), nullptr) << ::dlerror();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "no file");
        std::filesystem::remove(module.Ini());
        if (c.text != nullptr) {
            testsupport::WriteFile(module.Ini(), c.text);
        }
        debugif::Api.ProtocolSetting = kUnset;
        debugif::AttachDebugInterface(module.address(), debugif::kAttachReasonAttach);
        EXPECT_EQ(debugif::Api.ProtocolSetting, c.protocol);
    }
}

TEST(AttachTest, WithoutAModuleItReadsBesideItsOwn) {
    // The test program, which has no settings file beside it.
    debugif::Api.ProtocolSetting = kUnset;
    debugif::AttachDebugInterface(nullptr, debugif::kAttachReasonAttach);
    EXPECT_EQ(debugif::Api.ProtocolSetting, 0);
    debugif::Api.ProtocolSetting = 0;
}

TEST(AttachTest, DetachClosesTheInterfaceWithTheSupplyOff) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    debugif::AttachDebugInterface(nullptr, 2);
    EXPECT_THAT(b.emu().Requests(), IsEmpty()) << "other reasons do nothing";
    debugif::AttachDebugInterface(nullptr, debugif::kAttachReasonDetach);
    const auto requests = b.emu().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].id, 2);
    EXPECT_THAT(requests[0].params, ElementsAre(1u));
    EXPECT_EQ(b.emu().Locked([&] { return b.emu().target.AdapterSupply(); }), 0);
    EXPECT_EQ(debugif::Api.InterfaceOpen, 0);
}

// A transaction that gave up leaves the interface closed in the library's
// view and its port held. Detach still switches the supply off: one close
// with the supply off, under a short time-out even on a port whose reads
// wait seconds, answered or not; then the port is let go.
TEST(AttachTest, DetachAfterALostLinkSendsOneSupplyOffCloseQuicklyAndReleasesThePort) {
    struct Case {
        const char* what;
        Route route;
        bool back; // the adapter answers again by the time of the detach
    } const cases[] = {
        {"serial, the adapter still silent", Route::kInProcessPty, false},
        {"serial, the adapter back", Route::kInProcessPty, true},
        {"HID, the adapter still silent", Route::kInProcessHid, false},
        {"HID, the adapter back", Route::kInProcessHid, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ApiBench b(c.route, "149");
        ASSERT_TRUE(b.ok()) << b.error();
        // Tries of tens of milliseconds, so that the link is lost quickly.
        debugif::LinkTiming.serial_read_total_ms = 40;
        debugif::LinkTiming.serial_read_interval_ms = 20;
        debugif::LinkTiming.quiet_gap_ms = 10;
        debugif::LinkTiming.quiet_limit_ms = 100;
        ASSERT_EQ(b.Connect(), 0) << b.LastError();
        sim::EmuFaults silent;
        silent.silent = true;
        b.emu().SetFaults(silent);
        EXPECT_EQ(b.api().VCC(2500), -1);
        EXPECT_EQ(b.LastError(), 35);
        ASSERT_EQ(debugif::Api.InterfaceKind, debugif::kInterfaceNone);
        ASSERT_NE(debugif::Transport.PortHandle, 0u) << "the port is still held";
        if (c.route == Route::kInProcessPty) {
            // The product's waits from here on.
            platform::CommTimeouts t = debugif::Transport.port.GetTimeouts();
            t.read_total_constant = 7000;
            debugif::Transport.port.SetTimeouts(t);
        }
        b.emu().ClearTrace();
        b.emu().SetFaults(c.back ? sim::EmuFaults{} : silent);

        const auto start = std::chrono::steady_clock::now();
        debugif::AttachDebugInterface(nullptr, debugif::kAttachReasonDetach);
        const auto took = std::chrono::steady_clock::now() - start;

        const auto requests = b.emu().Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].id, 2);
        EXPECT_THAT(requests[0].params, ElementsAre(1u));
        EXPECT_EQ(debugif::Transport.PortHandle, 0u) << "the port is released";
        EXPECT_EQ(debugif::Api.InterfaceOpen, 0);
        if (c.back) {
            EXPECT_EQ(b.emu().Locked([&] { return b.emu().target.AdapterSupply(); }), 0);
        }
        if (c.route == Route::kInProcessPty) {
            // Far below one of the port's own read waits.
            EXPECT_LT(took, std::chrono::milliseconds(3500));
        }
        // Nothing is held any more: a second detach sends nothing.
        b.emu().ClearTrace();
        debugif::AttachDebugInterface(nullptr, debugif::kAttachReasonDetach);
        EXPECT_THAT(b.emu().Requests(), IsEmpty());
        debugif::LinkTiming.Reset();
    }
}

} // namespace
} // namespace debugapi_test
