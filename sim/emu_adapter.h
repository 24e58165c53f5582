#pragma once
// The emulated MSP-FET430UIF's link side: it takes the host's bytes apart
// (framed requests, HID pre-send blocks, unframed bulk blocks, bootloader
// frames), hands each request to a command handler and sends its answer
// back in the adapter's reply format, with faults injected on request.
// Transport-free: a pseudo-terminal server or a HID peer moves the bytes.

#include "sim/emu_wire.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

namespace sim {

enum class EmuLink : uint8_t { kSerial, kHid };

// What a command handler answers to one request.
struct EmuReply {
    bool answer = true; // false: the adapter says nothing
    uint8_t type = 1;
    uint8_t status = 0;
    uint8_t error = 0;
    std::vector<uint32_t> params; // types 2 and 4
    std::vector<uint8_t> data;    // types 3 and 4
    // Two-byte progress pairs sent ahead of the reply (serial only).
    std::vector<std::array<uint8_t, 2>> interim;
    // Unframed bulk blocks the host sends after this reply.
    uint32_t bulk_blocks = 0;

    static EmuReply Ok() { return {}; }
    static EmuReply Params(std::vector<uint32_t> params);
    static EmuReply Data(std::vector<uint8_t> data);
    static EmuReply Error(uint8_t error);
    // What the adapter answers to a request it does not know.
    static EmuReply Unknown();
};

struct EmuBulkBlock {
    uint16_t number = 0;
    uint32_t address = 0;
    std::vector<uint8_t> data;
};

// The 8-byte answer to a bulk block: byte 3 the kind; kind 0 carries a
// status and an error byte, kind 6 the number of the block taken.
struct EmuBulkAck {
    uint8_t kind = 6;
    uint8_t status = 0;
    uint8_t error = 0;
    uint32_t block = 0;
};

struct EmuBslFrame {
    uint8_t command = 0;
    std::vector<uint8_t> payload; // address, length, data, any pad byte
};

struct EmuBslAnswer {
    enum class Kind : uint8_t { kAck, kRefuse, kData, kNone };
    Kind kind = Kind::kAck;
    std::vector<uint8_t> data; // kData
};

class EmuCommandHandler {
public:
    virtual ~EmuCommandHandler() = default;
    virtual EmuReply OnCommand(const EmuRequest& request) = 0;
    virtual EmuBulkAck OnBulkBlock(const EmuBulkBlock& block);
    virtual EmuBslAnswer OnBootloaderFrame(const EmuBslFrame& frame);
};

// Faults. Each counter spoils that many of the next replies (to any
// command, or only to only_command when it is not -1); one reply takes at
// most one fault, in the order listed.
struct EmuFaults {
    int32_t only_command = -1;
    uint32_t drop = 0;           // no reply at all
    uint32_t cut = 0;            // the last 3 bytes of the reply are missing
    uint32_t corrupt = 0;        // one byte flipped, so the FCS fails
    uint32_t wrong_id = 0;       // the reply names the next command id
    uint32_t unknown_status = 0; // status 0x3F ('?') with error byte 5
    uint32_t wrong_length = 0;   // the length field says wrong_length_value
    uint16_t wrong_length_value = 2049;
    uint32_t delay_ms = 0; // every reply and bulk answer goes out this late
    // One reply sent after the host's time-out: late_ms after its request.
    uint32_t late = 0;
    uint32_t late_ms = 0;
    bool silent = false; // nothing is answered at all
    // The first skip replies (and, apart, bulk answers) that a counter above
    // would spoil pass untouched, so a fault can land at any frame.
    uint32_t skip = 0;
    // Stall: from the stall_at-th request on (0: the next one) the adapter
    // takes nothing in for stall_ms, then carries out everything that
    // arrived meanwhile, in order, and answers it all. The server keeps the
    // time (EmuAdapter::StallMs, EndStall).
    uint32_t stall_ms = 0;
    uint32_t stall_at = 0;
    // After the stall the answers go out this far apart, as an adapter
    // working through a queue sends them.
    uint32_t stall_spacing_ms = 0;

    // Bulk answers.
    uint32_t bulk_wrong_block = 0; // kind 6 naming the block after the one sent
    uint32_t bulk_error = 0;       // kind 0, status 1, error bulk_error_byte
    uint8_t bulk_error_byte = 7;
    // Acknowledgements of bulk blocks: lost, cut short, one byte flipped,
    // or sent late_ms late.
    uint32_t bulk_drop = 0;
    uint32_t bulk_cut = 0;
    uint32_t bulk_corrupt = 0;
    uint32_t bulk_late = 0;

