// The history file as any bytes: loading, the listing, the report counts,
// the export and the next SN. Type and byte mode come from the first byte.

#include "core/core_state.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "gui/sn_report.h"
#include "platform/local_time.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_sn_history." + std::to_string(::getpid());
    if (size < 1) {
        return 0;
    }
    core::CoreStateReset();
    gui::SerialNumber.Reset();
    core::Settings.Reset();
    core::Settings.SerializationEnable = 1;
    core::Settings.SNDispFormatIndex = data[0] & 7;
    core::Settings.SNMemFormatIndex = (data[0] >> 3) % 5;
    core::Settings.Custom_SN_size = 4 + 2 * ((data[0] >> 6) & 3);
    core::Settings.SNFilePathAndName = path;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return 0;
    }
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);

    const gui::SnReportStats st = gui::SnReportBuild();
    if (st.newCount + st.unmodified + st.manual + st.overwritten < 0 || st.highestLine > st.lines) {
        __builtin_trap();
    }
    (void)gui::SnReportExportText(15);
    gui::SerialNumberPrepareNext();
    const std::string coming = gui::SerialNumberFormat();
    if (gui::SerialNumberFromText(coming) == 1) {
        std::string back;
        (void)gui::SnDecodeBytes(core::SerialData.SerialNumberBytes, back);
        (void)gui::SnHistoryContains(back);
    }
    std::remove(path.c_str());
    return 0;
}
