// The SN list file as any bytes: the counters must add up to the entries
// read, and every accepted entry has the setup's length and no refused
// character. Type and byte mode come from the first byte.

#include "sn_fuzz_setup.h"

#include "core/core_state.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "gui/sn_list.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_sn_list." + std::to_string(::getpid());
    if (size < 1) {
        return 0;
    }
    sn_fuzz::Settings(data[0], (data[0] & 1) ? 7 : (data[0] & 7));
    core::Settings.SNFilePathAndName = path + ".missing";
    if (!sn_fuzz::FileWrite(path, data + 1, size - 1)) {
        return 0;
    }

    const int32_t accepted = gui::SnListLoad(path);
    const gui::SnPendingListState& list = gui::SerialNumber.SnPendingList;
    if (accepted > 0) {
        size_t pos = 0;
        std::string line;
        int32_t lines = 0;
        while (gui::SnTextLineRead(list.text, pos, line)) {
            ++lines;
            if (line.size() != static_cast<size_t>(core::Settings.Custom_SN_size)) {
                __builtin_trap();
            }
            for (char c : line) {
                if (!gui::SnCustomCharAllowed(c)) {
                    __builtin_trap();
                }
            }
        }
        if (lines != accepted || list.remaining != accepted) {
            __builtin_trap();
        }
        // Taking and retiring every entry empties the list, one at a time.
        for (int32_t left = accepted; left > 0; --left) {
            if (gui::SnListTakeFirst() != 1 ||
                gui::SnListRetireEntry(gui::SerialNumber.SnListText) != 1 ||
                gui::SnListCount() != left - 1) {
                __builtin_trap();
            }
        }
    }
    std::remove(path.c_str());
    return 0;
}
