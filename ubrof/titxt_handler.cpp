#include "ubrof/titxt_handler.h"

namespace ubrof {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

} // namespace

void UbrofTiTxtHandler::OnModule(const std::string& name) {
    collector_.AddModule(name);
}

void UbrofTiTxtHandler::OnAddress(const TaggedAddress& address) {
    char text[12];
    char* end = text + sizeof text;
    char* p = end;
    uint32_t value = address.offset;
    int digits = 0;
    do {
        *--p = kHexDigits[value & 0xF];
        value >>= 4;
        ++digits;
    } while (value != 0 || digits < 4);
    out_ += '@';
    out_.append(p, end);
    out_ += '\n';
}

void UbrofTiTxtHandler::OnData(const std::vector<uint8_t>& bytes, const TaggedAddress&) {
    // The record's text is sized first and written in place.
    const size_t n = bytes.size();
    const size_t start = out_.size();
    out_.resize(start + 3 * n + 1 + (n % 16 != 0 ? 1 : 0));
    char* p = out_.data() + start;
    for (size_t i = 0; i < n; ++i) {
        p[0] = kHexDigits[bytes[i] >> 4];
        p[1] = kHexDigits[bytes[i] & 0xF];
        p[2] = i % 16 == 15 ? '\n' : ' ';
        p += 3;
    }
    *p++ = '\n';
    if (n % 16 != 0) {
        *p = '\n';
    }
}

void UbrofTiTxtHandler::OnCallFrameInfo(std::vector<uint8_t> body, const TaggedAddress& address) {
    collector_.AddCallFrameInfo(address, body);
}

void UbrofTiTxtHandler::OnStatementInfo(std::vector<uint8_t> body, const TaggedAddress& address) {
    collector_.AddStatementInfo(address, body);
}

void UbrofTiTxtHandler::OnSourceLines(std::vector<uint8_t> body) {
    collector_.AddSourceLines(body);
}

void UbrofTiTxtHandler::OnReadOperation(std::vector<uint8_t> body) {
    collector_.AddReadOperation(body);
}

} // namespace ubrof
