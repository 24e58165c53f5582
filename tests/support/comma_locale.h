#pragma once
// A locale in force for a test's life, built once per test program with
// localedef into a temporary folder found through LOCPATH, so no installed
// locale is needed (localedef and the locale sources come with the package
// "locales"). The test fails, never skips, when it cannot be had: check
// InForce(). The destructor puts the process locale and LOCPATH back.
// CommaLocale: de_DE.UTF-8, with its decimal comma. TurkishLocale:
// tr_TR.UTF-8, whose case folding of 'i' and 'I' is not ASCII's.

#include "tests/support/temp_dir.h"

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <sys/wait.h>

namespace testsupport {

inline constexpr const char* kCommaLocaleName = "de_DE.UTF-8";

class BuiltLocale {
public:
    // source: the locale source ("de_DE"); the locale is named source.UTF-8.
    explicit BuiltLocale(const std::string& source) : name_(source + ".UTF-8") {
        const char* locale = std::setlocale(LC_ALL, nullptr);
        saved_ = locale != nullptr ? locale : "C";
        const char* path = std::getenv("LOCPATH");
        hadPath_ = path != nullptr;
        savedPath_ = hadPath_ ? path : "";
        if (!Build(source)) {
            why_ = "localedef could not build " + name_;
            return;
        }
        ::setenv("LOCPATH", Folder().c_str(), 1);
        if (std::setlocale(LC_ALL, name_.c_str()) == nullptr) {
            why_ = name_ + " built but not taken";
        }
    }
    ~BuiltLocale() {
        std::setlocale(LC_ALL, saved_.c_str());
        if (hadPath_) {
            ::setenv("LOCPATH", savedPath_.c_str(), 1);
        } else {
            ::unsetenv("LOCPATH");
        }
    }
    BuiltLocale(const BuiltLocale&) = delete;
    BuiltLocale& operator=(const BuiltLocale&) = delete;

    // The locale is in force (and, for a subclass, has what it is for).
    bool InForce() const { return why_.empty(); }
    const std::string& Why() const { return why_; }
    // The folder LOCPATH names while a built locale is in force.
    static const std::string& Folder() {
        static const std::unique_ptr<TempDir> dir = std::make_unique<TempDir>();
        static const std::string path = dir->path().string();
        return path;
    }

protected:
    std::string why_;

private:
    // Builds source.UTF-8 into Folder(), once per program and locale.
    static bool Build(const std::string& source) {
        static std::map<std::string, bool> built;
        const auto found = built.find(source);
        if (found != built.end()) {
            return found->second;
        }
        const std::string target = Folder() + "/" + source + ".UTF-8";
        const std::string command =
            "localedef -i " + source + " -f UTF-8 '" + target + "' >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        // Exit status 1: warnings only, the locale is written.
        const bool ok = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) <= 1 &&
                        std::filesystem::is_directory(target);
        built[source] = ok;
        return ok;
    }

    std::string name_;
    std::string saved_;
    bool hadPath_ = false;
    std::string savedPath_;
};

class CommaLocale : public BuiltLocale {
public:
    CommaLocale() : BuiltLocale("de_DE") {
        if (InForce() && std::strcmp(std::localeconv()->decimal_point, ",") != 0) {
            why_ = std::string(kCommaLocaleName) + " has no decimal comma";
        }
    }
};

class TurkishLocale : public BuiltLocale {
public:
    TurkishLocale() : BuiltLocale("tr_TR") {
        // The C library folds 'i' to no ASCII 'I' here: that is the point.
        if (InForce() && std::toupper('i') == 'I') {
            why_ = "tr_TR.UTF-8 folds 'i' as ASCII does";
        }
    }
};

} // namespace testsupport
