#include "core/progress.h"

namespace core {

ProgressState Progress;

void ProgressOperationSet(ProgressOperation op, void* context) {
    Progress.operation = op;
    Progress.context = context;
}

void ProgressReport(int32_t percent) {
    if (Progress.operation != nullptr) {
        Progress.operation(percent, Progress.context);
    }
}

} // namespace core
