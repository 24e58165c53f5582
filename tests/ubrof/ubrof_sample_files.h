#pragma once

// The larger builder-made files that the benchmarks convert, shared with the
// test that holds their recorded texts.

#include <cstdint>

#include "tests/ubrof/ubrof_builder.h"

namespace ubrof_test {

// About 1 MB: full data records under one address per 4 KB, with a checksum
// record and a little debug information now and then, as a linker writes
// them.
UbrofBuilder MegabyteFile();

// An image as one module of 255-byte data records from the start address on.
UbrofBuilder ImageFile(const Bytes& image, uint32_t start);

} // namespace ubrof_test
