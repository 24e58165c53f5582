#pragma once
// Numbers as the C locale writes them (a point before the decimals, no
// grouping) whatever locale the process is in: a host program that loaded
// the library may have set any, and a toolkit sets the one its
// environment names. Reports, files and displays write numbers this way.

#include <cstdarg>
#include <string>

namespace platform {

// printf-style formatting in the C locale, on this thread only; the
// thread's locale is back as it was when it returns.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatCv(const char* format, std::va_list args) __attribute__((format(printf, 1, 0)));

// Keeps the process locale (every category) across code that sets its
// own, such as the making of a toolkit's application: the destructor puts
// back what the constructor found, if anything changed it.
class ProcessLocaleKeeper {
public:
    ProcessLocaleKeeper();
    ~ProcessLocaleKeeper();
    ProcessLocaleKeeper(const ProcessLocaleKeeper&) = delete;
    ProcessLocaleKeeper& operator=(const ProcessLocaleKeeper&) = delete;

private:
    std::string found_; // as setlocale(LC_ALL, nullptr) named it
};

} // namespace platform
