#include "tests/ubrof/ubrof_builder.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace ubrof_test {

uint16_t BitwiseCrc16(const uint8_t* data, size_t size, uint16_t crc) {
    for (size_t i = 0; i < size; ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            const unsigned in = (data[i] >> bit) & 1;
            const unsigned top = (crc >> 15) & 1;
            crc = static_cast<uint16_t>(crc << 1);
            if (top ^ in) {
                crc ^= 0x8005;
            }
        }
    }
    return crc;
}

uint16_t ReflectedCrc16(const uint8_t* data, size_t size) {
    uint16_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<uint16_t>(crc >> 1);
        }
    }
    return crc;
}

Bytes EncodeUleb(uint64_t value) {
    Bytes out;
    do {
        uint8_t b = value & 0x7F;
        value >>= 7;
        if (value != 0) {
            b |= 0x80;
        }
        out.push_back(b);
    } while (value != 0);
    return out;
}

UbrofBuilder& UbrofBuilder::Raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

UbrofBuilder& UbrofBuilder::U8(uint8_t value) {
    bytes_.push_back(value);
    return *this;
}

UbrofBuilder& UbrofBuilder::U16(uint16_t value) {
    return U8(static_cast<uint8_t>(value >> 8)).U8(static_cast<uint8_t>(value));
}

UbrofBuilder& UbrofBuilder::U32(uint32_t value) {
    return U16(static_cast<uint16_t>(value >> 16)).U16(static_cast<uint16_t>(value));
}

UbrofBuilder& UbrofBuilder::Uleb(uint64_t value) {
    return Raw(EncodeUleb(value));
}

UbrofBuilder& UbrofBuilder::Index(uint32_t value) {
    return wideIndexes_ ? Uleb(value) : U16(static_cast<uint16_t>(value));
}

UbrofBuilder& UbrofBuilder::Tag(uint8_t tag) {
    return U8(tag);
}

UbrofBuilder& UbrofBuilder::Version(int major, int minor, int patch,
                                    std::initializer_list<std::pair<uint8_t, uint8_t>> skips) {
    Tag(0xBD).U8(static_cast<uint8_t>(major)).U8(static_cast<uint8_t>(minor));
    U8(static_cast<uint8_t>(patch)).U8(static_cast<uint8_t>(skips.size()));
    for (const auto& [tag, code] : skips) {
        U8(tag).U8(code);
    }
    wideIndexes_ = major > 9;
    return *this;
}

UbrofBuilder& UbrofBuilder::Module(const std::string& name, uint8_t tag) {
    Tag(tag).Raw({1, 2, 3, 4, 5, 6}).U8(static_cast<uint8_t>(name.size()));
    return Raw(Bytes(name.begin(), name.end()));
}

UbrofBuilder& UbrofBuilder::Address(uint32_t offset, uint8_t segmentCode) {
    return Tag(0x51).U8(segmentCode).U32(offset);
}

UbrofBuilder& UbrofBuilder::Data(const Bytes& bytes) {
    if (bytes.size() > 255) {
        throw std::invalid_argument("a data record holds at most 255 bytes");
    }
    return Tag(0x39).U8(static_cast<uint8_t>(bytes.size())).Raw(bytes);
}

UbrofBuilder& UbrofBuilder::DataCount(size_t count) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(i);
    }
    return Data(bytes);
}

UbrofBuilder& UbrofBuilder::Checksum(uint16_t stored) {
    Tag(0x3F).U16(stored);
    checksumStart_ = bytes_.size();
    return *this;
}

UbrofBuilder& UbrofBuilder::ChecksumWithPrefix(uint16_t stored) {
    Tag(0x3D).Raw({0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5}).U16(stored);
    checksumStart_ = bytes_.size();
    return *this;
}

UbrofBuilder& UbrofBuilder::ValidChecksum() {
    Tag(0x3F);
    const uint16_t crc =
        BitwiseCrc16(bytes_.data() + checksumStart_, bytes_.size() - checksumStart_);
    U16(crc);
    checksumStart_ = bytes_.size();
    return *this;
}

UbrofBuilder& UbrofBuilder::ValidChecksumWithPrefix() {
    Tag(0x3D).Raw({0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5});
    const uint16_t crc =
        BitwiseCrc16(bytes_.data() + checksumStart_, bytes_.size() - checksumStart_);
    U16(crc);
    checksumStart_ = bytes_.size();
    return *this;
}

UbrofBuilder& UbrofBuilder::Truncate(size_t count) {
    bytes_.resize(count < bytes_.size() ? bytes_.size() - count : 0);
    return *this;
}

UbrofBuilder& UbrofBuilder::Empty() {
    return Tag(0x49);
}

uint32_t UbrofBuilder::NextIndex() {
    const uint32_t value = indexes_[nextIndex_ % indexes_.size()];
    ++nextIndex_;
    return value;
}

