// The entries on target memory: erase, byte-exact read and write, verify
// and erase check, with their range checks and the BSL guard.

#include "debugif/api_dispatch.h"
#include "debugif/api_state.h"
#include "debugif/debug_api_layer.h"
#include "debugif/device_id_state.h"
#include "debugif/device_lookup.h"
#include "debugif/error_numbers.h"
#include "debugif/lpt_interface_path.h"
#include "debugif/psa_signature.h"
#include "debugif/uif_memory.h"
#include "debugif/uif_target_ops.h"
#include "debugif/uif_verify.h"

#include <cstdint>

namespace debugif {

namespace {

constexpr int32_t kEraseSegment = 0;
constexpr int32_t kEraseAll = 2;
constexpr int32_t kWrite = 0;
constexpr int32_t kRead = 1;
constexpr uint32_t kNoEdgeByte = 0xFF;

int64_t FlashEnd() {
    return gDeviceId.identifyRecord.MainEnd();
}

// The word holding an odd edge byte, read and, for a write, written back
// with that byte in place: high selects the upper byte of the word.
int32_t EdgeByte(int32_t word_address, uint8_t* byte, bool high, int32_t rw) {
    uint8_t word[2] = {};
    if (MemoryBlockAccess(word_address, word, 2, kRead) != 0) {
        return -1;
    }
    uint8_t& edge = word[high ? 1 : 0];
    if (rw != kWrite) {
        *byte = edge;
        return 0;
    }
    edge = *byte;
    return MemoryBlockAccess(word_address, word, 2, kWrite);
}

} // namespace

bool BslRangeProtected(int64_t first, int64_t last) {
    const core::IdentifyRecord& r = gDeviceId.identifyRecord;
    const int64_t bsl_first = r.BslStart();
    const int64_t bsl_last = r.BslEnd();
    if ((bsl_first == 0 && bsl_last == 0) || last < bsl_first || first > bsl_last) {
        return false;
    }
    if (Api.BslUnlock != 0 && !IsBslProtectedDeviceType(gDeviceId.currentDeviceType)) {
        return false;
    }
    // Every further protected access needs a new unlock.
    Api.BslUnlock = 0;
    return true;
}

int32_t MemoryBlockAccess(int32_t address, uint8_t* buffer, int32_t count, int32_t rw) {
    if (count == 0) {
        return 0;
    }
    if (rw == kWrite && BslRangeProtected(address, static_cast<int64_t>(address) + count - 1)) {
        return ApiFail(kErrorBslProtected);
    }
    return DispatchByKind([&] { return LptMemory(address, buffer, count, rw); },
                          [&] { return UifMemory(address, buffer, count, rw); });
}

} // namespace debugif

using namespace debugif;

extern "C" {

int32_t MSP430_Erase(int32_t type, int32_t address, int32_t length) {
    if (gDeviceId.currentDeviceIndex == 0 || type < kEraseSegment || type > kEraseAll ||
        address < 1 || (address & 1) != 0 || length < 0 ||
        static_cast<int64_t>(address) + length > FlashEnd() + 1) {
        return ApiFail(kErrorInvalidParameter);
    }
    if (type == kEraseSegment && BslRangeProtected(address, address)) {
        return ApiFail(kErrorBslProtected);
    }
    return DispatchByKind([&] { return LptErase(type, address, length); },
                          [&] { return UifErase(type, address, length); });
}

int32_t MSP430_Memory(int32_t address, char* buffer, int32_t count, int32_t rw) {
    if (address < 0 || count < 0 || buffer == nullptr) {
        return ApiFail(kErrorInvalidParameter);
    }
    if (count == 0) {
        return 0;
    }
    if (static_cast<int64_t>(address) + count > FlashEnd() + 1) {
        return ApiFail(kErrorInvalidParameter);
    }
    // Refused as a whole before anything is written: a write cut off half
    // way would leave the target neither old nor new.
    if (rw == kWrite && BslRangeProtected(address, static_cast<int64_t>(address) + count - 1)) {
        return ApiFail(kErrorBslProtected);
    }
    auto* bytes = reinterpret_cast<uint8_t*>(buffer);
    int32_t a = address;
    int32_t n = count;
    if ((a & 1) != 0) {
        if (EdgeByte(a - 1, bytes, true, rw) != 0) {
            return -1;
        }
        ++a;
        ++bytes;
        --n;
    }
    if (n == 0) {
        return 0;
    }
    // a is even now: an odd count leaves a last byte on its own.
    const bool last_apart = (n & 1) != 0;
    if (last_apart) {
        --n;
    }
    if (MemoryBlockAccess(a, bytes, n, rw) != 0) {
        return -1;
    }
    if (last_apart && EdgeByte(a + n, bytes + n, false, rw) != 0) {
        return -1;
    }
    return 0;
}

int32_t MSP430_VerifyMem(int32_t address, int32_t length, char* buffer) {
    if (address < 0 || length < 0) {
        return ApiFail(kErrorInvalidParameter);
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(buffer);
    uint32_t a = static_cast<uint32_t>(address);
    uint32_t n = static_cast<uint32_t>(length);
    // The odd edges are checked by the byte the caller expects there; the
    // signature covers the even part between them.
    uint32_t edge0 = kNoEdgeByte;
    uint32_t edge1 = kNoEdgeByte;
    if ((a & 1) != 0 && n > 0) {
        if (bytes != nullptr) {
            edge0 = bytes[0];
            ++bytes;
        }
        ++a;
        --n;
    }
    if ((n & 1) != 0) {
        if (bytes != nullptr) {
            edge1 = bytes[n - 1];
        }
        --n;
    }
    const int32_t signature = PsaSignature(a, bytes, n);
    const int32_t edges = static_cast<int32_t>(edge0 | (edge1 << 8));
    return DispatchByKind([&] { return LptVerifyMem(address, length, signature, edges); },
                          [&] { return UifVerify(address, length, signature, edges); });
}

int32_t MSP430_EraseCheck(int32_t address, int32_t length) {
    return MSP430_VerifyMem(address, length, nullptr);
}

} // extern "C"
