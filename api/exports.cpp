// The library's exports: each hands its arguments to the library's own
// operations inside the export guard.

#include "quill_version.h"
#include "quillcore.h"

#include "api/adapter_select.h"
#include "api/api_state.h"
#include "api/direct_access.h"
#include "api/export_guard.h"
#include "api/lib_code_files.h"
#include "api/lib_setup_file.h"
#include "api/lib_target.h"
#include "api/library_start.h"
#include "api/procedure_frame.h"
#include "api/report_log.h"
#include "api/setup_block.h"
#include "core/code_image.h"
#include "core/code_store.h"
#include "core/flash_state.h"
#include "core/passwords.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_state.h"
#include "steps/step_texts.h"

#include <algorithm>
#include <cstring>

namespace api {
ExportGuardHooks ExportGuard;
}

using namespace api;

namespace {

constexpr int32_t kVersion = QUILLCORE_VERSION_NUMBER;
constexpr size_t kReportCopyMax = 999;
constexpr int32_t kSnapshotLast = 1000;
constexpr int32_t kSnapshotCopy = 1000;

bool InBuffer(int32_t address) {
    return address >= 0 && address <= kBufferLast;
}

// 0x1000 <= address <= 0x45BFF, size >= 2, address + size <= 0x45C00.
bool CopyRangeValid(int32_t address, int32_t size) {
    return address >= 0x1000 && address <= kBufferLast && size >= 2 &&
           static_cast<int64_t>(address) + size <= kBufferSize;
}

bool InPassword(int32_t address) {
    return address >= core::kPasswordStart && address < core::kPasswordStart + core::kPasswordSize;
}

int32_t WithArgument(int32_t code, int32_t argument) {
    Lib.ProcedureArgument = argument;
    return ProcedureLauncher(code);
}

// ReadImage from 0x1000 up to the active flash end (at most 0x45BFF) into out.
void CopyReadImage(uint8_t* out) {
    const int32_t end = std::clamp(core::FlashEndAddress(), core::kImageStart, core::kImageEnd);
    std::memcpy(out, core::Images.ReadImage, static_cast<size_t>(end - core::kImageStart + 1));
}

} // namespace

