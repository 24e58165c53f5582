#pragma once

#include <cstdint>
#include <istream>

#include "ubrof/input_stream.h"
#include "ubrof/record_handler.h"
#include "ubrof/skip_table.h"
#include "ubrof/tagged_address.h"

namespace ubrof {

// Reads the records of a UBROF file one at a time and hands them to the
// handler. Format errors go through UbrofCheck / UbrofFatal.
class UbrofRecordReader {
public:
    // Reading starts at the stream's position; the stream must outlive the
    // reader.
    UbrofRecordReader(UbrofInputStream& stream, UbrofRecordHandler& handler);

    // One record; false at the end tag 0xFF. The end of the file anywhere
    // else, a checksum record that does not match the bytes before it, an
    // end tag that does not come right after a checksum record, and any byte
    // after the end tag are format errors.
    bool ReadRecord();

    const TaggedAddress& CurrentAddress() const { return address_; }
    const UbrofSkipTable& SkipTable() const { return skipTable_; }
    // 1 when the last version record was above version 9: indexes are then
    // LEB128 numbers, otherwise 16-bit.
    uint8_t IndexWidth() const { return indexWidth_; }

private:
    void ReadVersion();
    void ReadTType();
    void ReadDeclared(uint8_t tag);
    // at: the offset of the record's tag in the file.
    void ReadChecksum(int64_t at);
    void ReadEnd(int64_t at, bool afterChecksum);
    uint32_t Index();
    // The fewest bytes an index takes with the current width.
    unsigned MinIndexBytes() const { return indexWidth_ == 1 ? 1 : 2; }

    UbrofInputStream& stream_;
    std::istream in_;
    UbrofRecordHandler& handler_;
    UbrofSkipTable skipTable_;
    uint8_t indexWidth_ = 0;
    TaggedAddress address_{3, 1, 0};
    // The last record read was a checksum record that matched.
    bool afterChecksum_ = false;
};

} // namespace ubrof
