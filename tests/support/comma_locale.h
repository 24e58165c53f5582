#pragma once
// A decimal-comma locale in force for a test's life: de_DE.UTF-8, built once
// per test program with localedef into a temporary folder found through
// LOCPATH, so no installed locale is needed (localedef and the locale
// sources come with the package "locales"). The test fails, never skips,
// when it cannot be had: check InForce(). The destructor puts the process
// locale and LOCPATH back.

#include "tests/support/temp_dir.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>

namespace testsupport {

inline constexpr const char* kCommaLocaleName = "de_DE.UTF-8";

class CommaLocale {
public:
    CommaLocale() {
        const char* locale = std::setlocale(LC_ALL, nullptr);
        saved_ = locale != nullptr ? locale : "C";
        const char* path = std::getenv("LOCPATH");
        hadPath_ = path != nullptr;
        savedPath_ = hadPath_ ? path : "";
        const std::string& folder = Folder();
        if (folder.empty()) {
            why_ = "localedef could not build " + std::string(kCommaLocaleName);
            return;
        }
        ::setenv("LOCPATH", folder.c_str(), 1);
        if (std::setlocale(LC_ALL, kCommaLocaleName) == nullptr) {
            why_ = std::string(kCommaLocaleName) + " built but not taken";
            return;
        }
        if (std::strcmp(std::localeconv()->decimal_point, ",") != 0) {
            why_ = std::string(kCommaLocaleName) + " has no decimal comma";
        }
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, saved_.c_str());
        if (hadPath_) {
            ::setenv("LOCPATH", savedPath_.c_str(), 1);
        } else {
            ::unsetenv("LOCPATH");
        }
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // The locale is in force and writes a decimal comma.
    bool InForce() const { return why_.empty(); }
    const std::string& Why() const { return why_; }
    // The folder LOCPATH names while the locale is in force.
    static const std::string& Folder() {
        static const std::unique_ptr<TempDir> dir = std::make_unique<TempDir>();
        static const std::string built = [] {
            const std::string target = dir->File(kCommaLocaleName);
            const std::string command =
                "localedef -i de_DE -f UTF-8 '" + target + "' >/dev/null 2>&1";
            const int status = std::system(command.c_str());
            // Exit status 1: warnings only, the locale is written.
            const bool ok = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) <= 1 &&
                            std::filesystem::is_directory(target);
            return ok ? dir->path().string() : std::string();
        }();
        return built;
    }

private:
    std::string saved_;
    bool hadPath_ = false;
    std::string savedPath_;
    std::string why_;
};

} // namespace testsupport