#pragma GCC visibility push(default)
extern "C" {

int32_t F_DLLTypeVer(void) {
    return Guarded<int32_t>(0, [] {
        ReportReplace("Quillbay API DLL\r\n  Software version " QUILLCORE_VERSION_TEXT "\r\n");
        return kVersion;
    });
}

int32_t F_Initialization(void) {
    return Guarded<int32_t>(0, [] { return Initialization(); });
}

int32_t F_ConfigSetup(uint32_t v0, uint32_t v1, uint32_t v2, uint32_t v3, uint32_t v4, uint32_t v5,
                      uint32_t v6, uint32_t v7, uint32_t v8, uint32_t v9, uint32_t v10,
                      uint32_t v11, uint32_t v12, uint32_t v13, uint32_t v14, uint32_t v15,
                      uint32_t v16, uint32_t v17, uint32_t v18, uint32_t v19, uint32_t v20,
                      uint32_t v21, uint32_t v22, uint32_t v23, uint32_t v24, uint32_t v25,
                      uint32_t v26, uint32_t v27, uint32_t v28, uint32_t v29) {
    const std::array<uint32_t, kSetupBlockSize> values = {
        v0,  v1,  v2,  v3,  v4,  v5,  v6,  v7,  v8,  v9,  v10, v11, v12, v13, v14,
        v15, v16, v17, v18, v19, v20, v21, v22, v23, v24, v25, v26, v27, v28, v29};
    return Guarded<int32_t>(0, [&] { return SetupBlockApply(values); });
}

int32_t F_GetSetup(uint32_t* setup) {
    return Guarded<int32_t>(0, [&] {
        if (setup == nullptr) {
            return 0;
        }
        SetupBlockGather();
        std::copy(Lib.SetupBlock.begin(), Lib.SetupBlock.end(), setup);
        return 1;
    });
}

void F_DispSetup(void) {
    GuardedVoid([] { SetupDisplay(); });
}

int32_t F_Close_All(void) {
    return Guarded<int32_t>(0, [] { return CloseTarget(); });
}

int32_t F_Power_Target(int32_t on) {
    return Guarded<int32_t>(0, [&] { return PowerTarget(on); });
}

int32_t F_Reset_Target(void) {
    return Guarded<int32_t>(0, [] { return ResetTarget(); });
}

void F_ReportMessage(char* text) {
    GuardedVoid([&] {
        if (text == nullptr) {
            return;
        }
        const size_t n = std::min(ReportLog.report.size(), kReportCopyMax);
        std::memcpy(text, ReportLog.report.data(), n);
        text[n] = '\0';
        ReportLog.report.clear();
    });
}

int32_t F_init_parallel_port(int32_t) {
    return Guarded<int32_t>(0, [] { return 1; });
}

int32_t F_ReadCodeFile(int32_t format, const char* path) {
    return Guarded<int32_t>(kFileCannotOpen, [&] {
        return path != nullptr ? ReadCodeFile(format, path) : ReadCodeFileNoPath();
    });
}

int32_t F_ReadPasswFile(int32_t format, const char* path) {
    return Guarded<int32_t>(kFileCannotOpen, [&] {
        return path != nullptr ? ReadPasswFile(format, path) : ReadPasswFileNoPath();
    });
}

int32_t F_ConfigFileLoad(const char* path) {
    return Guarded<int32_t>(kFileCannotOpen, [&] {
        const int32_t result = path != nullptr ? SetupFileLoad(0, path) : SetupFileLoadNoPath();
        if (core::Settings.PowerFromPODEnable == 0 && core::Target.powerState != 0) {
            core::TargetPowerSet(0);
        }
        return result;
    });
}

int32_t F_AutoProgram(int32_t argument) {
    return Guarded<int32_t>(0, [&] { return WithArgument(kProcAutoProgram, argument); });
}

int32_t F_VerifyFuseOrPassword(void) {
    return Guarded<int32_t>(0, [] {
        // A run that failed has verified nothing: only a run that got to
        // the target and found the fuse intact counts.
        const int32_t result = ProcedureLauncher(kProcFuseCheck);
        return result != kProcFailed && Lib.FuseBlown == 0 ? 1 : 0;
    });
}

int32_t F_Memory_Erase(int32_t mode) {
    return Guarded<int32_t>(0, [&] { return WithArgument(kProcErase, mode); });
}

int32_t F_Memory_Blank_Check(void) {
    return Guarded<int32_t>(0, [] { return ProcedureLauncher(kProcBlankCheck); });
}

int32_t F_Memory_Write(int32_t argument) {
    return Guarded<int32_t>(0, [&] { return WithArgument(kProcWrite, argument); });
}

int32_t F_Memory_Verify(int32_t argument) {
    return Guarded<int32_t>(0, [&] { return WithArgument(kProcVerify, argument); });
}

int32_t F_Memory_Read(uint8_t* data) {
    return Guarded<int32_t>(0, [&] {
        // With nowhere to put the data the read is refused before it
        // touches the target; its line says so.
        if (data == nullptr) {
            ReportAppend(steps::kRead.line);
            ReportVerdict(0);
            return 0;
        }
        const int32_t result = ProcedureLauncher(kProcRead);
        CopyReadImage(data);
        return result;
    });
}

int32_t F_Open_Target_Device(void) {
    return Guarded<int32_t>(0, [] { return ProcedureLauncher(kProcOpen); });
}

int32_t F_Open_Targed_Device(void) {
    return F_Open_Target_Device();
}

int32_t F_Close_Target_Device(void) {
    return Guarded<int32_t>(0, [] { return CloseTarget(); });
}

int32_t F_Close_Targed_Device(void) {
    return F_Close_Target_Device();
}

int32_t F_Segment_Erase(int32_t address) {
    return Guarded<int32_t>(0, [&] { return SegmentErase(address); });
}

int32_t F_Sectors_Blank_Check(int32_t start, int32_t stop) {
    return Guarded<int32_t>(0, [&] { return RangeBlankCheck(start, stop); });
}

int32_t F_Memory_Write_Data(int32_t address, int32_t size, const uint8_t* data) {
    return Guarded<int32_t>(0, [&] { return WriteData(address, size, data); });
}

int32_t F_Memory_Read_Data(int32_t address, int32_t size, uint8_t* data) {
    return Guarded<int32_t>(0, [&] { return ReadData(address, size, data); });
}

int32_t F_Blow_Fuse(void) {
    return Guarded<int32_t>(0, [] { return ProcedureLauncher(kProcBlowFuse); });
}

int32_t F_SetConfig(uint32_t index, uint32_t value) {
    return Guarded<int32_t>(0, [&] { return ConfigSet(index, value); });
}

uint32_t F_GetConfig(uint32_t index) {
    return Guarded<uint32_t>(0, [&] { return ConfigGet(index); });
}

int32_t F_Put_Byte_to_Buffer(int32_t address, uint8_t byte) {
    return Guarded<int32_t>(0, [&] {
        if (!InBuffer(address)) {
            return 0;
        }
        Lib.WriteBuffer[static_cast<size_t>(address)] = byte;
        return 1;
    });
}

int32_t F_Copy_Buffer_to_Flash(int32_t address, int32_t size) {
    return Guarded<int32_t>(0, [&] {
        if (!CopyRangeValid(address, size)) {
            return 0;
        }
        return WriteData(address, size, Lib.WriteBuffer.data() + address);
    });
}

int32_t F_Copy_Flash_to_Buffer(int32_t address, int32_t size) {
    return Guarded<int32_t>(0, [&] {
        if (!CopyRangeValid(address, size)) {
            return 0;
        }
        return ReadData(address, size, Lib.ReadBuffer.data() + address);
    });
}

int32_t F_Copy_All_Flash_to_Buffer(void) {
    return Guarded<int32_t>(0, [] {
        const int32_t result = ProcedureLauncher(kProcRead);
        std::memcpy(Lib.ReadBuffer.data() + core::kImageStart, core::Images.ReadImage,
                    static_cast<size_t>(core::kImageSize));
        return result;
    });
}

int32_t F_Get_Byte_from_Buffer(int32_t address) {
    return Guarded<int32_t>(
        0, [&] { return InBuffer(address) ? Lib.ReadBuffer[static_cast<size_t>(address)] : 0; });
}

int32_t F_GetReportMessageChar(int32_t index) {
    return Guarded<int32_t>(0, [&] {
        if (index < 0 || index > kSnapshotLast) {
            return 0;
        }
        if (index == 0) {
            Lib.ReportSnapshot.fill('\0');
            const size_t n = std::min(ReportLog.report.size(), static_cast<size_t>(kSnapshotCopy));
            std::memcpy(Lib.ReportSnapshot.data(), ReportLog.report.data(), n);
            Lib.ReportSnapshot[kReportCopyMax] = '\0';
            ReportLog.report.clear();
        }
        return static_cast<int32_t>(
            static_cast<unsigned char>(Lib.ReportSnapshot[static_cast<size_t>(index)]));
    });
}

int32_t F_Clr_Code_Buffer(void) {
    return Guarded<int32_t>(0, [] {
        core::CodeImageClear();
        return 1;
    });
}

int32_t F_Put_Byte_to_Code_Buffer(int32_t address, uint8_t byte) {
    return Guarded<int32_t>(0, [&] {
        core::CodeImagePutByte(core::kStoreCodeImage, byte, static_cast<uint32_t>(address));
        return 1;
    });
}

int32_t F_Put_Byte_to_Password_Buffer(int32_t address, uint8_t byte) {
    return Guarded<int32_t>(0, [&] {
        if (!InPassword(address)) {
            return 0;
        }
        core::Passwords.BslPassword[address - core::kPasswordStart] = byte;
        LibSettings.PasswordLoaded = 1;
        return 1;
    });
}

int32_t F_Get_Byte_from_Code_Buffer(int32_t address) {
    return Guarded<int32_t>(-1, [&] {
        if (!core::InImage(address)) {
            return -1;
        }
        const int32_t i = core::ImageIndex(address);
        return core::Images.CodeImage.used[i] != 0
                   ? static_cast<int32_t>(core::Images.CodeImage.data[i])
                   : -1;
    });
}

int32_t F_Get_Byte_from_Password_Buffer(int32_t address) {
    return Guarded<int32_t>(-1, [&] {
        if (!InPassword(address)) {
            return -1;
        }
        return core::Passwords.BslPassword[address - core::kPasswordStart];
    });
}

int32_t F_Copy_Buffer_to_RAM(int32_t address, int32_t size) {
    return Guarded<int32_t>(0, [&] {
        if (!InBuffer(address)) {
            return 0;
        }
        return RamWrite(address, Lib.WriteBuffer.data() + address, size);
    });
}

int32_t F_Copy_RAM_to_Buffer(int32_t address, int32_t size) {
    return Guarded<int32_t>(0, [&] {
        if (!InBuffer(address)) {
            return 0;
        }
        return RamRead(address, Lib.ReadBuffer.data() + address, size);
    });
}

int32_t F_Set_PC_and_RUN(int32_t pc) {
    return Guarded<int32_t>(0, [&] { return SetPcAndRun(pc); });
}

int32_t F_Check_KVU_access(int32_t n) {
    return Guarded<int32_t>(0, [&] { return AdapterAccess(n); });
}

int32_t F_Get_Targets_Vcc(void) {
    return Guarded<int32_t>(
        -1, [] { return TargetVccRead() == 1 ? core::Target.TargetSupplyValue * 10 : -1; });
}

int32_t F_Get_KVU_SN(void) {
    return Guarded<int32_t>(0, [] { return AdapterSelect.SelectedAdapterId; });
}

uint32_t F_Get_CodeCS(int32_t kind) {
    return Guarded<uint32_t>(0, [&]() -> uint32_t {
        switch (kind) {
        case 1:
            return core::CodeImageChecksum();
        case 2:
            return core::Images.ImageChecksum;
        case 3:
            return core::FlashOps.checksumTotal;
        default:
            return 0;
        }
    });
}

void F_init_custom_jtag(int32_t, int32_t) {
    GuardedVoid([] {});
}

int32_t F_custom_jtag_stream(int32_t, int32_t, int32_t, int32_t) {
    return Guarded<int32_t>(0, [] { return 0; });
}

int32_t F_Write_Word(int32_t address, int32_t word) {
    return Guarded<int32_t>(0, [&] { return WriteWord(address, word); });
}

int32_t F_Read_Word(int32_t address) {
    return Guarded<int32_t>(0, [&] { return ReadWord(address); });
}

int32_t F_Write_Byte(int32_t address, uint8_t byte) {
    return Guarded<int32_t>(0, [&] { return WriteByte(address, byte); });
}

int32_t F_Read_Byte(int32_t address) {
    return Guarded<int32_t>(0, [&] { return ReadByte(address); });
}

int32_t F_Synch_CPU_JTAG(void) {
    return Guarded<int32_t>(0, [] { return SynchCpu(); });
}

void F_API_DLL_Directory(const char* directory) {
    GuardedVoid([&] {
        if (directory != nullptr) {
            Lib.ApiDirectory = directory;
        }
    });
}

int32_t F_Set_kvu_io_state(int32_t, int32_t, int32_t) {
    return Guarded<int32_t>(0, [] { return 1; });
}

int32_t F_Get_Device_Info(int32_t index) {
    return Guarded<int32_t>(-1, [&] { return DeviceInfoItem(index); });
}

int32_t F_Custom_Function(int32_t code) {
    return Guarded<int32_t>(0, [&] { return code == 1 || code == 2 ? -1 : 0; });
}

void LIB_Init(void* handle, uint32_t reason) {
    (void)handle; // the library finds its own file by its code, as at load
    GuardedVoid([&] { LibraryAttach(reinterpret_cast<const void*>(&LIB_Init), reason); });
}

} // extern "C"
#pragma GCC visibility pop
