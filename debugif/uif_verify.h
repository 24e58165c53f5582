#pragma once
// Verifying target memory against a signature on the adapter.

#include <cstdint>

namespace debugif {

// Command 45 (20) announces the verify, so that the adapter may send
// progress pairs ahead of its answer (ExpectInterimPairs is set when it
// took the announcement). Sent only on serial outside bootloader mode
// within the extension range; everywhere else, and when the adapter
// refuses it as unknown, the result is 0 with nothing expected.
int32_t UifAnnounceVerify();

// Under one hold of DebugLock: the announcement, then command 20 with the
// range as the caller gave it, the signature of its even part and the two
// edge bytes (each & 0xFFFF). ExpectInterimPairs is cleared afterwards in
// every case.
int32_t UifVerify(int32_t start, int32_t length, int32_t check, int32_t edge);

} // namespace debugif
