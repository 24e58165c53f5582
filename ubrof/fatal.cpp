#include "ubrof/fatal.h"

#include "platform/c_locale.h"

#include <cstdarg>

namespace ubrof {

void UbrofFatal(const std::string& message) {
    throw UbrofFormatError(message);
}

void UbrofCheck(bool condition, const char* format, ...) {
    if (condition) {
        return;
    }
    std::va_list args;
    va_start(args, format);
    std::string message = platform::FormatCv(format, args);
    va_end(args);
    UbrofFatal(message);
}

} // namespace ubrof
