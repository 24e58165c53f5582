#include "ubrof/checksum.h"

namespace ubrof {

namespace {

constexpr uint16_t kPolynomial = 0x8005;

constexpr UbrofChecksum::Table MakeTable() {
    UbrofChecksum::Table table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) ? ((crc << 1) ^ kPolynomial) : (crc << 1);
        }
        table[i] = static_cast<uint16_t>(crc & 0xFFFF);
    }
    return table;
}

constexpr uint8_t Reverse8(unsigned byte) {
    unsigned reversed = 0;
    for (int bit = 0; bit < 8; ++bit) {
        reversed = (reversed << 1) | ((byte >> bit) & 1);
    }
    return static_cast<uint8_t>(reversed);
}

constexpr UbrofChecksum::Table MakeReflectedTable() {
    const UbrofChecksum::Table plain = MakeTable();
    UbrofChecksum::Table table{};
    for (unsigned i = 0; i < 256; ++i) {
        table[i] = plain[Reverse8(i)];
    }
    return table;
}

} // namespace

constinit const UbrofChecksum::Table UbrofChecksum::kTable = MakeTable();
constinit const UbrofChecksum::Table UbrofChecksum::kReflectedTable = MakeReflectedTable();

} // namespace ubrof
