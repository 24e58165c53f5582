#include "tests/gui/gui_fixture.h"

#include <cstdio>

namespace guitest {
namespace {

void Noted(const std::string& call) {
    ui::TranscriptAdd("debug " + call);
}

std::string Num(int32_t v) {
    return std::to_string(v);
}

const core::DebugApi kNoted = {
    [](const char* port, int32_t* version) {
        Noted(std::string("MSP430_Initialize(") + (port ? port : "") + ")");
        return sim::Sim_Initialize(port, version);
    },
    [](int32_t vccOff) {
        Noted("MSP430_Close(" + Num(vccOff) + ")");
        return sim::Sim_Close(vccOff);
    },
    [](char* buffer, int32_t count, int32_t setId) {
        Noted("MSP430_Identify");
        return sim::Sim_Identify(buffer, count, setId);
    },
    [](int32_t mode, int32_t value) {
        Noted("MSP430_Configure(" + Num(mode) + ", " + Num(value) + ")");
        return sim::Sim_Configure(mode, value);
    },
    [](int32_t millivolts) {
        Noted("MSP430_VCC(" + Num(millivolts) + ")");
        return sim::Sim_VCC(millivolts);
    },
    [](int32_t method, int32_t execute, int32_t release) {
        Noted("MSP430_Reset");
        return sim::Sim_Reset(method, execute, release);
    },
    [](int32_t type, int32_t address, int32_t length) {
        Noted("MSP430_Erase");
        return sim::Sim_Erase(type, address, length);
    },
    [](int32_t address, char* buffer, int32_t count, int32_t rw) {
        Noted("MSP430_Memory");
        return sim::Sim_Memory(address, buffer, count, rw);
    },
    [] {
        Noted("MSP430_Secure");
        return sim::Sim_Secure();
    },
    [] { return sim::Sim_Error_Number(); },
    [](int32_t n) { return sim::Sim_Error_String(n); },
    [](int32_t address, int32_t length, char* buffer) {
        Noted("MSP430_VerifyMem");
        return sim::Sim_VerifyMem(address, length, buffer);
    },
    [](int32_t address, int32_t length) {
        Noted("MSP430_EraseCheck");
        return sim::Sim_EraseCheck(address, length);
    },
    [](int32_t index, char** name, int32_t* status) {
        Noted("MSP430_GetNameOfUsbIf");
        return sim::Sim_GetNameOfUsbIf(index, name, status);
    },
    [](int32_t* count) {
        Noted("MSP430_GetNumberOfUsbIfs");
        return sim::Sim_GetNumberOfUsbIfs(count);
    },
    [](int32_t* version) {
        Noted("MSP430_FET_GetFwVersion");
        return sim::Sim_FET_GetFwVersion(version);
    },
    [](const char* file, MSP430_FwUpdateCallback callback, void* context) {
        Noted("MSP430_FET_FwUpdate");
        return sim::Sim_FET_FwUpdate(file, callback, context);
    },
    [](int32_t* value, int32_t reg, int32_t rw) { return sim::Sim_RegisterAccess(value, reg, rw); },
    [](int32_t mode, int32_t release) { return sim::Sim_RunCpu(mode, release); },
    [](int32_t* state, int32_t stop, int32_t* cycles) {
        return sim::Sim_CpuState(state, stop, cycles);
    },
    [](int32_t* millivolts) { return sim::Sim_ReadSupply(millivolts); },
};

} // namespace

const core::DebugApi& NotedSimApi() {
    return kNoted;
}

std::vector<std::string> LinesWith(const std::vector<std::string>& fragments) {
    std::vector<std::string> out;
    for (const std::string& line : ui::TranscriptLines()) {
        for (const std::string& f : fragments) {
            if (line.find(f) != std::string::npos) {
                out.push_back(line);
                break;
            }
        }
    }
    return out;
}

} // namespace guitest
