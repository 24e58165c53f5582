// Feeds arbitrary bytes to the INI reader as a settings file. The first
// byte picks the buffer size; section and key are the fixed ones of the
// debug library's settings and a pair taken from the text itself. A value
// must always fit the buffer, and a file without the key must give the
// default.

#include "platform/ini_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const std::string& ScratchFile() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir != nullptr ? dir : "/tmp") + "/fuzz_ini_file." +
               std::to_string(::getpid()) + ".ini";
    }();
    return path;
}

void Check(const std::string& path, const std::string& section, const std::string& key,
           size_t buffer_size, bool has_equals) {
    const std::string value =
        platform::IniReadString(path, section, key, "0xFFFFFFFF", buffer_size);
    if (buffer_size == 0 ? !value.empty() : value.size() > buffer_size - 1) {
        std::abort();
    }
    if (!has_equals && buffer_size > 10 && value != "0xFFFFFFFF") {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const size_t buffer_size = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string& path = ScratchFile();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return 0;
    }
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);

    const bool has_equals = text.find('=') != std::string::npos;
    Check(path, "IF_PROTOCOL", "PROTOCOL", buffer_size, has_equals);
    // A section and a key out of the text: its first two lines.
    const size_t nl = text.find('\n');
    const std::string first = text.substr(0, nl);
    const std::string second = nl == std::string::npos ? "" : text.substr(nl + 1, 16);
    Check(path, first, second, buffer_size, has_equals);
    std::remove(path.c_str());
    return 0;
}
