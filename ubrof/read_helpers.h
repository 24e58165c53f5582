#pragma once

#include <cstdint>
#include <ctime>
#include <istream>
#include <string>
#include <vector>

namespace ubrof {

// Big-endian and LEB128 number readers over the UBROF input stream. Every
// byte goes through the stream (and so through the running checksum). A file
// that ends inside a field is a format error ("Unexpected end of UBROF file").
//
// Lengths and counts from the file are checked against in_avail() before
// anything is allocated or skipped; UbrofInputStream answers it with the
// bytes left in the file (a buffer that cannot tell answers 0, and then the
// reads themselves stop at the end).
namespace UbrofReadHelpers {

uint8_t Byte(std::istream& in);
uint16_t U16(std::istream& in);
uint32_t U32(std::istream& in);
// Unsigned LEB128 of at most five bytes whose value fits 32 bits.
uint32_t Uleb(std::istream& in);
// Uleb when the index width flag is 1, else U16.
uint32_t Index(std::istream& in, uint8_t indexWidth);
// Six bytes: second, minute, hour, day, month (1 = January), years since 1900.
std::time_t Time(std::istream& in);
std::string String8(std::istream& in);
std::string String16(std::istream& in);
std::vector<uint8_t> Bytes(std::istream& in, uint32_t count);
// Reads count bytes and drops them.
void Skip(std::istream& in, uint64_t count);
// Uleb length, then that many bytes.
std::vector<uint8_t> Body(std::istream& in);

// Format error unless the stream still holds count bytes.
void CheckLeft(std::istream& in, uint64_t count);

} // namespace UbrofReadHelpers

// The calendar time (local time, daylight saving as the system decides) of
// the six time bytes of a UBROF file.
std::time_t UbrofCalendarTime(const uint8_t fields[6]);

} // namespace ubrof
