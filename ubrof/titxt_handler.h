#pragma once

#include <string>

#include "ubrof/collector.h"
#include "ubrof/record_handler.h"

namespace ubrof {

// The record handler of a conversion: code records become TI-TXT text in
// the caller's string, everything else goes to the collector.
class UbrofTiTxtHandler : public UbrofRecordHandler {
public:
    UbrofTiTxtHandler(UbrofCollector& collector, std::string& out)
        : collector_(collector), out_(out) {}

    void OnModule(const std::string& name) override;
    // "@" and the offset in upper-case hexadecimal, at least four digits.
    void OnAddress(const TaggedAddress& address) override;
    // Sixteen values to a line; every record ends with one empty line.
    void OnData(const std::vector<uint8_t>& bytes, const TaggedAddress& address) override;
    void OnCallFrameInfo(std::vector<uint8_t> body, const TaggedAddress& address) override;
    void OnStatementInfo(std::vector<uint8_t> body, const TaggedAddress& address) override;
    void OnSourceLines(std::vector<uint8_t> body) override;
    void OnReadOperation(std::vector<uint8_t> body) override;

private:
    UbrofCollector& collector_;
    std::string& out_;
};

} // namespace ubrof
