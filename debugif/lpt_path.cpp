#include "debugif/lpt_path.h"

#include "debugif/api_state.h"
#include "debugif/error_numbers.h"
#include "debugif/uif_command_state.h"

namespace debugif {

namespace {

constexpr int32_t kMaximumSupply = 3600;

int32_t NoPort() {
    Api.LastErrorNumber = kErrorInitialize;
    return -1;
}

} // namespace

int32_t LptInitialize(const char*, int32_t* version) {
    Api.ProtocolSetting = 0;
    Api.BslUnlock = 0;
    if (version != nullptr) {
        *version = kUifBootloaderVersion;
    }
    return NoPort();
}

int32_t LptClose(int32_t) {
    return NoPort();
}

int32_t LptIdentify(char*, int32_t, int32_t) {
    return NoPort();
}

int32_t LptConfigure(int32_t, int32_t) {
    return NoPort();
}

int32_t LptSetVcc(int32_t millivolts) {
    if (millivolts < 0 || millivolts > kMaximumSupply) {
        Api.LastErrorNumber = kErrorInvalidParameter;
        return -1;
    }
    return NoPort();
}

int32_t LptReset(int32_t, int32_t, int32_t) {
    return NoPort();
}

int32_t LptErase(int32_t, int32_t, int32_t) {
    return NoPort();
}

int32_t LptMemory(int32_t, uint8_t*, int32_t, int32_t) {
    return NoPort();
}

int32_t LptRun(int32_t, int32_t) {
    return NoPort();
}

int32_t LptState(int32_t*, int32_t, int32_t*) {
    return NoPort();
}

int32_t LptVerifyMem(int32_t, int32_t, int32_t, int32_t) {
    return NoPort();
}

} // namespace debugif
