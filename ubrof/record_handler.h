#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ubrof/tagged_address.h"

namespace ubrof {

// What the record reader hands on, record by record. The debug records come
// as their bodies, with the current address where their results are keyed
// by it.
class UbrofRecordHandler {
public:
    virtual ~UbrofRecordHandler() = default;

    virtual void OnModule(const std::string& name) = 0;
    virtual void OnAddress(const TaggedAddress& address) = 0;
    // The address is the one before the record's bytes were added.
    virtual void OnData(const std::vector<uint8_t>& bytes, const TaggedAddress& address) = 0;
    // The running checksum of the file and the value stored in the record.
    virtual void OnChecksum(uint16_t computed, uint16_t stored) {
        (void)computed;
        (void)stored;
    }
    virtual void OnCallFrameInfo(std::vector<uint8_t> body, const TaggedAddress& address) = 0;
    virtual void OnStatementInfo(std::vector<uint8_t> body, const TaggedAddress& address) = 0;
    virtual void OnSourceLines(std::vector<uint8_t> body) = 0;
    virtual void OnReadOperation(std::vector<uint8_t> body) = 0;
};

} // namespace ubrof
