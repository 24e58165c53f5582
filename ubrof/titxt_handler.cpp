#include "ubrof/titxt_handler.h"

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
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char value[3] = {kHexDigits[bytes[i] >> 4], kHexDigits[bytes[i] & 0xF],
                               i % 16 == 15 ? '\n' : ' '};
        out_.append(value, sizeof value);
    }
    out_ += '\n';
    if (bytes.size() % 16 != 0) {
        out_ += '\n';
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
