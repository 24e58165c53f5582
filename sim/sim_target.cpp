#include "sim/sim_target.h"

#include "debugif/device_id_table.h"
#include "debugif/device_lookup.h"
#include "sim/emu_board.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace sim {

namespace {

// Descriptor bytes that carry the version (bytes 10 and 11).
inline constexpr uint8_t kVersionHigh = 0x01;
inline constexpr uint8_t kVersionLow = 0x02;
// Series 5: the revision byte of a production part (0 and 1 are early parts).
inline constexpr uint8_t kLateRevision = 0x02;
// The DCO calibration bytes that series-2 parts carry at 0x10F8..0x10FF.
inline constexpr uint8_t kCalibration[8] = {0x86, 0x8D, 0x8E, 0x8F, 0x95, 0x9A, 0xA4, 0xB1};

// "MSP430F12x2" stands for "MSP430F1232": an 'x' in the table's name (up
// to a '/') matches any character.
bool NameFits(std::string_view tableName, const std::string& name) {
    tableName = tableName.substr(0, tableName.find('/'));
    if (tableName.size() != name.size()) {
        return false;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        if (tableName[i] != 'x' && tableName[i] != name[i]) {
            return false;
        }
    }
    return true;
}

// The ID-table row a device of this name and ID identifies as, among the
// rows with both ID bytes: the one of that name, else one whose name fits
// it, else the first that is not a preliminary part, else the first; -1
// when no row has the ID.
int32_t IdRowFor(uint16_t id, const std::string& name) {
    const uint16_t hi = id >> 8;
    const uint16_t lo = id & 0xFF;
    int32_t fits = -1;
    int32_t production = -1;
    int32_t first = -1;
    for (uint16_t r = 1; r < debugif::DeviceIdTableRowCount - 1; ++r) {
        const debugif::DeviceIdRow& row = debugif::DeviceIdTable[r];
        if (row.keys[0] != hi || row.keys[1] != lo) {
            continue;
        }
        const std::string_view rowName = row.name;
        if (rowName == name) {
            return r;
        }
        if (fits < 0 && NameFits(rowName, name)) {
            fits = r;
        }
        if (production < 0 && rowName.rfind("Prelim", 0) != 0 && rowName.rfind("Proto", 0) != 0) {
            production = r;
        }
        if (first < 0) {
            first = r;
        }
    }
    return fits >= 0 ? fits : (production >= 0 ? production : first);
}

// True when all n bytes are 0xFF.
bool AllErased(const uint8_t* bytes, size_t n) {
    static const std::array<uint8_t, 4096> kErased = [] {
        std::array<uint8_t, 4096> a{};
        a.fill(0xFF);
        return a;
    }();
    for (size_t at = 0; at < n; at += kErased.size()) {
        if (std::memcmp(bytes + at, kErased.data(), std::min(kErased.size(), n - at)) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

SimTarget::SimTarget()
    : SimTarget(std::vector<uint8_t>(kMemorySize),
                std::make_unique_for_overwrite<Region[]>(kMemorySize)) {}

SimTarget::SimTarget(std::vector<uint8_t> memory, std::unique_ptr<Region[]> regions)
    : memory_(std::move(memory)), regions_(std::move(regions)) {
    std::memset(memory_.data(), 0xFF, kMemorySize);
    std::memset(regions_.get(), 0, kMemorySize); // all vacant
    usbInterfaces.push_back({"COM0", 0});
}

void SimTarget::Renew() {
    std::vector<uint8_t> memory = std::move(memory_);
    std::unique_ptr<Region[]> regions = std::move(regions_);
    *this = SimTarget(std::move(memory), std::move(regions));
}

void SimTarget::SelectDevice(const core::DeviceInfo& row) {
    device_ = row;
    const SimLayout layout = LayoutOfDevice(row);
    // The regions are as they were and only the bytes changed since need
    // laying out again when the layout is the one already laid out.
    const bool again = laidOut_ && layout == layout_;
    const uint32_t memoryFirst = again ? std::min(dirtyFirst_, kMemorySize) : 0;
    const uint32_t memoryEnd = again ? std::max(dirtyEnd_, memoryFirst) : kMemorySize;
    layout_ = layout;
    laidOut_ = true;
    dirtyFirst_ = kMemorySize;
    dirtyEnd_ = 0;
    // Range by range, in the order in which RegionOf lets one region win
    // over another (a walk over every address costs more than a whole
    // fuzzer input); then every stretch between two range edges is laid out
    // once, as the last range that covers it says.
    static_assert(sizeof(Region) == 1 && static_cast<int>(Region::Vacant) == 0);
    struct Range {
        uint32_t first;
        uint32_t last;
        Region region;
    };
    std::array<Range, 8> ranges{};
    size_t count = 0;
    auto put = [&](uint32_t first, uint32_t last, Region r) {
        if (first > last || first >= kMemorySize) {
            return;
        }
        ranges[count++] = {first, std::min(last, kMemorySize - 1), r};
    };
    if (layout_.series == 5) {
        put(0x0000, 0x0FFF, Region::Peripheral);
        put(0x0FF0, 0x17FF, Region::Rom);
        put(0x1A00, 0x1AFF, Region::Rom);
    } else {
        put(0x0000, 0x01FF, Region::Peripheral);
        put(0x0C00, 0x0FFF, Region::Rom);
    }
    put(layout_.ramStart, layout_.ramEnd, Region::Ram);
    if (layout_.ram2End != 0) {
        put(layout_.ram2Start, layout_.ram2End, Region::Ram);
    }
    put(layout_.infoStart, layout_.infoEnd, Region::Info);
    put(layout_.mainStart, layout_.mainEnd, Region::Main);
    std::array<uint32_t, 2 * 8 + 2> edges{};
    size_t edgeCount = 0;
    edges[edgeCount++] = 0;
    edges[edgeCount++] = kMemorySize;
    for (size_t k = 0; k < count; ++k) {
        edges[edgeCount++] = ranges[k].first;
        edges[edgeCount++] = ranges[k].last + 1;
    }
    std::sort(edges.begin(), edges.begin() + static_cast<std::ptrdiff_t>(edgeCount));
    for (size_t e = 0; e + 1 < edgeCount; ++e) {
        const uint32_t first = edges[e];
        const uint32_t end = edges[e + 1];
        if (first == end) {
            continue;
        }
        Region r = Region::Vacant;
        for (size_t k = count; k-- > 0;) {
            if (first >= ranges[k].first && first <= ranges[k].last) {
                r = ranges[k].region;
                break;
            }
        }
        if (!again) {
            std::memset(&regions_[first], static_cast<int>(r), end - first);
        }
        const uint32_t from = std::max(first, memoryFirst);
        const uint32_t to = std::min(end, memoryEnd);
        if (from < to) {
            const int erased = (r == Region::Ram || r == Region::Peripheral) ? 0x00 : 0xFF;
            std::memset(&memory_[from], erased, to - from);
        }
    }
    fuseBlown_ = false;
    infoAUnlocked_ = false;
    registers.fill(0);
    running = false;
    cycles = 0;
    PlaceDescriptor();
    if (layout_.series == 2) {
        std::memcpy(&memory_[0x10F8], kCalibration, sizeof kCalibration);
    }
}

void SimTarget::PlaceDescriptor() {
    // The descriptor must make the device-ID table pick the row the device
    // list names, so the library's identify record and the core's reading
    // of the descriptor agree. Try the ID of the row, then its second ID.
    const uint32_t ids[2] = {device_.deviceId & 0xFFFF, device_.deviceId >> 16};
    const std::string name = "MSP430F" + std::string(DeviceRowName(device_));
    uint16_t id = static_cast<uint16_t>(ids[0]);
    int32_t idRow = IdRowFor(id, name);
    if (ids[1] > 1) {
        const int32_t second = IdRowFor(static_cast<uint16_t>(ids[1]), name);
        if (second > 0 && debugif::DeviceIdTable[static_cast<size_t>(second)].name == name) {
            id = static_cast<uint16_t>(ids[1]);
            idRow = second;
        }
    }

    const uint32_t base = layout_.descriptorAddress;
    if (layout_.series == 5) {
        memory_[0x0FF0] = 0x80; // the descriptor lies further up
    }
    std::array<uint8_t, kIdentificationSize> block{};
    fuseByte_ = 0;
    for (const uint8_t filler : {uint8_t{0x00}, uint8_t{0x55}}) {
        block.fill(0);
        block[0] = static_cast<uint8_t>(id >> 8);
        block[1] = static_cast<uint8_t>(id);
        if (idRow > 0) {
            const debugif::DeviceIdRow& r = debugif::DeviceIdTable[static_cast<size_t>(idRow)];
            for (size_t k = 2; k < debugif::kDeviceIdKeyBytes.size(); ++k) {
                const size_t at = debugif::kDeviceIdKeyBytes[k];
                block[at] =
                    r.keys[k] != debugif::kDeviceIdAny ? static_cast<uint8_t>(r.keys[k]) : filler;
            }
            fuseByte_ = r.fuseValue != debugif::kDeviceIdAny
                            ? static_cast<uint8_t>(r.fuseValue & r.fuseMask)
                            : 0;
        }
        if (layout_.series == 5) {
            block[2] = kLateRevision;
        }
        block[10] = kVersionHigh;
        block[11] = kVersionLow;
        block[debugif::kDeviceIdFuseByte] = fuseByte_;
        if (idRow <= 0 || debugif::MatchDeviceIdRow(block) == idRow) {
            break;
        }
    }
    std::memcpy(&memory_[base], block.data(), 16);
}

std::array<uint8_t, kIdentificationSize> SimTarget::IdentificationBlock() const {
    std::array<uint8_t, kIdentificationSize> block{};
    const uint32_t base = memory_[0x0FF0] == 0x80 ? 0x1A04 : 0x0FF0;
    std::memcpy(block.data(), &memory_[base], 16);
    block[16] = fuseByte_;
    return block;
}

void SimTarget::SetEarlyF5xx(bool early) {
    memory_[0x1A06] = early ? 0x01 : kLateRevision;
    Touch(0x1A06, 0x1A07);
}

void SimTarget::Touch(uint32_t first, uint32_t end) {
    if (first < end) {
        dirtyFirst_ = std::min(dirtyFirst_, first);
        dirtyEnd_ = std::max(dirtyEnd_, end);
    }
}

int32_t SimTarget::SetAdapterSupply(int32_t millivolts) {
    if (millivolts < 0 || millivolts > kMaximumSupply) {
        return kErrorVcc;
    }
    adapterSupply_ = millivolts;
    return 0;
}

int32_t SimTarget::PresentSupply() const {
    return std::max(adapterSupply_, externalSupply_);
}

int32_t SimTarget::MeasuredSupply() const {
    return supplyReading_ >= 0 ? supplyReading_ : PresentSupply();
}

int32_t SimTarget::Access() const {
    if (fuseBlown_) {
        return kErrorFuseBlown;
    }
    return Powered() ? 0 : -1;
}

bool SimTarget::TakeAddressFault(std::vector<AddressFault>& faults, uint32_t first, uint32_t last) {
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->address >= first && it->address <= last) {
            if (it->times > 0 && --it->times == 0) {
                faults.erase(it);
            }
            return true;
        }
    }
    return false;
}

int32_t SimTarget::Read(uint32_t address, uint8_t* out, uint32_t count) {
    if (count == 0) {
        return 0;
    }
    const int32_t access = Access();
    if (access != 0) {
        return access > 0 ? access : kErrorRead;
    }
    if (address >= kMemorySize || count > kMemorySize - address) {
        return kErrorRead;
    }
    if (TakeAddressFault(readFaults_, address, address + count - 1)) {
        return kErrorRead;
    }
    ForEachRun(address, count, [&](uint32_t home, uint32_t offset, uint32_t n) {
        std::memcpy(out + offset, &memory_[home], n);
        return true;
    });
    return 0;
}

int32_t SimTarget::Write(uint32_t address, const uint8_t* data, uint32_t count) {
    if (count == 0) {
        return 0;
    }
    const int32_t access = Access();
    if (access != 0) {
        return access > 0 ? access : kErrorWrite;
    }
    if (address >= kMemorySize || count > kMemorySize - address) {
        return kErrorWrite;
    }
    // Where the write breaks off, the bytes before it are in the target.
    uint32_t end = address + count;
    bool failed = false;
    for (auto it = writeFaults_.begin(); it != writeFaults_.end(); ++it) {
        if (it->address >= address && it->address < end) {
            end = it->address;
            failed = true;
            if (it->times > 0 && --it->times == 0) {
                writeFaults_.erase(it);
            }
            break;
        }
    }
    Touch(address, end);
    if (layout_.ramMirror != 0 && address <= layout_.ramEnd && end > layout_.ramStart) {
        // The mirrored low RAM keeps its bytes in the RAM it shows.
        Touch(Home(std::max(address, layout_.ramStart)),
              Home(std::min(end - 1, layout_.ramEnd)) + 1);
    }
    for (uint32_t a = address; a < end; ++a) {
        const uint8_t b = data[a - address];
        switch (regions_[a]) {
        case Region::Ram:
        case Region::Peripheral:
            memory_[Home(a)] = b;
            break;
        case Region::Info:
            if (layout_.InLockedInfoA(a) && !infoAUnlocked_) {
                break;
            }
            memory_[a] &= b;
            break;
        case Region::Main:
            memory_[a] &= b;
            break;
        case Region::Rom:
        case Region::Vacant:
            break;
        }
    }
    return failed ? kErrorWrite : 0;
}

int32_t SimTarget::EraseRange(uint32_t first, uint32_t last) {
    // The main flash is one run of Region::Main (SelectDevice lays it out
    // last, over everything else, and nothing changes the regions later):
    // erased in one go. The rest, information flash at most a few hundred
    // bytes, address by address.
    Touch(first, std::min(last, kMemorySize - 1) + 1);
    const uint32_t mainFirst = layout_.mainStart;
    const uint32_t mainLast = std::min(layout_.mainEnd, kMemorySize - 1);
    const bool hasMain = layout_.mainEnd >= layout_.mainStart && mainFirst <= mainLast;
    for (uint32_t a = first; a <= last;) {
        if (hasMain && a >= mainFirst && a <= mainLast) {
            const uint32_t end = std::min(last, mainLast);
            std::memset(&memory_[a], 0xFF, end - a + 1);
            if (end == last) {
                break;
            }
            a = end + 1;
            continue;
        }
        if (regions_[a] == Region::Main ||
            (regions_[a] == Region::Info && (!layout_.InLockedInfoA(a) || infoAUnlocked_))) {
            memory_[a] = 0xFF;
        }
        if (a == last) {
            break;
        }
        ++a;
    }
    return 0;
}

int32_t SimTarget::EraseSegment(uint32_t address) {
    const int32_t access = Access();
    if (access != 0) {
        return access > 0 ? access : kErrorErase;
    }
    uint32_t first = 0;
    uint32_t last = 0;
    if (!layout_.SegmentOf(address, first, last)) {
        return kErrorErase;
    }
    if (TakeAddressFault(eraseFaults_, first, last)) {
        return kErrorErase;
    }
    return EraseRange(first, last);
}

int32_t SimTarget::EraseMain() {
    const int32_t access = Access();
    if (access != 0) {
        return access > 0 ? access : kErrorErase;
    }
    if (layout_.mainEnd < layout_.mainStart) {
        return kErrorErase;
    }
    if (TakeAddressFault(eraseFaults_, layout_.mainStart, layout_.mainEnd)) {
        return kErrorErase;
    }
    return EraseRange(layout_.mainStart, layout_.mainEnd);
}

int32_t SimTarget::EraseAll() {
    const int32_t access = Access();
    if (access != 0) {
        return access > 0 ? access : kErrorErase;
    }
    if (TakeAddressFault(eraseFaults_, layout_.infoStart, layout_.infoEnd) ||
        (layout_.mainEnd >= layout_.mainStart &&
         TakeAddressFault(eraseFaults_, layout_.mainStart, layout_.mainEnd))) {
        return kErrorErase;
    }
    EraseRange(layout_.infoStart, layout_.infoEnd);
    if (layout_.mainEnd >= layout_.mainStart) {
        EraseRange(layout_.mainStart, layout_.mainEnd);
    }
    return 0;
}

int32_t SimTarget::Verify(uint32_t address, uint32_t length, const uint8_t* data) {
    if (length == 0) {
        return 0;
    }
    const int32_t access = Access();
    if (access != 0) {
        return access > 0 ? access : kErrorRead;
    }
    if (address >= kMemorySize || length > kMemorySize - address) {
        return kErrorRead;
    }
    if (TakeAddressFault(readFaults_, address, address + length - 1)) {
        return kErrorRead;
    }
    bool equal = true;
    ForEachRun(address, length, [&](uint32_t home, uint32_t offset, uint32_t n) {
        equal = data != nullptr ? std::memcmp(&memory_[home], data + offset, n) == 0
                                : AllErased(&memory_[home], n);
        return equal;
    });
    return equal ? 0 : kErrorVerify;
}

uint8_t SimTarget::Peek(uint32_t address) const {
    return address < kMemorySize ? memory_[Home(address)] : 0xFF;
}

void SimTarget::Poke(uint32_t address, uint8_t value) {
    if (address < kMemorySize) {
        memory_[Home(address)] = value;
        Touch(Home(address), Home(address) + 1);
    }
}

std::vector<uint8_t> SimTarget::PeekRange(uint32_t address, uint32_t count) const {
    std::vector<uint8_t> out(count);
    for (uint32_t i = 0; i < count; ++i) {
        out[i] = Peek(address + i);
    }
    return out;
}

void SimTarget::PokeRange(uint32_t address, const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        Poke(address + static_cast<uint32_t>(i), bytes[i]);
    }
}

int32_t SimTarget::BlowFuse() {
    if (fuseBlown_) {
        return kErrorFuseBlown;
    }
    if (!Powered()) {
        return kErrorFuseBlow;
    }
    fuseBlown_ = true;
    return 0;
}

void SimTarget::ResetCpu(bool run) {
    registers.fill(0);
    registers[0] = static_cast<uint32_t>(memory_[0xFFFE] | memory_[0xFFFF] << 8);
    cycles = 0;
    running = run;
}

// A count of 0 asks for no fault; only a negative one lasts until cleared.
void SimTarget::FailOperation(std::string_view name, int32_t error, int32_t times, int32_t skip) {
    if (times != 0) {
        operationFaults_.push_back({std::string(name), error, times, skip});
    }
}

int32_t SimTarget::TakeFault(std::string_view name) {
    for (auto it = operationFaults_.begin(); it != operationFaults_.end(); ++it) {
        if (it->name == name) {
            if (it->skip > 0) {
                --it->skip;
                return 0;
            }
            const int32_t error = it->error;
            if (it->times > 0 && --it->times == 0) {
                operationFaults_.erase(it);
            }
            return error;
        }
    }
    return 0;
}

void SimTarget::FailReadAt(uint32_t address, int32_t times) {
    if (times != 0) {
        readFaults_.push_back({address, times});
    }
}

void SimTarget::FailWriteAt(uint32_t address, int32_t times) {
    if (times != 0) {
        writeFaults_.push_back({address, times});
    }
}

void SimTarget::FailEraseAt(uint32_t address, int32_t times) {
    if (times != 0) {
        eraseFaults_.push_back({address, times});
    }
}

void SimTarget::ClearFaults() {
    operationFaults_.clear();
    readFaults_.clear();
    writeFaults_.clear();
    eraseFaults_.clear();
    supplyReading_ = -1;
}

} // namespace sim
