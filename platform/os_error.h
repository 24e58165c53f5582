#pragma once
// The debug library reports OS failures with the Windows error numbers its
// callers already map (2 not found -> adapter error 57, 5 access denied ->
// 58, 259 end of a device list). This layer translates errno into them and
// keeps the process-wide "last system error" that those callers read.

#include <cstdint>

namespace platform {

inline constexpr int32_t kErrorSuccess = 0;
inline constexpr int32_t kErrorFileNotFound = 2;
inline constexpr int32_t kErrorAccessDenied = 5;
inline constexpr int32_t kErrorInvalidHandle = 6;
inline constexpr int32_t kErrorGenFailure = 31;
inline constexpr int32_t kErrorSharingViolation = 32;
inline constexpr int32_t kErrorInvalidParameter = 87;
inline constexpr int32_t kErrorNoMoreItems = 259;
// A permission problem is not "in use": it gets its own number so that the
// connect reports a general open failure instead of a busy adapter.
inline constexpr int32_t kErrorPrivilegeNotHeld = 1314;

// Windows error number for an errno value of a failed open or I/O call.
int32_t WindowsErrorFromErrno(int error_number);

struct SystemErrorState {
    int32_t last_error = kErrorSuccess;
    void Reset() { *this = SystemErrorState{}; }
};
extern SystemErrorState SystemError;

inline void SetLastSystemError(int32_t code) {
    SystemError.last_error = code;
}
inline int32_t LastSystemError() {
    return SystemError.last_error;
}

} // namespace platform
