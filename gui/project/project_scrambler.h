#pragma once
// The keyed line scrambler of project files and the CRC-16 that guards them.
// Scrambling only keeps casual eyes off the file: anyone with the program
// (or this source) reads it back. It is not encryption.
//
// The register does not depend on the text, so the same start and the same
// sequence of calls turn a scrambled line back into plain text: reading uses
// the very operation that writing does.

#include <cstdint>
#include <string>
#include <string_view>

namespace gui {

// What the CRC takes while characters are scrambled.
inline constexpr int32_t kProjectCrcNone = -1;  // nothing
inline constexpr int32_t kProjectCrcInput = 0;  // each character as it comes in
inline constexpr int32_t kProjectCrcOutput = 1; // each character as it goes out

inline constexpr int32_t kProjectKeyMax = 16; // key characters the start takes
inline constexpr int32_t kProjectTagMax = 8;  // tag characters the start takes

struct ProjectScramblerState {
    uint8_t S[32];          // the register
    int32_t CrcMode;        // kProjectCrc...
    uint32_t Crc;           // the running CRC-16 (held in 32 bits)
    uint16_t CrcTable[256]; // built by each ProjectCrcStart

    ProjectScramblerState() { Reset(); }
    void Reset(); // register = A, CRC mode output, CRC 0xFFFF
};

extern ProjectScramblerState ProjectScrambler;

// The program's constant tables, as raw bytes.
extern const uint8_t ProjectScramblerTableA[32];
extern const uint8_t ProjectScramblerTableT[16];

// S = A, the tag's first 8 characters XORed into S[20..27], the key's first
// 16 into S[0..15], then 32 warm-up steps (their characters are dropped and
// not counted by the CRC; the CRC mode is kept).
void ProjectScramblerStart(std::string_view key, std::string_view tag);

// One character: TAB becomes a blank; characters outside 32..159 come back
// as they are and move nothing; others step the register and come back as
// another character of 32..159. The CRC takes the input or the output as its
// mode says.
uint8_t ProjectScrambleChar(uint8_t c);

// ProjectScrambleChar over each character of in, up to its end or a NUL.
void ProjectScrambleText(std::string_view in, std::string& out);

// CRC-16/CCITT-FALSE: the table is built afresh, the CRC set to 0xFFFF.
void ProjectCrcStart();
void ProjectCrcAdd(uint8_t b);

} // namespace gui
