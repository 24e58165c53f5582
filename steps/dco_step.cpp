#include "core/code_image.h"
#include "core/flash_read.h"
#include "core/flash_state.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

namespace steps {

StepResult DcoConstantsCheck(StepPort& port) {
    port.Report(kDcoLine);
    // Bytes that could not be read are never judged: a failed read fails.
    bool ok = core::TargetReadRange(core::kDcoStart, core::kDcoSize) == 1;
    for (int32_t a = core::kDcoStart; ok && a < core::kDcoStart + core::kDcoSize; a += 2) {
        const uint8_t* b = core::Images.ReadImage + core::ImageIndex(a);
        const uint32_t word = b[0] | (static_cast<uint32_t>(b[1]) << 8);
        // An erased or cleared word is no calibration.
        ok = word != 0x0000 && word != 0xFFFF;
    }
    const StepResult result = PassedIf(ok);
    ReportDoneFailed(port, result);
    return result;
}

} // namespace steps