UbrofBuilder& UbrofBuilder::TType(uint8_t subTag, std::initializer_list<uint32_t> indexes) {
    indexes_.assign(indexes.begin(), indexes.end());
    if (indexes_.empty()) {
        indexes_.push_back(0);
    }
    nextIndex_ = 0;
    Tag(0x4A).Index(NextIndex()).U8(subTag);
    const auto skip = [this](size_t n) {
        for (size_t i = 0; i < n; ++i) {
            U8(static_cast<uint8_t>(0xE0 + i));
        }
    };
    switch (subTag) {
    case 0x0F:
    case 0x35:
        Index(NextIndex());
        break;
    case 0x13:
        skip(2);
        Index(NextIndex());
        break;
    case 0x23:
        Index(NextIndex());
        skip(5);
        U8(3);
        for (int i = 0; i < 3; ++i) {
            Index(NextIndex());
        }
        break;
    case 0x29:
        Index(NextIndex());
        skip(8);
        break;
    case 0x2A:
    case 0x2B:
        U8(0x11);
        Index(NextIndex());
        skip(4);
        U8(3);
        skip(3);
        break;
    case 0x31:
        Index(NextIndex());
        skip(4);
        break;
    case 0x32:
        for (int i = 0; i < 3; ++i) {
            Index(NextIndex());
        }
        break;
    case 0x33:
        Index(NextIndex());
        U32(0x01020304);
        U32(2);
        skip(16);
        break;
    case 0x34:
        skip(12);
        U32(2);
        for (int i = 0; i < 2; ++i) {
            U32(0x0A0B0C0D);
            U32(0x39393939);
            Index(NextIndex());
            U32(0x51515151);
        }
        break;
    default:
        break; // an unknown sub tag: the record stops here
    }
    return *this;
}

UbrofBuilder& UbrofBuilder::TwoNames(const std::string& first, const std::string& second) {
    Tag(0x4E).U8(static_cast<uint8_t>(first.size())).Raw(Bytes(first.begin(), first.end()));
    return U16(static_cast<uint16_t>(second.size())).Raw(Bytes(second.begin(), second.end()));
}

UbrofBuilder& UbrofBuilder::U16Record(uint8_t tag, uint16_t value) {
    return Tag(tag).U16(value);
}

UbrofBuilder& UbrofBuilder::ByteRecord(uint8_t value) {
    return Tag(0x52).U8(value);
}

UbrofBuilder& UbrofBuilder::U16AndName(uint16_t value, const std::string& name) {
    Tag(0x54).U16(value).U8(static_cast<uint8_t>(name.size()));
    return Raw(Bytes(name.begin(), name.end()));
}

UbrofBuilder& UbrofBuilder::TimeStamp(int second, int minute, int hour, int day, int month,
                                      int year) {
    Tag(0xA5).U8(static_cast<uint8_t>(second)).U8(static_cast<uint8_t>(minute));
    U8(static_cast<uint8_t>(hour)).U8(static_cast<uint8_t>(day));
    return U8(static_cast<uint8_t>(month)).U8(static_cast<uint8_t>(year));
}

UbrofBuilder& UbrofBuilder::TwelveBytes() {
    Tag(0xB0);
    for (int i = 0; i < 12; ++i) {
        U8(0x39); // looks like a data record tag when misread
    }
    return *this;
}

UbrofBuilder& UbrofBuilder::U32Record(uint32_t value) {
    return Tag(0xC4).U32(value);
}

UbrofBuilder& UbrofBuilder::Declared(uint8_t tag, uint16_t skipCode, size_t length) {
    Tag(tag);
    switch (skipCode) {
    case 252:
        Uleb(length);
        break;
    case 253:
        U8(static_cast<uint8_t>(length));
        break;
    case 254:
        U16(static_cast<uint16_t>(length));
        break;
    case 255:
        U32(static_cast<uint32_t>(length));
        break;
    default:
        break; // the skip code is the length
    }
    for (size_t i = 0; i < length; ++i) {
        U8(0x51); // looks like an address record tag when misread
    }
    return *this;
}

UbrofBuilder& UbrofBuilder::DebugRecord(uint8_t tag, const Bytes& body) {
    return Tag(tag).Uleb(body.size()).Raw(body);
}

std::string UbrofBuilder::WriteFile(const std::string& path) const {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes_.data()),
               static_cast<std::streamsize>(bytes_.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}

std::string TempPath(const std::string& stem) {
    static std::atomic<unsigned> counter{0};
    const char* dir = std::getenv("TMPDIR");
    std::string base = dir != nullptr && *dir != '\0' ? dir : "/tmp";
    return base + "/" + stem + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++) +
           ".d43";
}

TempFile::TempFile(const Bytes& bytes, const std::string& stem) : path_(TempPath(stem)) {
    UbrofBuilder builder;
    builder.Raw(bytes);
    builder.WriteFile(path_);
}

TempFile::~TempFile() {
    std::remove(path_.c_str());
}

} // namespace ubrof_test
