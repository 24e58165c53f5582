#pragma once
// The locked-access bracket: the locked Info-A segment can be erased and
// written only while locked flash access is on. Segment erases and every
// write run inside the bracket.

#include <cstdint>

namespace core {

// Turns locked flash access on (MSP430_Configure(5, 1)) and remembers it
// when the active map has a locked Info-A segment that address..address +
// length touches. Returns 1.
int32_t TargetLockedFlashAccessBegin(int32_t address, int32_t length);

// Turns locked flash access off again when the bracket turned it on; when
// that is refused the bracket stays remembered for the next end.
void TargetLockedFlashAccessEnd();

// Holds the bracket for one scope.
class LockedFlashAccess {
public:
    LockedFlashAccess(int32_t address, int32_t length) {
        TargetLockedFlashAccessBegin(address, length);
    }
    ~LockedFlashAccess() { TargetLockedFlashAccessEnd(); }
    LockedFlashAccess(const LockedFlashAccess&) = delete;
    LockedFlashAccess& operator=(const LockedFlashAccess&) = delete;
};

} // namespace core
