#include "gui/sn_readback.h"

#include "core/code_image.h"
#include "core/flash_read.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_format.h"

#include <algorithm>

namespace gui {
namespace {

void ReadMaskSet(int32_t start, int32_t count) {
    for (int32_t a = start; a < start + count; a += 2) {
        if (core::InImage(a)) {
            core::Images.ReadMask[core::WordIndex(a)] = 1;
        }
    }
}

} // namespace

int32_t SerialNumberReadBack() {
    using core::Settings;
    SerialNumberState& s = SerialNumber;
    int32_t result = 0;
    if (Settings.ModelTextEnable == 1) {
        const int32_t size = std::clamp(Settings.ModelTextSize, 2, 32);
        const int32_t start = Settings.ModelTextStartAddr;
        if (start >= 0x1000 && start + size <= core::kImageEnd + 1) {
            ReadMaskSet(start, size);
            if (core::TargetReadRange(start, size) == 4) {
                return kReadBackFailed;
            }
            for (int32_t i = 0; i < size; ++i) {
                const uint8_t b = core::Images.ReadImage[core::ImageIndex(start + i)];
                core::SerialData.ModelTextBytes[core::kModelTextMax + i] = b;
                if (b != 0xFF) {
                    result = kReadBackNotEmpty;
                }
            }
        }
    }
    s.SnEditChoice = 2;
    if (Settings.SerializationEnable == 1) {
        const int32_t count =
            std::max(SnUsedSize(Settings.SNDispFormatIndex, Settings.SNMemFormatIndex,
                                Settings.Custom_SN_size),
                     1);
        const int32_t start = Settings.SNStartAddress;
        if (start >= 0x1000 && start <= core::kImageEnd + 1 - count) {
            ReadMaskSet(start, std::min(256, core::kImageEnd + 1 - start));
            if (core::TargetReadRange(start, count) == 4) {
                return kReadBackFailed;
            }
            bool found = false;
            for (int32_t i = 0; i < 256; ++i) {
                const int32_t a = start + i;
                s.SnReadBack[i] =
                    a <= core::kImageEnd ? core::Images.ReadImage[core::ImageIndex(a)] : 0xFF;
                found = found || (i < count && s.SnReadBack[i] != 0xFF);
            }
            if (found) {
                result |= kReadBackNotEmpty;
                s.SnStatus |= kSnStatusOverwritten;
                s.SnFoundFlag = 1;
                s.SnEditChoice = 1;
            }
            result |= SerialNumberFromMemory();
        }
    }
    return result;
}

} // namespace gui
