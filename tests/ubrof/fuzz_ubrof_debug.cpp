// Code and debug records of a version-10 file in any order and with any
// bodies. A file that converts gives exactly the text of its code records;
// one that is refused gives no text and one of the readers' messages. The
// sanitizers, the time-out and the memory limit of the run catch deep
// chains and blown-up expressions.

#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/ubrof/fuzz_ubrof_debug_input.h"
#include "ubrof/convert.h"

using namespace ubrof;

namespace {

std::string FilePath(const char* stem) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + stem + "-" +
           std::to_string(getpid()) + ".d43";
}

bool Known(const std::string& message) {
    static const char* const exact[] = {
        "Unexpected end of UBROF record",
        "Illegal LEB128 number",
        "Unsupported call frame info common version",
        "Unsupported call frame info common augmentation",
        "Need common to use restore",
        "illegal CFI instruction",
        "More than one row in call frame info data",
        "CFI block chain too deep",
        "CFI remember state too deep",
        "Too many call frame info records: more than 1000000",
        "Unknown source line sequence tag",
        "File index out of range in source lines sequence info",
        "Directory index out of range in source lines file info",
        "Unknown statement info sub tag",
        "Cannot read statement info in format version other than 1",
        "Unknown flag in Read operation.",
    };
    for (const char* m : exact) {
        if (message == m) {
            return true;
        }
    }
    // Texts followed by a decimal number.
    static const char* const numbered[] = {
        "Unknown cfi sub tag: ",
        "OgUbrofCfi:ReadFrames - Unknown frame kind: ",
        "OgUbrofCfi - Unknown CFI Names record version: ",
        "No NAMES block defined for id ",
        "No Common block defined for id ",
        "OgUbrofCfi::Impl::ReadData - unknown data kind: ",
        "CFI resource number out of range: ",
        "CFI frame number out of range: ",
        "Too many CFI resources: ",
        "Multiple statement info COMMON blocks with id ",
    };
    for (const std::string m : numbered) {
        if (message.size() > m.size() && message.compare(0, m.size(), m) == 0 &&
            message.find_first_not_of("0123456789", m.size()) == std::string::npos) {
            return true;
        }
    }
    return false;
}

// Converts, with the reason in errors; the reader must write nothing to
// standard error, which is caught in memory to see that it stays empty.
int Convert(const std::string& path, std::string& text, std::string& errors) {
    static const int buffer = memfd_create("fuzz_ubrof_debug_stderr", 0);
    static const int saved = dup(2);
    // Standard error shares the buffer's offset: back to the start each time.
    if (buffer < 0 || saved < 0 || ftruncate(buffer, 0) != 0 || lseek(buffer, 0, SEEK_SET) != 0) {
        std::abort();
    }
    std::fflush(stderr);
    dup2(buffer, 2);
    const int result = UbrofFileConvert(path, text, errors);
    std::fflush(stderr);
    dup2(saved, 2);
    char chunk[1];
    if (pread(buffer, chunk, sizeof chunk, 0) != 0) {
        std::abort(); // something went to standard error
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string allPath = FilePath("fuzz-ubrof-debug");
    static const std::string codePath = FilePath("fuzz-ubrof-debug-code");
    ubrof_test::UbrofBuilder all;
    ubrof_test::UbrofBuilder code;
    ubrof_test::DecodeFuzzDebugInput(data, size, all, code);
    all.WriteFile(allPath);
    code.WriteFile(codePath);

    std::string codeText;
    std::string errors;
    if (Convert(codePath, codeText, errors) != 1 || !errors.empty()) {
        std::abort(); // the code records alone always convert
    }
    std::string text = "before";
    const int result = Convert(allPath, text, errors);
    std::remove(allPath.c_str());
    std::remove(codePath.c_str());
    if (result == 1) {
        if (text != codeText || !errors.empty()) {
            std::abort();
        }
    } else if (result != 0 || !text.empty() || !Known(errors)) {
        std::fprintf(stderr, "unexpected refusal: '%s'\n", errors.c_str());
        std::abort();
    }
    return 0;
}
