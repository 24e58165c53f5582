#pragma once
// The one guard every export runs its work in: no C++ exception leaves the
// library; a caught one gives the export's failure value.

#include <cstdint>

namespace api {

struct ExportGuardHooks {
    // Called inside the guard before the work of every export (tests make
    // it throw).
    void (*beforeWork)() = nullptr;
};

extern ExportGuardHooks ExportGuard;

template <typename R, typename Work> R Guarded(R failure, Work&& work) noexcept {
    try {
        if (ExportGuard.beforeWork != nullptr) {
            ExportGuard.beforeWork();
        }
        return work();
    } catch (...) {
        return failure;
    }
}

template <typename Work> void GuardedVoid(Work&& work) noexcept {
    try {
        if (ExportGuard.beforeWork != nullptr) {
            ExportGuard.beforeWork();
        }
        work();
    } catch (...) {
    }
}

} // namespace api
