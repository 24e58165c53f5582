#include "ubrof/fatal.h"

#include <cstdarg>
#include <cstdio>

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
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string message;
    if (length > 0) {
        message.resize(static_cast<size_t>(length));
        // vsnprintf writes the terminating NUL too; the string has room for
        // it at message[length].
        std::vsnprintf(message.data(), message.size() + 1, format, again);
    }
    va_end(again);
    UbrofFatal(message);
}

} // namespace ubrof