    // Bootloader mode: the adapter firmware is gone and only its
    // bootloader answers (the synchronisation 0x80 with 0x90, then frames).
    bool bootloader = false;
    bool bsl_sync_silent = false;
    uint8_t bsl_first_byte = 0; // not 0: replaces the first reply byte (0x93, 0xA5 ...)
    int32_t bsl_l2_delta = 0;   // data frames carry L2 = L1 + delta
    bool bsl_bad_checksum = false;
};

// Bytes to send, not before delay_ms have passed.
struct EmuOutput {
    std::vector<uint8_t> bytes;
    uint32_t delay_ms = 0;
};

struct EmuTrace {
    std::vector<std::vector<uint8_t>> frames;         // wire bytes of every frame, flags included
    std::vector<EmuRequest> requests;                 // those that parsed, data put back together
    uint32_t bad_frames = 0;                          // FCS or layout wrong, aborted, too long
    std::vector<std::vector<uint8_t>> presend_blocks; // HID, as received
    std::vector<EmuBulkBlock> bulk_blocks;
    std::vector<std::chrono::steady_clock::time_point> sync_times; // bootloader 0x80 bytes
    std::vector<std::vector<uint8_t>> bsl_frames;                  // wire bytes
    uint64_t bytes_in = 0;                                         // from the host
    uint64_t bytes_out = 0;                                        // to the host
};

class EmuAdapter {
public:
    EmuAdapter(EmuCommandHandler& handler, EmuLink link);

    // Bytes from the host; returns what to send back, in order.
    std::vector<EmuOutput> Receive(const uint8_t* bytes, size_t count);
    // HID: the payload of one output report. A pre-send block (0x83
    // between frames) is taken in whole; anything else goes to Receive.
    std::vector<EmuOutput> ReceiveReport(const uint8_t* payload, size_t count);

    // A stall began and has not ended: its length in ms, else 0.
    uint32_t StallMs() const;
    // Ends a stall: what arrived during it is carried out now.
    std::vector<EmuOutput> EndStall();

    void SetFaults(const EmuFaults& faults);
    EmuFaults faults() const;
    EmuTrace trace() const;
    // trace().requests.size(), without copying the trace.
    size_t RequestCount() const;
    void ClearTrace();
    // Runs f under the adapter's lock, for a handler's state shared with a
    // serving thread.
    template <class F> auto Locked(F f) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return f();
    }

private:
    void Frame(std::vector<EmuOutput>& out);
    // Takes the bytes of the bulk block under way, up to the end of its
    // header or of the block; returns how many.
    size_t BulkBytes(const uint8_t* bytes, size_t available, std::vector<EmuOutput>& out);
    // What the bulk block gathered so far completes: a refusal or a block.
    void BulkTaken(std::vector<EmuOutput>& out);
    void BootloaderByte(uint8_t b, std::vector<EmuOutput>& out);
    void BootloaderFrame(std::vector<EmuOutput>& out);
    bool FaultApplies(uint8_t id) const;
    void Send(std::vector<uint8_t> bytes, std::vector<EmuOutput>& out);
    // Sends a bulk acknowledgement with its faults applied.
    void SendBulkAck(std::vector<uint8_t> ack, std::vector<EmuOutput>& out);

    mutable std::mutex mutex_;
    EmuCommandHandler& handler_;
    const EmuLink link_;
    EmuFaults faults_;
    EmuTrace trace_;
    EmuUnframer unframer_;

    // Input held while stalled: host bytes, or a HID report payload.
    struct HeldInput {
        bool report = false;
        std::vector<uint8_t> bytes;
    };
    std::vector<EmuOutput> TakeReport(const uint8_t* payload, size_t count);
    std::vector<EmuOutput> TakeBytes(const uint8_t* bytes, size_t count);
    bool stalled_ = false;
    std::vector<HeldInput> held_;

    // HID pre-send data gathered for the next request.
    std::vector<uint8_t> presend_;
    bool presend_broken_ = false;

    // Bulk phase.
    uint32_t bulk_left_ = 0;
    std::vector<uint8_t> bulk_;

    // Bootloader.
    enum class BslState : uint8_t { kIdle, kSynced, kFrame };
    BslState bsl_state_ = BslState::kIdle;
    std::vector<uint8_t> bsl_frame_;
    std::chrono::steady_clock::time_point bsl_last_byte_{};
};

} // namespace sim
