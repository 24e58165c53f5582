#include "tests/ubrof/ubrof_sample_files.h"

#include <algorithm>

namespace ubrof_test {

UbrofBuilder MegabyteFile() {
    UbrofBuilder file;
    file.Version(10, 0, 0, {{0xBE, 252}}).Module("bench");
    uint32_t address = 0x10000;
    while (file.bytes().size() < (1u << 20)) {
        file.Address(address);
        for (int i = 0; i < 16; ++i) {
            file.DataCount(255);
            address += 255;
        }
        file.DebugRecord(0xD5, Bytes(24, 1)).Declared(0xBE, 252, 16);
        file.ValidChecksum();
    }
    return file;
}

UbrofBuilder ImageFile(const Bytes& image, uint32_t start) {
    UbrofBuilder file;
    file.Version(10).Module("bench").Address(start);
    for (size_t at = 0; at < image.size(); at += 255) {
        const size_t n = std::min<size_t>(255, image.size() - at);
        file.Data(Bytes(image.begin() + static_cast<std::ptrdiff_t>(at),
                        image.begin() + static_cast<std::ptrdiff_t>(at + n)));
    }
    return std::move(file.End());
}

} // namespace ubrof_test
