#pragma once
// The names a debug library exports and the binding looks up, written out
// here once for the tests that check exports and lookups against them.

#include <array>

namespace testsupport {

inline constexpr std::array<const char*, 21> kDebugEntryNames = {
    "MSP430_Initialize",
    "MSP430_Close",
    "MSP430_Identify",
    "MSP430_Configure",
    "MSP430_VCC",
    "MSP430_Reset",
    "MSP430_Erase",
    "MSP430_Memory",
    "MSP430_Secure",
    "MSP430_Error_Number",
    "MSP430_Error_String",
    "MSP430_VerifyMem",
    "MSP430_EraseCheck",
    "MSP430_GetNameOfUsbIf",
    "MSP430_GetNumberOfUsbIfs",
    "MSP430_FET_GetFwVersion",
    "MSP430_FET_FwUpdate",
    "MSP430_RegisterAccess",
    "MSP430_RunCpu",
    "MSP430_CpuState",
    "MSP430_ReadSupply",
};

} // namespace testsupport
