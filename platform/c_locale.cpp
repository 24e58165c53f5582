#include "platform/c_locale.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>

namespace platform {

namespace {

// The C locale as an object of its own, made once; it is never changed
// and lives as long as the process.
locale_t CLocale() {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// This thread in the C locale for the guard's life. Only the thread's own
// locale changes: other threads and the process locale never see it.
class ThreadInCLocale {
public:
    ThreadInCLocale() {
        const locale_t c = CLocale();
        // glibc's "C" object always exists; without one the thread's locale
        // stays, which for a thread that never set one is the process's.
        previous_ = c != static_cast<locale_t>(nullptr) ? ::uselocale(c) : nullptr;
    }
    ~ThreadInCLocale() {
        if (previous_ != static_cast<locale_t>(nullptr)) {
            ::uselocale(previous_);
        }
    }
    ThreadInCLocale(const ThreadInCLocale&) = delete;
    ThreadInCLocale& operator=(const ThreadInCLocale&) = delete;

private:
    locale_t previous_;
};

} // namespace

std::string FormatCv(const char* format, std::va_list args) {
    const ThreadInCLocale inC;
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length));
        // vsnprintf writes the terminating NUL too: text[length] holds it.
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    }
    va_end(again);
    return text;
}

std::string FormatC(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = FormatCv(format, args);
    va_end(args);
    return text;
}

ProcessLocaleKeeper::ProcessLocaleKeeper() {
    const char* now = std::setlocale(LC_ALL, nullptr);
    found_ = now != nullptr ? now : "";
}

ProcessLocaleKeeper::~ProcessLocaleKeeper() {
    const char* now = std::setlocale(LC_ALL, nullptr);
    if (found_.empty() || (now != nullptr && found_ == now)) {
        return;
    }
    std::setlocale(LC_ALL, found_.c_str());
}

} // namespace platform
