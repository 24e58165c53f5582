#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "ubrof/counted.h"

namespace ubrof {

// The shared parameters of statement records.
class StatementCommonBlock : public CountedObject {
public:
    uint8_t format = 1;
    // P1, P3, P5, P7 unsigned; P2, P4, P6 signed; each 16 bits.
    std::array<uint16_t, 7> parameters{};
    std::vector<uint8_t> bytes;
};

// One statement record.
class Statement : public CountedObject {
public:
    CountedHandle<StatementCommonBlock> common;
    // The record's count times P1 of its COMMON block, 32 bits.
    uint32_t size = 0;
    std::vector<uint8_t> bytes;
};

// The statement COMMON blocks of one file, by id; each id once.
using StatementCommonTable = std::map<uint32_t, CountedHandle<StatementCommonBlock>>;

// Parses a statement-info record body: a COMMON block goes to the table and
// gives null, a statement gives the statement.
CountedHandle<Statement> StatementInfoReader(const std::vector<uint8_t>& body,
                                             StatementCommonTable& table);

} // namespace ubrof
