#pragma once
// One parser for the three line formats of code files: TI-TXT, Motorola
// S-records and Intel HEX. It works on the line reader's current line.

#include <cstdint>

namespace core {

// Code-file formats (CodeFileFormat).
inline constexpr int32_t kFormatNone = 0;
inline constexpr int32_t kFormatTiTxt = 1;
inline constexpr int32_t kFormatMotorola = 2;
inline constexpr int32_t kFormatIntelHex = 3;
inline constexpr int32_t kFormatUbrof = 4;
inline constexpr int32_t kFormatIntelOrMotorola = 5; // ".a43", decided line by line
inline constexpr int32_t kFormatOut = 6;             // converted to Intel HEX first

// Results of CodeFileParseLine.
inline constexpr int32_t kLineDone = 1;
inline constexpr int32_t kLineEndRecord = 2;
inline constexpr int32_t kLineBad = -1;

// Parses LineReader.line (which starts at its first token) as format 1..3
// and stores its bytes with CodeImagePutByte(mode, ...). address is the
// running TI-TXT address, base the Intel extended base; both carry over from
// line to line. Returns kLineDone, kLineEndRecord, or kLineBad for a bad hex
// digit, a bad checksum, a record shorter than its count says, anything but
// blanks after an Intel or Motorola record's checksum (end records included),
// an unknown S-record type, an Intel type 02 or 04 record whose length is
// not 2, a TI-TXT "@" line whose address is not 1 to 8 hex digits or that
// holds more, and a TI-TXT data line that holds anything but bytes of two
// hex digits (a comment included). On kLineBad, why (when given) points to
// a few words that name the fault, e.g. "checksum error".
int32_t CodeFileParseLine(int32_t format, int32_t mode, uint32_t& address, uint32_t& base,
                          const char** why = nullptr);

// The count of a well-formed S5 line (the number of S1/S2/S3 records before
// it), or -1 when the line is no such record.
int32_t MotorolaCountRecord(const char* line);

} // namespace core
