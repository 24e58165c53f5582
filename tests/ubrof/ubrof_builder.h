#pragma once

// Writes UBROF files for the tests, record by record, in the encodings of
// versions 9 and 10. Independent of the reader: it has its own number
// encoders and its own bitwise checksum.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace ubrof_test {

using Bytes = std::vector<uint8_t>;

// CRC-16, polynomial 0x8005, initial value 0, computed bit by bit: a
// most-significant-first register into which each byte's bits go least
// significant bit first.
uint16_t BitwiseCrc16(const uint8_t* data, size_t size, uint16_t crc = 0);
// The fully reflected CRC-16 (right-shifting register, polynomial 0xA001).
uint16_t ReflectedCrc16(const uint8_t* data, size_t size);

Bytes EncodeUleb(uint64_t value);

class UbrofBuilder {
public:
    // Indexes are 16-bit until a version record above 9 is written.
    UbrofBuilder& Version(int major, int minor = 0, int patch = 0,
                          std::initializer_list<std::pair<uint8_t, uint8_t>> skips = {});
    UbrofBuilder& Module(const std::string& name, uint8_t tag = 0x00);
    UbrofBuilder& Address(uint32_t offset, uint8_t segmentCode = 0);
    UbrofBuilder& Data(const Bytes& bytes);
    // Data record of count bytes 0, 1, 2, ... (mod 256).
    UbrofBuilder& DataCount(size_t count);
    UbrofBuilder& Checksum(uint16_t stored);
    UbrofBuilder& ChecksumWithPrefix(uint16_t stored);
    // A checksum record (0x3F) storing the true running checksum.
    UbrofBuilder& ValidChecksum();
    // The same with the six-byte prefix (0x3D), which the checksum covers.
    UbrofBuilder& ValidChecksumWithPrefix();
    UbrofBuilder& Empty();
    // A t_type record of the given sub tag; every index of the layout takes
    // the next value of indexes, round and round.
    UbrofBuilder& TType(uint8_t subTag, std::initializer_list<uint32_t> indexes = {7});
    UbrofBuilder& TwoNames(const std::string& first, const std::string& second);
    UbrofBuilder& U16Record(uint8_t tag, uint16_t value); // 0x4F, 0x53
    UbrofBuilder& ByteRecord(uint8_t value);              // 0x52
    UbrofBuilder& U16AndName(uint16_t value, const std::string& name);
    UbrofBuilder& TimeStamp(int second, int minute, int hour, int day, int month, int year);
    UbrofBuilder& TwelveBytes();
    UbrofBuilder& U32Record(uint32_t value); // 0xC4
    // A declared record whose length is written as the skip code says.
    UbrofBuilder& Declared(uint8_t tag, uint16_t skipCode, size_t length);
    // A debug record (0xD4, 0xD5, 0xD6, 0xD9): LEB128 length and body.
    UbrofBuilder& DebugRecord(uint8_t tag, const Bytes& body);
    UbrofBuilder& Tag(uint8_t tag);
    UbrofBuilder& End() { return Tag(0xFF); }
    // Closes the file as a linker does: a checksum record over the bytes
    // since the last one, then the end tag as the last byte.
    UbrofBuilder& Close() { return ValidChecksum().End(); }

    UbrofBuilder& Raw(const Bytes& bytes);
    UbrofBuilder& U8(uint8_t value);
    UbrofBuilder& U16(uint16_t value);
    UbrofBuilder& U32(uint32_t value);
    UbrofBuilder& Uleb(uint64_t value);
    UbrofBuilder& Index(uint32_t value);

    const Bytes& bytes() const { return bytes_; }
    // Drops the last count bytes (a file cut short).
    UbrofBuilder& Truncate(size_t count);
    // Writes the file and returns its path.
    std::string WriteFile(const std::string& path) const;

private:
    uint32_t NextIndex();

    Bytes bytes_;
    size_t checksumStart_ = 0;
    bool wideIndexes_ = false;
    std::vector<uint32_t> indexes_;
    size_t nextIndex_ = 0;
};

// A path in the test's temporary folder, unique per call.
std::string TempPath(const std::string& stem);
// A temporary file with the given bytes, removed again with the object.
class TempFile {
public:
    explicit TempFile(const Bytes& bytes, const std::string& stem = "ubrof");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace ubrof_test
