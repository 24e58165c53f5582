#pragma once
// Reading the serial adapter link outside a transaction's own tries (the
// bulk phase): the bytes a transaction read ahead to tell what comes next
// are taken first, so that nothing is lost between the two.

#include <cstdint>

namespace debugif {

// One read under the port time-outs, bytes read ahead first: true when the
// call completed, *done telling how many bytes came.
bool UifSerialRead(uint8_t* buffer, uint32_t count, uint32_t* done);
// Discards pending input, with the bytes read ahead.
void UifSerialFlushInput();

} // namespace debugif
