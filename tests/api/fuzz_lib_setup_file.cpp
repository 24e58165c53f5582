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
#include <unistd.h>

namespace {

std::string ScratchFile() {
    char templ[] = "/tmp/quill-fuzz-setup-XXXXXX";
    const int fd = ::mkstemp(templ);
    if (fd < 0) {
        std::abort();
    }
    ::close(fd);
    return templ;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static api_test::StepClock clock;
    static const std::string path = [] {
        core::CoreStateReset();
        platform::SetClockSource(&clock);
        core::DeviceTableParse(core::kDeviceFilterAll);
        api::Initialization();
        return ScratchFile();
    }();
    if (size == 0) {
        return 0;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::abort();
    }
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);

    api::LibKeysDefault();
    api::SetupFileLoad((data[0] & 1) != 0 ? api::kSetupStartUp : 0, path);

    for (const api::LibIntKey* k = api::LibIntKeyTable; k->variable != nullptr; ++k) {
        const int32_t max = k->maximum < 0 ? api::LibSettings.DeviceCount : k->maximum;
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
