#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ubrof {

// The segment codes of a UBROF file against the reader's internal segment
// kinds. The inverse (file code to kind, 0 for any code not in the table) is
// built on first use and kept for the life of the process.
struct UbrofCodeMap {
    static constexpr int kKinds = 17;
    static constexpr std::array<uint8_t, kKinds> kFileCode = {0, 1,  7,  2, 16, 13, 12, 14, 10,
                                                              8, 15, 11, 9, 3,  4,  5,  6};

    // The file code of an internal kind, -1 for a kind outside the table.
    static int Forward(int kind);
    // The internal kind of a file code.
    int Inverse(uint8_t code);
    void Reset();

    bool inverseBuilt = false;
    std::array<uint8_t, 256> inverse{};
};

extern UbrofCodeMap ubrofCodeMap;

// Puts every process-wide state of the UBROF reader back to its start.
void UbrofReset();

} // namespace ubrof
