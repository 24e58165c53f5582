// Bytes on the wire per payload byte for flash-sized writes: the serial
// bulk write (one framed command, then raw 512-byte blocks with 8-byte
// answers), chunked memory writes over serial, and chunked writes over HID
// with their pre-send blocks and report padding. The minimum the link
// allows is the payload itself: 1 wire byte per payload byte. Pattern 0 is
// random data, pattern 1 all 0x7E (every byte stuffed where frames carry it).

#include "debugif/uif_bulk.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_request.h"
#include "debugif/uif_transaction.h"
#include "tests/framing/framing_fixture.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kWriteSize = 60 * 1024;
constexpr uint32_t kAddress = 0x1000;

Bytes Pattern(size_t n, int64_t kind) {
    Bytes b(n, 0x7E);
    if (kind == 0) {
        std::mt19937 rng(1);
        for (auto& x : b) {
            x = static_cast<uint8_t>(rng());
        }
    }
    return b;
}

void Report(benchmark::State& state, uint64_t wire, uint64_t payload) {
    state.counters["wire_per_payload_byte"] =
        payload == 0 ? 0.0 : static_cast<double>(wire) / static_cast<double>(payload);
    state.counters["minimum"] = 1.0;
    state.SetBytesProcessed(static_cast<int64_t>(payload));
}

void BM_SerialBulkWrite60K(benchmark::State& state) {
    framing_test::PtyLink link;
    if (!link.ok()) {
        state.SkipWithError(link.error().c_str());
        return;
    }
    const Bytes data = Pattern(kWriteSize, state.range(0));
    uint64_t wire = 0;
    uint64_t payload = 0;
    for (auto _ : state) {
        link.adapter.ClearTrace();
        const uint32_t blocks = kWriteSize / 512;
        if (framing_test::Transact(44, 2, {blocks, 512, kAddress, kWriteSize}) != 0) {
            state.SkipWithError("block write refused");
            return;
        }
        for (uint32_t b = 0; b < blocks; ++b) {
            std::memcpy(debugif::UifLink.UifFrameBuffer + debugif::kUifBulkHeaderSize,
                        data.data() + b * 512, 512);
            if (debugif::UifSendBulkBlock(static_cast<uint16_t>(b + 1), kAddress + b * 512, 512) !=
                0) {
                state.SkipWithError("bulk block refused");
                return;
            }
        }
        const sim::EmuTrace t = link.adapter.trace();
        wire += t.bytes_in + t.bytes_out;
        payload += kWriteSize;
    }
    Report(state, wire, payload);
}
BENCHMARK(BM_SerialBulkWrite60K)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Args: chunk size, pattern.
void BM_SerialChunkedWrite60K(benchmark::State& state) {
    framing_test::PtyLink link;
    if (!link.ok()) {
        state.SkipWithError(link.error().c_str());
        return;
    }
    const uint32_t chunk = static_cast<uint32_t>(state.range(0));
    const Bytes data = Pattern(kWriteSize, state.range(1));
    uint64_t wire = 0;
    uint64_t payload = 0;
    for (auto _ : state) {
        link.adapter.ClearTrace();
        for (uint32_t at = 0; at < kWriteSize; at += chunk) {
            const Bytes part(data.begin() + at, data.begin() + at + chunk);
            if (framing_test::Transact(14, 4, {kAddress + at}, part) != 0) {
                state.SkipWithError("write refused");
                return;
            }
        }
        const sim::EmuTrace t = link.adapter.trace();
        wire += t.bytes_in + t.bytes_out;
        payload += kWriteSize;
    }
    Report(state, wire, payload);
}
BENCHMARK(BM_SerialChunkedWrite60K)
    ->Args({128, 0})
    ->Args({128, 1})
    ->Args({480, 0})
    ->Args({480, 1})
    ->Unit(benchmark::kMillisecond);

// Every byte of every HID report counts: report ids, length bytes, padding.
void BM_HidChunkedWrite60K(benchmark::State& state) {
    framing_test::HidLink link;
    if (!link.ok()) {
        state.SkipWithError("the emulated HID adapter did not open");
        return;
    }
    const uint32_t chunk = 128;
    const Bytes data = Pattern(kWriteSize, state.range(0));
    uint64_t wire = 0;
    uint64_t payload = 0;
    for (auto _ : state) {
        link.device->written.clear();
        const uint64_t reports_before = link.peer.input_reports;
        for (uint32_t at = 0; at < kWriteSize; at += chunk) {
            const Bytes part(data.begin() + at, data.begin() + at + chunk);
            if (framing_test::Transact(14, 4, {kAddress + at}, part) != 0) {
                state.SkipWithError("write refused");
                return;
            }
        }
        for (const Bytes& r : link.device->written) {
            wire += r.size();
        }
        wire += (link.peer.input_reports - reports_before) * (2 + sim::kEmuHidInputPayload);
        payload += kWriteSize;
    }
    Report(state, wire, payload);
}
BENCHMARK(BM_HidChunkedWrite60K)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The codec alone: building and framing one 480-byte write request.
void BM_FrameWriteRequest(benchmark::State& state) {
    const Bytes data = Pattern(480, state.range(0));
    debugif::UifRequest r;
    r.command_id = 14;
    r.message_type = 4;
    r.parameter_count = 1;
    r.parameters[0] = kAddress;
    r.data_length = 480;
    r.data = data.data();
    static uint8_t message[debugif::kUifMessageBufferSize];
    static uint8_t frame[debugif::kUifFrameBufferSize];
    size_t framed = 0;
    for (auto _ : state) {
        const size_t m = debugif::BuildUifMessage(r, message, sizeof message);
        framed = debugif::FrameUifMessage(message, m, frame, sizeof frame);
        benchmark::DoNotOptimize(frame);
    }
    state.counters["frame_per_payload_byte"] = static_cast<double>(framed) / 480.0;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 480);
}
BENCHMARK(BM_FrameWriteRequest)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
