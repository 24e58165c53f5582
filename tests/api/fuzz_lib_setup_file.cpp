// Feeds arbitrary setup files to the library's setup reader, with and
// without the code and password files a "config.ini" may name: whatever the
// lines say, the settings stay inside their limits.

#include "api/api_state.h"
#include "api/lib_setup_file.h"
#include "api/lib_setup_keys.h"
#include "api/library_start.h"
#include "core/core_state.h"
#include "core/device_table.h"
#include "core/settings.h"
#include "platform/clock.h"
#include "tests/api/api_clock.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A file in memory, reached by a path: no disk between the runs.
int ScratchFd() {
    const int fd = ::memfd_create("quill-fuzz-setup", 0);
    if (fd < 0) {
        std::abort();
    }
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static api_test::StepClock clock;
    static const int fd = [] {
        core::CoreStateReset();
        platform::SetClockSource(&clock);
        core::DeviceTableParse(core::kDeviceFilterAll);
        api::Initialization();
        return ScratchFd();
    }();
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (size == 0) {
        return 0;
    }
    if (::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, data + 1, size - 1, 0) != static_cast<ssize_t>(size - 1)) {
        std::abort();
    }

    api::LibKeysDefault();
    api::SetupFileLoad((data[0] & 1) != 0 ? api::kSetupStartUp : 0, path);

    // A variable shared by two keys (InterfaceType and Interface) may hold
    // the larger of their maxima.
    for (const api::LibIntKey* k = api::LibIntKeyTable; k->variable != nullptr; ++k) {
        int32_t max = 0;
        for (const api::LibIntKey* o = api::LibIntKeyTable; o->variable != nullptr; ++o) {
            if (o->variable == k->variable) {
                const int32_t m = o->maximum < 0 ? api::LibSettings.DeviceCount : o->maximum;
                max = m > max ? m : max;
            }
        }
        if (*k->variable < 0 || *k->variable > max) {
            std::abort();
        }
    }
    for (const api::LibHexKey* k = api::LibHexKeyTable; k->variable != nullptr; ++k) {
        const int32_t v = *k->variable;
        if ((v < k->minimum || v > k->maximum) && v != k->defaultValue) {
            std::abort();
        }
    }
    const int32_t interface = api::LibSettings.Interface;
    if (interface != 0 && interface != 3) {
        std::abort();
    }
    return 0;
}
