#pragma once

// The larger builder-made files that the benchmarks convert, shared with the
// test that holds their recorded texts.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"

namespace ubrof_test {

// One of every debug record kind, well formed, using names block id
// namesId and statement COMMON id statementId, which must be new to the
// file: a names block, a COMMON block, a data block, a statement COMMON
// block and a statement, source lines and a read operation.
UbrofBuilder& AddDebugRecords(UbrofBuilder& file, uint64_t namesId = 0, uint64_t statementId = 1);

// The version-10 seed of the conversion fuzzer: every record kind once.
UbrofBuilder Version10Seed();

// About 1 MB: full data records under one address per 4 KB, with a checksum
// record and a little debug information now and then, as a linker writes
// them.
UbrofBuilder MegabyteFile();

// Small files whose call-frame records once cost time or memory in
// proportion to resources x records: a names block of many resources under
// many data blocks, many derived COMMON blocks, many remembered states. Each
// is under 100 KB and converts whole (the last is over the resource cap and
// is refused). With a divisor above 1 every count but the depth caps is
// divided by it (at least 2 remain): the same shapes, small enough for the
// conversion fuzzer to mutate quickly.
struct CraftedFile {
    std::string name;
    UbrofBuilder file;
    std::string refusal; // empty: converts
};
std::vector<CraftedFile> CraftedCfiFiles(uint32_t divisor = 1);

// The divisor of the crafted files that seed the conversion fuzzer.
inline constexpr uint32_t kCraftedSeedDivisor = 100;

// An image as one module of 255-byte data records from the start address on.
UbrofBuilder ImageFile(const Bytes& image, uint32_t start);

} // namespace ubrof_test
