#pragma once
// One simulated MSP430 on its adapter: the memory of the device type picked
// by a device-list row, flash that erases to 0xFF by segment, main or mass
// and programs by AND, the locked Info-A segment, the identification bytes,
// the security fuse, the supply, the CPU registers, fault injection and the
// call log. It knows nothing of any API: the simulated debug library, and
// later the emulated adapter, drive it.
//
// Operations return 0 or the debug API's error number for what went wrong,
// so every front end reports the same reasons.

#include "core/device_table.h"
#include "sim/sim_call_log.h"
#include "sim/sim_layout.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Error numbers the target itself gives.
inline constexpr int32_t kErrorNoDevice = 4;
inline constexpr int32_t kErrorRead = 6;
inline constexpr int32_t kErrorWrite = 7;
inline constexpr int32_t kErrorFuseRead = 8; // identify's status for a blown fuse
inline constexpr int32_t kErrorVcc = 10;
inline constexpr int32_t kErrorReset = 11;
inline constexpr int32_t kErrorErase = 14;
inline constexpr int32_t kErrorVerify = 28;
inline constexpr int32_t kErrorFuseBlow = 29;
inline constexpr int32_t kErrorFuseBlown = 30;

// The target answers from this supply on (millivolts).
inline constexpr int32_t kMinimumSupply = 1800;
inline constexpr int32_t kMaximumSupply = 3600;

// The identification bytes (descriptor) and byte 16, the fuse byte.
inline constexpr size_t kIdentificationSize = 17;

struct SimUsbInterface {
    std::string name; // "COM<n>" or "HID<nnnn>"
    int32_t inUse = 0;
};

class SimTarget {
public:
    SimTarget();

    // Everything as a newly made target has it, the memory's storage kept
    // (a test or fuzzer input starts from here; taking half a megabyte
    // afresh each time costs more than the input itself).
    void Renew();

    // A fresh board of the row's device type: memory erased, descriptor and
    // calibration bytes in place, fuse intact, CPU halted, Info-A locked.
    // Supplies, faults, the USB list and the log stay as they are.
    void SelectDevice(const core::DeviceInfo& row);
    const core::DeviceInfo& Device() const { return device_; }
    const SimLayout& Layout() const { return layout_; }

    // --- Identification
    // The 16 descriptor bytes (at 0x0FF0, or at 0x1A04 when the byte at
    // 0x0FF0 is 0x80) and the fuse byte.
    std::array<uint8_t, kIdentificationSize> IdentificationBlock() const;
    uint8_t FuseByte() const { return fuseByte_; }
    void SetFuseByte(uint8_t value) { fuseByte_ = value; }
    // Series 5: the revision byte at 0x1A06; 1 marks an early part.
    void SetEarlyF5xx(bool early);

    // --- Supply
    // Sets the adapter's supply, 0 (off) or up to 3600 mV; else kErrorVcc.
    int32_t SetAdapterSupply(int32_t millivolts);
    int32_t AdapterSupply() const { return adapterSupply_; }
    // A supply of the board's own (0: none).
    void SetExternalSupply(int32_t millivolts) { externalSupply_ = millivolts; }
    int32_t ExternalSupply() const { return externalSupply_; }
    int32_t PresentSupply() const;
    bool Powered() const { return PresentSupply() >= kMinimumSupply; }
    // What a measurement reads: the present supply, or the forced reading.
    int32_t MeasuredSupply() const;
    // Forces what a measurement reads (-1: the present supply again).
    void SetSupplyReading(int32_t millivolts) { supplyReading_ = millivolts; }

    // --- Memory as the debug interface reaches it
    // Bytes from address; kErrorRead when unpowered or at an injected read
    // fault (nothing read then), kErrorFuseBlown once the fuse is blown.
    int32_t Read(uint32_t address, uint8_t* out, uint32_t count);
    // Flash is programmed by AND (bits only clear), the locked Info-A only
    // with the lock open; ROM and vacant addresses keep their bytes; RAM and
    // peripherals take them. An injected fault stops the write at its
    // address with kErrorWrite, the bytes before it written.
    int32_t Write(uint32_t address, const uint8_t* data, uint32_t count);
    // Segment erase of the flash segment holding address; kErrorErase for an
    // address outside flash or at an injected fault. The locked Info-A stays
    // as it is unless the lock is open, as on the real part.
    int32_t EraseSegment(uint32_t address);
    int32_t EraseMain();
    // Main and information memory (the locked Info-A only with the lock open).
    int32_t EraseAll();
    // 0 when address..address+length-1 equals data (all 0xFF when data is
    // nullptr), kErrorVerify when it differs, as Read for faults.
    int32_t Verify(uint32_t address, uint32_t length, const uint8_t* data);
    // Locked flash access (configure mode 5).
    void SetInfoAUnlocked(bool unlocked) { infoAUnlocked_ = unlocked; }
    bool InfoAUnlocked() const { return infoAUnlocked_; }

