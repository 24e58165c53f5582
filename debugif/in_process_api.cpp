#include "debugif/in_process_api.h"

namespace debugif {

void FillInProcessDebugApi(core::DebugApi& api) {
    api = core::DebugApi{};
    api.Initialize = &MSP430_Initialize;
    api.Close = &MSP430_Close;
    api.Identify = &MSP430_Identify;
    api.Configure = &MSP430_Configure;
    api.VCC = &MSP430_VCC;
    api.Reset = &MSP430_Reset;
    api.Erase = &MSP430_Erase;
    api.Memory = &MSP430_Memory;
    api.Secure = &MSP430_Secure;
    api.VerifyMem = &MSP430_VerifyMem;
    api.EraseCheck = &MSP430_EraseCheck;
    api.GetNameOfUsbIf = &MSP430_GetNameOfUsbIf;
    api.GetNumberOfUsbIfs = &MSP430_GetNumberOfUsbIfs;
    api.RegisterAccess = &MSP430_RegisterAccess;
    api.RunCpu = &MSP430_RunCpu;
    api.CpuState = &MSP430_CpuState;
    api.ReadSupply = &MSP430_ReadSupply;
    api.FET_GetFwVersion = &MSP430_FET_GetFwVersion;
}

const core::DebugApi& InProcessDebugApi() {
    static const core::DebugApi api = [] {
        core::DebugApi a{};
        FillInProcessDebugApi(a);
        return a;
    }();
    return api;
}

} // namespace debugif
