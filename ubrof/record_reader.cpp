#include "ubrof/record_reader.h"

#include <string>
#include <vector>

#include "ubrof/code_map.h"
#include "ubrof/fatal.h"
#include "ubrof/read_helpers.h"

namespace ubrof {

namespace helpers = UbrofReadHelpers;

namespace {

// Record tags.
constexpr uint8_t kModule = 0x00;
constexpr uint8_t kModule2 = 0x01;
constexpr uint8_t kData = 0x39;
constexpr uint8_t kChecksumWithPrefix = 0x3D;
constexpr uint8_t kChecksum = 0x3F;
constexpr uint8_t kEmpty = 0x49;
constexpr uint8_t kTType = 0x4A;
constexpr uint8_t kTwoNames = 0x4E;
constexpr uint8_t kU16Record = 0x4F;
constexpr uint8_t kAddress = 0x51;
constexpr uint8_t kByteRecord = 0x52;
constexpr uint8_t kU16Record2 = 0x53;
constexpr uint8_t kU16AndName = 0x54;
constexpr uint8_t kTimeStamp = 0xA5;
constexpr uint8_t kTwelveBytes = 0xB0;
constexpr uint8_t kVersion = 0xBD;
constexpr uint8_t kU32Record = 0xC4;
constexpr uint8_t kCallFrameInfo = 0xD4;
constexpr uint8_t kStatementInfo = 0xD5;
constexpr uint8_t kSourceLines = 0xD6;
constexpr uint8_t kReadOperation = 0xD9;
constexpr uint8_t kEnd = 0xFF;

constexpr int kMinVersion = 9;
constexpr int kMaxVersion = 10;

} // namespace

UbrofRecordReader::UbrofRecordReader(UbrofInputStream& stream, UbrofRecordHandler& handler)
    : stream_(stream), in_(&stream), handler_(handler) {}

uint32_t UbrofRecordReader::Index() {
    return helpers::Index(in_, indexWidth_);
}

bool UbrofRecordReader::ReadRecord() {
    const int64_t at = stream_.Position();
    const std::istream::int_type c = stream_.sbumpc();
    if (c == std::istream::traits_type::eof()) {
        // A whole file ends with its end tag: one that stops between records
        // has been cut short, and what is missing may be code.
        UbrofFatal(kUbrofUnexpectedEnd);
    }
    const uint8_t tag = static_cast<uint8_t>(c);
    const bool afterChecksum = afterChecksum_;
    afterChecksum_ = false;
    switch (tag) {
    case kEnd:
        ReadEnd(at, afterChecksum);
        return false;
    case kModule:
    case kModule2: {
        helpers::Skip(in_, 6);
        handler_.OnModule(helpers::String8(in_));
        break;
    }
    case kData: {
        const uint8_t count = helpers::Byte(in_);
        const std::vector<uint8_t> bytes = helpers::Bytes(in_, count);
        const TaggedAddress at = address_;
        address_.offset += count;
        handler_.OnData(bytes, at);
        break;
    }
    case kChecksumWithPrefix:
        helpers::Skip(in_, 6);
        ReadChecksum(at);
        break;
    case kChecksum:
        ReadChecksum(at);
        break;
    case kEmpty:
        break;
    case kTType:
        ReadTType();
        break;
    case kTwoNames:
        helpers::String8(in_);
        helpers::String16(in_);
        break;
    case kU16Record:
    case kU16Record2:
        helpers::U16(in_);
        break;
    case kAddress: {
        const uint8_t code = helpers::Byte(in_);
        const uint32_t offset = helpers::U32(in_);
        address_ = TaggedAddress(3, static_cast<uint32_t>(ubrofCodeMap.Inverse(code)), offset);
        handler_.OnAddress(address_);
        break;
    }
    case kByteRecord:
        helpers::Byte(in_);
        break;
    case kU16AndName:
        helpers::U16(in_);
        helpers::String8(in_);
        break;
    case kTimeStamp:
        helpers::Time(in_);
        break;
    case kTwelveBytes:
        helpers::Skip(in_, 12);
        break;
    case kVersion:
        ReadVersion();
        break;
    case kU32Record:
        helpers::U32(in_);
        break;
    case 0xBE:
    case 0xBF:
    case 0xC0:
    case 0xC1:
    case 0xC3:
    case 0xC6:
    case 0xC9:
    case 0xCD:
    case 0xCE:
    case 0xD0:
    case 0xD3:
    case 0xD7:
    case 0xD8:
        ReadDeclared(tag);
        break;
    case kCallFrameInfo:
        handler_.OnCallFrameInfo(helpers::Body(in_), address_);
        break;
    case kStatementInfo:
        handler_.OnStatementInfo(helpers::Body(in_), address_);
        break;
    case kSourceLines:
        handler_.OnSourceLines(helpers::Body(in_));
        break;
    case kReadOperation:
        handler_.OnReadOperation(helpers::Body(in_));
        break;
    default:
        break; // a record of its tag byte alone
    }
    return true;
}

void UbrofRecordReader::ReadChecksum(int64_t at) {
    // The checksum covers every byte since the last checksum record, this
    // record's tag (and prefix) included. A byte changed anywhere in between
    // would otherwise go into the image unnoticed.
    const uint16_t computed = stream_.Checksum().Value();
    const uint16_t stored = helpers::U16(in_);
    UbrofCheck(computed == stored, "UBROF checksum error at offset %lld",
               static_cast<long long>(at));
    stream_.Checksum().Reset();
    handler_.OnChecksum(computed, stored);
    afterChecksum_ = true;
}

void UbrofRecordReader::ReadEnd(int64_t at, bool afterChecksum) {
    // A linker closes its file with a checksum record and the end tag as the
    // file's last byte. A 0xFF read as a tag anywhere else is a damaged byte,
    // or padding over the rest of the file, and what follows it would be
    // dropped unchecked; bytes after the end tag may be a second file.
    UbrofCheck(afterChecksum, "UBROF end tag at offset %lld is not after a checksum record",
               static_cast<long long>(at));
    UbrofCheck(
        std::istream::traits_type::eq_int_type(stream_.sgetc(), std::istream::traits_type::eof()),
        "UBROF data after the end of the file at offset %lld", static_cast<long long>(at + 1));
}

void UbrofRecordReader::ReadVersion() {
    const int major = helpers::Byte(in_);
    const int minor = helpers::Byte(in_);
    const int patch = helpers::Byte(in_);
    UbrofCheck(major >= kMinVersion && major <= kMaxVersion, "Unsupported UBROF version: %d.%d.%d",
               major, minor, patch);
    const unsigned pairs = helpers::Byte(in_);
    helpers::CheckLeft(in_, 2ull * pairs);
    for (unsigned i = 0; i < pairs; ++i) {
        const uint8_t tag = helpers::Byte(in_);
        skipTable_.code[tag] = helpers::Byte(in_);
    }
    indexWidth_ = major > 9 ? 1 : 0;
}

void UbrofRecordReader::ReadTType() {
    Index();
    const int sub = helpers::Byte(in_);
    switch (sub) {
    case 0x0F:
    case 0x35:
        Index();
        break;
    case 0x13:
        helpers::Skip(in_, 2);
        Index();
        break;
    case 0x23: {
        Index();
        helpers::Skip(in_, 5);
        const unsigned count = helpers::Byte(in_);
        helpers::CheckLeft(in_, uint64_t{count} * MinIndexBytes());
        for (unsigned i = 0; i < count; ++i) {
            Index();
        }
        break;
    }
    case 0x29:
        Index();
        helpers::Skip(in_, 8);
        break;
    case 0x2A:
    case 0x2B:
        helpers::Byte(in_);
        Index();
        helpers::Skip(in_, 4);
        helpers::Skip(in_, helpers::Byte(in_));
        break;
    case 0x31:
        Index();
        helpers::Skip(in_, 4);
        break;
    case 0x32:
        Index();
        Index();
        Index();
        break;
    case 0x33: {
        Index();
        helpers::U32(in_);
        const uint32_t count = helpers::U32(in_);
        helpers::Skip(in_, uint64_t{8} * count);
        break;
    }
    case 0x34: {
        helpers::Skip(in_, 12);
        const uint32_t count = helpers::U32(in_);
        helpers::CheckLeft(in_, uint64_t{count} * (12 + MinIndexBytes()));
        for (uint32_t i = 0; i < count; ++i) {
            helpers::U32(in_);
            helpers::U32(in_);
            Index();
            helpers::U32(in_);
        }
        break;
    }
    default:
        UbrofCheck(false, "Unknown t_type sub tag: %d", sub);
    }
}

void UbrofRecordReader::ReadDeclared(uint8_t tag) {
    const int code = skipTable_.code[tag];
    UbrofCheck(code != UbrofSkipTable::kUndeclared, "Unknown UBROF tag: %d", static_cast<int>(tag));
    uint32_t length = 0;
    switch (code) {
    case UbrofSkipTable::kLeb128Length:
        length = helpers::Uleb(in_);
        break;
    case UbrofSkipTable::kByteLength:
        length = helpers::Byte(in_);
        break;
    case UbrofSkipTable::kU16Length:
        length = helpers::U16(in_);
        break;
    case UbrofSkipTable::kU32Length:
        length = helpers::U32(in_);
        break;
    default:
        UbrofCheck(code < UbrofSkipTable::kFirstIllegal, "Illegal skip value: %d", code);
        length = code;
    }
    helpers::Skip(in_, length);
}

} // namespace ubrof
