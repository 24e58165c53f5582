#pragma once

#include <cstdint>
#include <streambuf>

#include "ubrof/checksum.h"

namespace ubrof {

// A read-only stream buffer over the file's own buffer. Every byte taken from
// the buffer below passes through the running checksum. Bytes are handed out
// one at a time; the one-byte get area holds a byte only while a reader peeks.
//
// It also knows how many bytes the buffer below still holds when that buffer
// can seek (a file can), and answers in_avail() with that number, so a reader
// can check a length from the file before it allocates or skips anything.
class UbrofInputStream : public std::streambuf {
public:
    explicit UbrofInputStream(std::streambuf* below, bool ownsBelow = false);
    ~UbrofInputStream() override;
    UbrofInputStream(const UbrofInputStream&) = delete;
    UbrofInputStream& operator=(const UbrofInputStream&) = delete;

    UbrofChecksum& Checksum() { return checksum_; }
    const UbrofChecksum& Checksum() const { return checksum_; }

    // Bytes not yet taken from the buffer below, or -1 when it cannot tell.
    int64_t BytesLeft() const;
    // Offset in the file of the next byte the reader will take.
    int64_t Position() const { return position_ - (gptr() < egptr() ? 1 : 0); }

protected:
    int_type underflow() override;
    int_type uflow() override;
    std::streamsize showmanyc() override;
    // A run of bytes at once, each through the checksum as one at a time.
    std::streamsize xsgetn(char_type* s, std::streamsize n) override;
    int_type overflow(int_type ch) override;
    pos_type seekoff(off_type off, std::ios_base::seekdir dir,
                     std::ios_base::openmode which) override;
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;
    std::streambuf* setbuf(char_type* s, std::streamsize n) override;
    int sync() override;

private:
    // Takes the next byte from the buffer below into the checksum.
    int_type Fetch();
    void DropHeld();

    std::streambuf* below_;
    bool ownsBelow_;
    UbrofChecksum checksum_;
    char held_ = 0;
    UbrofChecksum checksumBeforeHeld_;
    int64_t position_ = 0; // in the buffer below, after the bytes taken
    int64_t end_ = -1;     // size of the buffer below, -1 unknown
};

} // namespace ubrof