    // --- Direct access for tests: no flash rules, no faults, no power.
    uint8_t Peek(uint32_t address) const;
    void Poke(uint32_t address, uint8_t value);
    std::vector<uint8_t> PeekRange(uint32_t address, uint32_t count) const;
    void PokeRange(uint32_t address, const std::vector<uint8_t>& bytes);

    // --- Security fuse
    // Blows the fuse: kErrorFuseBlow when unpowered, kErrorFuseBlown when it
    // is blown already. Afterwards identify reports it and memory is shut.
    int32_t BlowFuse();
    bool FuseBlown() const { return fuseBlown_; }
    void SetFuseBlown(bool blown) { fuseBlown_ = blown; }

    // --- CPU
    std::array<uint32_t, 16> registers{};
    bool running = false;
    uint32_t cycles = 0;
    // Registers cleared, PC from the reset vector at 0xFFFE; then runs or halts.
    void ResetCpu(bool run);

    // --- Faults
    // Makes the simulated library's entry of that name ("MSP430_Memory") fail
    // with error, times times (0: not at all, -1: until cleared). Every entry that can fail
    // takes it; the emulated adapter injects its own faults (EmuFaults).
    // The first skip calls of that entry pass untouched, so a fault can land
    // at any call.
    void FailOperation(std::string_view name, int32_t error, int32_t times = -1, int32_t skip = 0);
    // The error an operation must fail with now, counting it; 0 for none.
    int32_t TakeFault(std::string_view name);
    // Reads, writes or erases that touch address fail, times times (as above).
    void FailReadAt(uint32_t address, int32_t times = -1);
    void FailWriteAt(uint32_t address, int32_t times = -1);
    void FailEraseAt(uint32_t address, int32_t times = -1);
    void ClearFaults();

    // --- Adapter side
    std::vector<SimUsbInterface> usbInterfaces;
    int32_t firmwareVersion = 20409001;

    SimCallLog& Log() { return log_; }
    const SimCallLog& Log() const { return log_; }

private:
    struct OperationFault {
        std::string name;
        int32_t error;
        int32_t times;
        int32_t skip = 0; // calls still to pass before the fault
    };
    struct AddressFault {
        uint32_t address;
        int32_t times;
    };

    SimTarget(std::vector<uint8_t> memory, std::unique_ptr<Region[]> regions);

    bool TakeAddressFault(std::vector<AddressFault>& faults, uint32_t first, uint32_t last);
    int32_t EraseRange(uint32_t first, uint32_t last);
    int32_t Access() const;
    void PlaceDescriptor();

    core::DeviceInfo device_{};
    SimLayout layout_{};
    // Where the byte of an address is kept: the mirrored low RAM lives in
    // the RAM it shows.
    uint32_t Home(uint32_t address) const {
        return layout_.ramMirror != 0 && address >= layout_.ramStart && address <= layout_.ramEnd
                   ? layout_.ramMirror + (address - layout_.ramStart)
                   : address;
    }
    // Calls f(home, offset, n) for the runs of address .. address+count-1
    // (inside the memory) whose bytes are kept one after another: the
    // mirrored low RAM is a run of its own. Stops when f returns false.
    template <class F> void ForEachRun(uint32_t address, uint32_t count, F f) const {
        for (uint32_t offset = 0; offset < count;) {
            const uint32_t a = address + offset;
            uint32_t n = count - offset;
            if (layout_.ramMirror != 0 && a < layout_.ramStart) {
                n = std::min(n, layout_.ramStart - a);
            } else if (layout_.ramMirror != 0 && a <= layout_.ramEnd) {
                n = std::min(n, layout_.ramEnd - a + 1);
            }
            if (!f(Home(a), offset, n)) {
                return;
            }
            offset += n;
        }
    }
    // Marks memory_[first .. end-1] changed since the last layout.
    void Touch(uint32_t first, uint32_t end);
    std::vector<uint8_t> memory_;
    // What changed in memory_ since SelectDevice laid it out (none while
    // dirtyFirst_ >= dirtyEnd_), so that laying out the same layout again
    // only puts those bytes back.
    uint32_t dirtyFirst_ = kMemorySize;
    uint32_t dirtyEnd_ = 0;
    bool laidOut_ = false; // regions_ hold layout_
    // Allocated without a walk over every element; SelectDevice lays it out.
    std::unique_ptr<Region[]> regions_;
    uint8_t fuseByte_ = 0;
    bool fuseBlown_ = false;
    bool infoAUnlocked_ = false;
    int32_t adapterSupply_ = 0;
    int32_t externalSupply_ = 0;
    int32_t supplyReading_ = -1;
    std::vector<OperationFault> operationFaults_;
    std::vector<AddressFault> readFaults_;
    std::vector<AddressFault> writeFaults_;
    std::vector<AddressFault> eraseFaults_;
    SimCallLog log_;
};

} // namespace sim
