#include "gui/project/project_scrambler.h"

#include <algorithm>
#include <cstring>

namespace gui {

ProjectScramblerState ProjectScrambler;

const uint8_t ProjectScramblerTableA[32] = {
    0x5A, 0x1C, 0x9E, 0x33, 0x77, 0xB0, 0x4D, 0x21, 0xE8, 0xF6, 0x02, 0x6B, 0x9D, 0x44, 0x31, 0xC7,
    0xA5, 0xE0, 0x1F, 0x88, 0x66, 0xD2, 0x3B, 0x9C, 0x40, 0x71, 0xFA, 0xE2, 0x5C, 0x8D, 0x39, 0xB6};

const uint8_t ProjectScramblerTableT[16] = {0xC3, 0xF0, 0x19, 0x7A, 0x2E, 0x84, 0xB6, 0x5D,
                                            0x0F, 0x91, 0x3A, 0xE7, 0x28, 0x6C, 0x4D, 0xB1};

void ProjectScramblerState::Reset() {
    std::memcpy(S, ProjectScramblerTableA, sizeof S);
    CrcMode = kProjectCrcOutput;
    Crc = 0xFFFF;
    std::memset(CrcTable, 0, sizeof CrcTable);
}

void ProjectScramblerStart(std::string_view key, std::string_view tag) {
    ProjectScramblerState& s = ProjectScrambler;
    const int32_t crcMode = s.CrcMode;
    s.CrcMode = kProjectCrcNone;
    std::memcpy(s.S, ProjectScramblerTableA, sizeof s.S);
    const size_t tagCount = std::min(tag.size(), static_cast<size_t>(kProjectTagMax));
    for (size_t i = 0; i < tagCount; ++i) {
        s.S[20 + i] ^= static_cast<uint8_t>(tag[i]);
    }
    const size_t keyCount = std::min(key.size(), static_cast<size_t>(kProjectKeyMax));
    for (size_t i = 0; i < keyCount; ++i) {
        s.S[i] ^= static_cast<uint8_t>(key[i]);
    }
    for (int32_t i = 0; i < 32; ++i) {
        (void)ProjectScrambleChar(64);
    }
    s.CrcMode = crcMode;
}

uint8_t ProjectScrambleChar(uint8_t c) {
    ProjectScramblerState& s = ProjectScrambler;
    if (c == '\t') {
        c = ' ';
    }
    if (c < 32 || c > 159) {
        return c;
    }
    if (s.CrcMode == kProjectCrcInput) {
        ProjectCrcAdd(c);
    }
    const uint8_t x = s.S[31] ^ s.S[16] ^ s.S[7];
    const uint8_t k = ProjectScramblerTableT[x & 0xF] ^ ProjectScramblerTableT[(x >> 4) & 0xF];
    std::memmove(s.S + 1, s.S, sizeof s.S - 1);
    s.S[0] = k;
    const uint8_t out = static_cast<uint8_t>((((c - 32) ^ k) & 0x7F) + 32);
    if (s.CrcMode == kProjectCrcOutput) {
        ProjectCrcAdd(out);
    }
    return out;
}

void ProjectScrambleText(std::string_view in, std::string& out) {
    out.clear();
    for (const char c : in) {
        if (c == '\0') {
            break;
        }
        out.push_back(static_cast<char>(ProjectScrambleChar(static_cast<uint8_t>(c))));
    }
}

void ProjectCrcStart() {
    ProjectScramblerState& s = ProjectScrambler;
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i << 8;
        for (int32_t bit = 0; bit < 8; ++bit) {
            r = (r & 0x8000) ? (r << 1) ^ 0x1021 : r << 1;
        }
        s.CrcTable[i] = static_cast<uint16_t>(r);
    }
    s.Crc = 0xFFFF;
}

void ProjectCrcAdd(uint8_t b) {
    ProjectScramblerState& s = ProjectScrambler;
    s.Crc = ((s.Crc << 8) ^ s.CrcTable[((s.Crc >> 8) ^ b) & 0xFF]) & 0xFFFF;
}

} // namespace gui
