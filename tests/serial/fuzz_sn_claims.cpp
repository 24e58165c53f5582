// The claims file beside an SN history as any bytes, with a small history
// of the same type: loading both, the next SN and the used-SN lookups.
// Every live claim is kept by its own key, and the lookup finds those of
// the current type. Type and byte mode come from the first byte.

#include "sn_fuzz_setup.h"

#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_claims.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "gui/sn_history_line.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_sn_claims." + std::to_string(::getpid());
    if (size < 1) {
        return 0;
    }
    const int32_t type = data[0] & 7;
    sn_fuzz::Settings(data[0], type);
    core::Settings.SNFilePathAndName = path;
    const std::string history = "F" + std::to_string(type) + " \t00000012 \t.\r\n";
    if (!sn_fuzz::FileWrite(path, reinterpret_cast<const uint8_t*>(history.data()),
                            history.size()) ||
        !sn_fuzz::FileWrite(gui::SnClaimsPath(path), data + 1, size - 1)) {
        return 0;
    }
    gui::SerialNumberPrepareNext();
    for (const auto& [key, record] : gui::SerialNumber.SnClaims.live) {
        const auto tokens = gui::SnLineTokens(record, 2);
        if (tokens.size() < 2 || gui::SnClaimKey(tokens[0], tokens[1]) != key) {
            __builtin_trap();
        }
        if (tokens[0][1] - '0' == type && gui::SnHistoryContains(tokens[1]) != 1) {
            __builtin_trap();
        }
    }
    // The coming SN packs or is refused, whatever the claims hold.
    (void)gui::SerialNumberFromText(gui::SnComingText());
    std::remove(gui::SnClaimsPath(path).c_str());
    std::remove(path.c_str());
    return 0;
}
