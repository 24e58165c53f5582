#pragma once
// The one progress operation of the core's long target loops. The
// deliverable installs it (Quillbay's main window sets its progress bar,
// Quillcore's report layer its dialog); without one, progress goes nowhere.

#include <cstdint>

namespace core {

// Receives a percentage and the context given at installation.
using ProgressOperation = void (*)(int32_t percent, void* context);

struct ProgressState {
    ProgressOperation operation = nullptr;
    void* context = nullptr;

    void Reset() { *this = ProgressState{}; }
};

extern ProgressState Progress;

// Installs op (nullptr: none) with its context.
void ProgressOperationSet(ProgressOperation op, void* context);

// Hands percent to the installed operation, if any.
void ProgressReport(int32_t percent);

} // namespace core
