// Fuzzes the host's reply parser: whatever the R bytes are, it either
// refuses them or fills the response with parameters and data that lie
// inside the reply, and what it accepts encodes back to the same bytes.

#include "debugif/uif_reply.h"
#include "sim/emu_wire.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the fuzzer's length, so that any read past it trips ASan.
    std::vector<uint8_t> reply(data, data + size);
    debugif::UifResponse r;
    const uint32_t length = static_cast<uint32_t>(size);
    const debugif::UifReplyCheck check = debugif::ParseUifReply(reply.data(), length, &r);
    if (check != debugif::UifReplyCheck::kOk) {
        if (r.data != nullptr || r.parameter_count != 0) {
            abort();
        }
        return 0;
    }
    if (size < 6 || size > 2048 || r.parameter_count > 6) {
        abort();
    }
    if (r.data != nullptr) {
        const uint8_t* end = reply.data() + size - 2; // the FCS is no data
        if (r.data < reply.data() || r.data + r.data_length > end) {
            abort();
        }
    }
    // Re-encoded by the emulator's independent encoder, the reply is a
    // prefix-equal copy (the parser allows bytes after what it read).
    std::vector<uint32_t> params(r.parameters, r.parameters + r.parameter_count);
    std::vector<uint8_t> bytes;
    if (r.data != nullptr) {
        bytes.assign(r.data, r.data + r.data_length);
    }
    std::vector<uint8_t> encoded =
        sim::EmuEncodeReply(r.command_id, r.message_type, r.status, r.error_number, params, bytes);
    if (encoded.size() - 2 > size ||
        std::memcmp(encoded.data() + 2, reply.data(), encoded.size() - 4) != 0) {
        abort();
    }
    return 0;
}
