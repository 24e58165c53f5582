#include "tests/debugapi/debugapi_fixture.h"

#include "core/core_state.h"
#include "core/debug_lib.h"
#include "debugif/api_state.h"
#include "debugif/in_process_api.h"
#include "platform/emulated_adapters.h"
#include "platform/services.h"

#include <cstdlib>

namespace debugapi_test {

std::string RouteName(Route route) {
    switch (route) {
    case Route::kLibraryPty:
        return "library over a pseudo-terminal";
    case Route::kInProcessPty:
        return "in process over a pseudo-terminal";
    case Route::kInProcessHid:
        return "in process over HID";
    }
    return "?";
}

std::string DebugLibraryPath() {
    return DEBUG_LIBRARY_PATH;
}

ApiBench::ApiBench(Route route, const std::string& device, commands_test::BenchOptions options)
    : bench(options), route_(route) {
    core::CoreStateReset();
    platform::ResetServices();
    if (!bench.ok()) {
        error_ = bench.error();
        return;
    }
    if (!bench.SelectDevice(device)) {
        error_ = "no device " + device + " in the device list";
        return;
    }
    if (route == Route::kLibraryPty) {
        // The library has a platform layer of its own: it finds the
        // emulated adapter the way any program does.
        ::setenv(platform::kEmulatedAdaptersVariable, (bench.ScratchPath() + "/adapters").c_str(),
                 1);
        api_ = &core::DebugLibApi();
    } else {
        debugif::FillInProcessDebugApi(table_);
        api_ = &table_;
    }
    core::DebugApiUse(api_);
    ok_ = true;
}

ApiBench::~ApiBench() {
    // Unloading the library closes what it left open, while the emulator
    // still answers.
    core::CoreStateReset();
    platform::ResetServices();
    ::unsetenv(platform::kEmulatedAdaptersVariable);
}

bool ApiBench::UseManualClock() {
    if (route_ == Route::kLibraryPty) {
        return false;
    }
    platform::SetClockSource(&clock);
    return true;
}

std::string ApiBench::Port() const {
    return route_ == Route::kInProcessHid ? commands_test::Bench::kHidName
                                          : commands_test::Bench::kPortName;
}

commands_test::Emu& ApiBench::emu() {
    return route_ == Route::kInProcessHid ? bench.hid : bench.serial;
}

int32_t ApiBench::LastError() const {
    if (route_ == Route::kLibraryPty) {
        return api_->Error_Number != nullptr ? api_->Error_Number() : -1;
    }
    return debugif::Api.LastErrorNumber;
}

int32_t ApiBench::Connect(char* record) {
    char local[80] = {};
    int32_t version = 0;
    const std::string port = Port();
    if (api().Initialize(port.c_str(), &version) != 0 || api().VCC(3000) != 0 ||
        api().Identify(record != nullptr ? record : local, 80, 0) != 0) {
        return -1;
    }
    emu().ClearTrace();
    return 0;
}

Bytes ApiBench::Peek(uint32_t address, uint32_t count) {
    commands_test::Emu& e = emu();
    return e.Locked([&] { return e.target.PeekRange(address, count); });
}

void ApiBench::Poke(uint32_t address, const Bytes& bytes) {
    commands_test::Emu& e = emu();
    e.Locked([&] {
        e.target.PokeRange(address, bytes);
        return 0;
    });
}

Bytes Pattern(size_t count, uint8_t seed) {
    Bytes b(count);
    for (size_t i = 0; i < count; ++i) {
        b[i] = static_cast<uint8_t>((seed + i * 7) % 0xFF); // never 0xFF
    }
    return b;
}

} // namespace debugapi_test
