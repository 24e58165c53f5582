#include "platform/os_error.h"

#include <cerrno>

namespace platform {

SystemErrorState SystemError;

int32_t WindowsErrorFromErrno(int error_number) {
    switch (error_number) {
    case 0:
        return kErrorSuccess;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return kErrorFileNotFound;
    case EBUSY:
    case EWOULDBLOCK:
        // A serial port held by another program opens with "access denied"
        // on the original platform; the connect turns that into "in use".
        return kErrorAccessDenied;
    case EACCES:
    case EPERM:
    case EROFS:
        return kErrorPrivilegeNotHeld;
    case EBADF:
        return kErrorInvalidHandle;
    case EINVAL:
        return kErrorInvalidParameter;
    default:
        return kErrorGenFailure;
    }
}

} // namespace platform
