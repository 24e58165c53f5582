// Calls the library's exports with any indices, addresses, sizes and values
// against the simulated library: nothing may touch memory outside the
// library's buffers or the caller's, and nothing may wait in real time.

#include "api/api_state.h"
#include "api/lib_target.h"
#include "api/library_start.h"
#include "core/core_state.h"
#include "core/target_state.h"
#include "platform/clock.h"
#include "platform/module_path.h"
#include "platform/sound.h"
#include "quillcore.h"
#include "sim/sim_library.h"
#include "tests/api/api_clock.h"
#include "tests/support/fuzz_input.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Input = testsupport::FuzzInput;

// The finish beeps and result sounds: silent, and at once (the real
// service starts a player process for each).
class SilentSound final : public platform::SoundService {
public:
    bool PlayWave(const std::string&) override { return true; }
    void Beep(uint32_t, uint32_t) override {}
};

int32_t TakeSimError() {
    const int32_t e = sim::SimLibrary.LastErrorNumber;
    sim::SimLibrary.LastErrorNumber = 0;
    return e;
}

// Addresses near the edges the exports guard, or anything at all.
int32_t Address(Input& in) {
    static const int32_t kEdges[] = {0,      0x200,  0x0FFF,  0x1000,  0x10F0,  0x1100,
                                     0xFFE0, 0xFFFF, 0x10000, 0x45BFE, 0x45BFF, 0x45C00};
    const uint8_t pick = in.Byte();
    const int32_t delta = static_cast<int8_t>(in.Byte());
    if (pick < 160) {
        return kEdges[pick % (sizeof kEdges / sizeof kEdges[0])] + delta;
    }
    return in.Int();
}

int32_t Size(Input& in) {
    const uint8_t pick = in.Byte();
    return pick < 200 ? static_cast<int32_t>(in.Half() % 1200) - 4 : in.Int();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static api_test::StepClock clock;
    static const bool ready = [] {
        char dir[] = "/tmp/quill-fuzz-host-XXXXXX";
        if (::mkdtemp(dir) == nullptr) {
            std::abort();
        }
        platform::SetProgramDirectoryOverride(dir);
        platform::SetClockSource(&clock);
        static SilentSound silent;
        platform::SetSoundService(&silent);
        api::LibraryLoad();
        platform::SetClockSource(&clock);
        api::LibDebugApiUse(sim::SimDebugApi(), &TakeSimError);
        sim::SimReset();
        F_Check_KVU_access(20010100);
        F_Initialization();
        return true;
    }();
    (void)ready;
    // The caller's buffers: as large as the header asks, and a small one
    // for the data calls, whose sizes stay inside it as a caller's would.
    static std::vector<uint8_t> memory(QUILLCORE_MEMORY_READ_SIZE);
    static std::vector<uint8_t> bytes(1200, 0x5A);
    static char report[QUILLCORE_REPORT_SIZE];
    static uint32_t setup[QUILLCORE_SETUP_SIZE];

    // A fresh board and library for every input (the board cannot be
    // copied: its memory regions are owned).
    sim::SimReset();
    core::Target.Reset();
    api::Lib.TargetActive = 0;
    Input in(data, size);
    if (in.Byte() & 1) {
        F_SetConfig(2, 1);
    }
    F_SetConfig(30, in.Byte() % 3);
    for (int steps = 0; steps < 32 && !in.empty(); ++steps) {
        const uint8_t op = in.Byte();
        const int32_t a = Address(in);
        const int32_t n = Size(in);
        const int32_t bounded = static_cast<int32_t>(static_cast<uint32_t>(n) % 1201);
        switch (op % 34) {
        case 0:
            F_SetConfig(in.Word() % 80, in.Word());
            break;
        case 1:
            F_GetConfig(in.Word());
            break;
        case 2:
            F_Open_Target_Device();
            break;
        case 3:
            F_Close_Target_Device();
            break;
        case 4:
            F_Segment_Erase(a);
            break;
        case 5:
            F_Sectors_Blank_Check(
                a, static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(n)));
            break;
        case 6:
            F_Memory_Write_Data(a, bounded, bytes.data());
            break;
        case 7:
            F_Memory_Read_Data(a, bounded, bytes.data());
            break;
        case 8:
            F_Put_Byte_to_Buffer(a, in.Byte());
            break;
        case 9:
            F_Get_Byte_from_Buffer(a);
            break;
        case 10:
            F_Copy_Buffer_to_Flash(a, n);
            break;
        case 11:
            F_Copy_Flash_to_Buffer(a, n);
            break;
        case 12:
            F_Copy_Buffer_to_RAM(a, n);
            break;
        case 13:
            F_Copy_RAM_to_Buffer(a, n);
            break;
        case 14:
            F_Write_Word(a, n);
            break;
        case 15:
            F_Read_Word(a);
            break;
        case 16:
            F_Write_Byte(a, in.Byte());
            break;
        case 17:
            F_Read_Byte(a);
            break;
        case 18:
            F_Set_PC_and_RUN(a);
            break;
        case 19:
            F_Synch_CPU_JTAG();
            break;
        case 20:
            F_Put_Byte_to_Code_Buffer(a, in.Byte());
            break;
        case 21:
            F_Get_Byte_from_Code_Buffer(a);
            break;
        case 22:
            F_Put_Byte_to_Password_Buffer(a, in.Byte());
            break;
        case 23:
            F_Get_Byte_from_Password_Buffer(a);
            break;
        case 24:
            F_GetReportMessageChar(n);
            break;
        case 25:
            F_ReportMessage(report);
            break;
        case 26:
            F_Get_Device_Info(n);
            break;
        case 27:
            F_Check_KVU_access(in.Byte() & 1 ? n : 20010000 + (n & 0x1FF));
            break;
        case 28:
            F_Power_Target(n & 1);
            break;
        case 29:
            F_Get_Targets_Vcc();
            break;
        case 30:
            F_Memory_Read(memory.data());
            break;
        case 31:
            F_GetSetup(setup);
            F_DispSetup();
            break;
        case 32:
            F_Get_CodeCS(n);
            F_Clr_Code_Buffer();
            break;
        default:
            F_Reset_Target();
            break;
        }
    }
    return 0;
}
