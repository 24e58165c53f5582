#include "ubrof/input_stream.h"

namespace ubrof {

UbrofInputStream::UbrofInputStream(std::streambuf* below, bool ownsBelow)
    : below_(below), ownsBelow_(ownsBelow) {
    if (below_ == nullptr) {
        return;
    }
    const std::ios_base::openmode in = std::ios_base::in;
    const pos_type here = below_->pubseekoff(0, std::ios_base::cur, in);
    if (here == pos_type(off_type(-1))) {
        return;
    }
    const pos_type end = below_->pubseekoff(0, std::ios_base::end, in);
    if (end == pos_type(off_type(-1)) || below_->pubseekpos(here, in) != here) {
        return;
    }
    position_ = static_cast<int64_t>(off_type(here));
    end_ = static_cast<int64_t>(off_type(end));
}

UbrofInputStream::~UbrofInputStream() {
    if (ownsBelow_) {
        delete below_;
    }
}

int64_t UbrofInputStream::BytesLeft() const {
    if (end_ < 0) {
        return -1;
    }
    return end_ > position_ ? end_ - position_ : 0;
}

UbrofInputStream::int_type UbrofInputStream::Fetch() {
    if (below_ == nullptr) {
        return traits_type::eof();
    }
    const int_type c = below_->sbumpc();
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return c;
    }
    checksum_.Update(static_cast<uint8_t>(traits_type::to_char_type(c)));
    ++position_;
    return c;
}

UbrofInputStream::int_type UbrofInputStream::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    const UbrofChecksum before = checksum_;
    const int_type c = Fetch();
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return c;
    }
    checksumBeforeHeld_ = before;
    held_ = traits_type::to_char_type(c);
    setg(&held_, &held_, &held_ + 1);
    return c;
}

UbrofInputStream::int_type UbrofInputStream::uflow() {
    if (gptr() < egptr()) {
        const int_type c = traits_type::to_int_type(*gptr());
        setg(nullptr, nullptr, nullptr);
        return c;
    }
    // A byte that is read at once never rests in the get area, so in_avail()
    // always asks showmanyc() for the true count.
    return Fetch();
}

std::streamsize UbrofInputStream::xsgetn(char_type* s, std::streamsize n) {
    std::streamsize got = 0;
    if (n > 0 && gptr() < egptr()) {
        // The byte a reader peeked at is already in the checksum.
        s[got++] = *gptr();
        setg(nullptr, nullptr, nullptr);
    }
    if (below_ == nullptr || got >= n) {
        return got;
    }
    const std::streamsize more = below_->sgetn(s + got, n - got);
    for (std::streamsize i = 0; i < more; ++i) {
        checksum_.Update(static_cast<uint8_t>(s[got + i]));
    }
    position_ += more;
    return got + more;
}

std::streamsize UbrofInputStream::showmanyc() {
    const int64_t left = BytesLeft();
    if (left < 0) {
        return 0; // cannot tell
    }
    return left > 0 ? static_cast<std::streamsize>(left) : -1;
}

UbrofInputStream::int_type UbrofInputStream::overflow(int_type) {
    return traits_type::eof();
}

// Gives a byte held in the get area back to the buffer below, together with
// its share of the checksum, so that the below position is the reader's.
void UbrofInputStream::DropHeld() {
    if (gptr() >= egptr()) {
        return;
    }
    setg(nullptr, nullptr, nullptr);
    checksum_ = checksumBeforeHeld_;
    --position_;
    if (traits_type::eq_int_type(below_->sungetc(), traits_type::eof())) {
        below_->pubseekoff(-1, std::ios_base::cur, std::ios_base::in);
    }
}

UbrofInputStream::pos_type UbrofInputStream::seekoff(off_type off, std::ios_base::seekdir dir,
                                                     std::ios_base::openmode which) {
    if (below_ == nullptr) {
        return pos_type(off_type(-1));
    }
    DropHeld();
    const pos_type result = below_->pubseekoff(off, dir, which);
    if (result != pos_type(off_type(-1))) {
        position_ = static_cast<int64_t>(off_type(result));
    }
    return result;
}

UbrofInputStream::pos_type UbrofInputStream::seekpos(pos_type pos, std::ios_base::openmode which) {
    if (below_ == nullptr) {
        return pos_type(off_type(-1));
    }
    DropHeld();
    const pos_type result = below_->pubseekpos(pos, which);
    if (result != pos_type(off_type(-1))) {
        position_ = static_cast<int64_t>(off_type(result));
    }
    return result;
}

std::streambuf* UbrofInputStream::setbuf(char_type* s, std::streamsize n) {
    if (below_ == nullptr || below_->pubsetbuf(s, n) == nullptr) {
        return nullptr;
    }
    return this;
}

int UbrofInputStream::sync() {
    if (below_ == nullptr) {
        return 0;
    }
    DropHeld();
    return below_->pubsync();
}

} // namespace ubrof
