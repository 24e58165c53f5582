#include "core/code_image.h"
#include "steps/steps.h"

namespace steps {

CodeSize CodeSizeCheck(const StepPort& port, const StepOptions& options, bool outsideNamedAtLoad) {
    const core::ImageFit fit = core::ProgramImageFit();
    const bool pastSelected = options.sizeWarnsPastSelected && core::CodeImageFitsDevice() == 0;
    if (fit == core::ImageFit::Fits && !pastSelected) {
        return CodeSize::Fits;
    }
    if (port.Prompts() && port.ShowsBoxes()) {
        return CodeSize::Ask;
    }
    if (fit == core::ImageFit::Fits) {
        return CodeSize::GoOnWarned; // every byte is written, only not where the row has flash
    }
    // Nobody to ask: the write goes on only over bytes the host was told
    // of when it loaded them; anything else would end in a success for
    // code that never reached the target.
    return fit == core::ImageFit::OutsideDevice && outsideNamedAtLoad ? CodeSize::GoOnWarned
                                                                      : CodeSize::Refuse;
}

} // namespace steps
