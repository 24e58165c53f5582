// Any bytes as a ".d43" file: the conversion must end with a result, never
// crash, hang or leak; a failed conversion leaves no text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "ubrof/convert.h"

using namespace ubrof;

namespace {

std::string FilePath() {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/fuzz-ubrof-" +
           std::to_string(getpid()) + ".d43";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = FilePath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    if (size != 0 && std::fwrite(data, 1, size, file) != size) {
        std::abort();
    }
    std::fclose(file);
    std::string text = "before";
    const int result = UbrofFileConvert(path, text);
    // Gone after every input, so that no run leaves a file behind.
    std::remove(path.c_str());
    if (result != 1 && (result != 0 || !text.empty())) {
        std::abort();
    }
    return 0;
}
