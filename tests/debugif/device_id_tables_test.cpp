// The device-ID table and the per-type tables: their contents and how they
// hang together.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "debugif/device_id_table.h"
#include "debugif/device_layout_table.h"
#include "debugif/device_type_tables.h"

namespace debugif {
namespace {

constexpr uint16_t A = kDeviceIdAny;

// The names of a type's rows.
std::vector<std::string> NamesOfType(std::size_t type) {
    std::vector<std::string> names;
    for (const DeviceIdRow& row : DeviceIdTable) {
        if (row.deviceType == type) {
            names.emplace_back(row.name);
        }
    }
    return names;
}

bool AnyNameMatches(std::size_t type, const std::regex& pattern) {
    for (const std::string& name : NamesOfType(type)) {
        if (std::regex_search(name, pattern)) {
            return true;
        }
    }
    return false;
}

TEST(DeviceIdTableTest, SpotRowsHoldTheirKeysTypesAndNames) {
    struct Spot {
        uint16_t row;
        std::array<uint16_t, 7> keys;
        uint16_t fuseValue;
        uint16_t fuseMask;
        uint16_t type;
        const char* name;
    };
    const std::vector<Spot> spots = {
        {0, {0x00, A, A, A, A, A, A}, A, 0, 0, "Device_unknown"},
        {1, {0xF1, 0x12, 0x00, 0x43, 0x00, 0x08, A}, A, 0, 1, "Prototype_MSP430F11x1"},
        {3, {0xF1, 0x49, A, A, A, A, A}, 0x5, 0xF, 3, "MSP430F133"},
        {19, {0xF4, 0x27, 0x00, A, A, A, 0x45}, 0x2, 0x1F, 18, "MSP430FE423_P"},
        {32, {0xF4, 0x27, A, A, A, A, 0x47}, 0x6, 0x7, 25, "MSP430F4230"},
        {44, {0xF1, 0x6C, A, A, A, A, A}, 0x7, 0x7, 33, "MSP430F169"},
        {48, {0xAF, 0x13, 0x90, A, A, A, A}, A, 0, 40, "TMS430FCAS001"},
        {91, {0x54, 0x38, 0x01, A, A, A, A}, A, 0, 83, "XMS430F5438"},
        {95, {0x42, 0x52, A, A, A, A, 0x45}, 0x12, 0x1F, 87, "MSP430FE4232"},
        {117, {0x41, 0x52, A, A, A, A, A}, 0x0, 0x1, 109, "MSP430F4152"},
        {125, {0x51, 0x33, A, A, A, A, A}, A, 0, 117, "CC430F5133"},
        {126, {0x00, A, A, A, A, A, A}, A, 0, 118, "End_of_devices"},
    };
    for (const Spot& s : spots) {
        SCOPED_TRACE(s.row);
        const DeviceIdRow& row = DeviceIdTable[s.row];
        EXPECT_EQ(row.keys, s.keys);
        EXPECT_EQ(row.fuseValue, s.fuseValue);
        if (s.fuseValue != A) {
            EXPECT_EQ(row.fuseMask, s.fuseMask);
        }
        EXPECT_EQ(row.deviceType, s.type);
        EXPECT_STREQ(row.name, s.name);
    }
}

TEST(DeviceIdTableTest, RowsTypesAndNamesHangTogether) {
    ASSERT_EQ(DeviceIdTable.size(), 127u);
    EXPECT_EQ(DeviceIdTableRowCount, 127);

    std::set<std::size_t> typesUsed;
    std::map<std::string, std::set<uint16_t>> rowsOfName;
    for (uint16_t r = 0; r < DeviceIdTable.size(); ++r) {
        const DeviceIdRow& row = DeviceIdTable[r];
        EXPECT_LT(row.deviceType, kDeviceTypeCount) << r;
        const std::string name = row.name;
        EXPECT_FALSE(name.empty()) << r;
        EXPECT_LE(name.size(), 31u) << r; // fits the identify record's name field
        for (uint16_t key : row.keys) {
            EXPECT_TRUE(key == A || key <= 0xFF) << r;
        }
        typesUsed.insert(row.deviceType);
        rowsOfName[name].insert(r);
    }
    // Every type is reached by some row.
    EXPECT_EQ(typesUsed.size(), kDeviceTypeCount);

    // Names are unique but for two devices listed under two IDs each.
    std::map<std::string, std::set<uint16_t>> repeated;
    for (const auto& [name, rows] : rowsOfName) {
        if (rows.size() > 1) {
            repeated[name] = rows;
        }
    }
    const std::map<std::string, std::set<uint16_t>> expected = {
        {"MSP430F169", {40, 44}},
        {"MSP430F43x", {12, 13}},
    };
    EXPECT_EQ(repeated, expected);
    // A name always stands for one type.
    for (const auto& [name, rows] : rowsOfName) {
        std::set<uint16_t> types;
        for (uint16_t r : rows) {
            types.insert(DeviceIdTable[r].deviceType);
        }
        EXPECT_EQ(types.size(), 1u) << name;
    }
}

TEST(DeviceLayoutTableTest, EveryTypeNamesOneLayoutRow) {
    ASSERT_EQ(LayoutIndexTable.size(), 119u);
    ASSERT_EQ(MemoryLayoutTable.size(), 50u);
    std::set<uint16_t> named;
    for (uint16_t row : LayoutIndexTable) {
        ASSERT_LT(row, kMemoryLayoutCount);
        named.insert(row);
    }
    // The rows no type names.
    std::set<uint16_t> unnamed;
    for (uint16_t row = 0; row < kMemoryLayoutCount; ++row) {
        if (!named.count(row)) {
            unnamed.insert(row);
        }
    }
    EXPECT_EQ(unnamed, (std::set<uint16_t>{2, 3, 6, 15, 16}));

    const std::map<std::size_t, uint16_t> spots = {
        {0, 0},   {118, 0},  {1, 1},    {2, 4},    {7, 11},   {33, 11}, {34, 12},
        {39, 21}, {44, 24},  {46, 24},  {50, 17},  {84, 43},  {85, 44}, {86, 45},
        {94, 9},  {109, 28}, {110, 27}, {111, 46}, {117, 49},
    };
    for (const auto& [type, row] : spots) {
        EXPECT_EQ(LayoutIndexTable[type], row) << "type " << type;
    }
}

TEST(DeviceLayoutTableTest, LayoutRowsAreWellFormed) {
    const MemoryLayout& r0 = MemoryLayoutTable[0];
    EXPECT_EQ(r0.mainStart, 0);
    EXPECT_EQ(r0.mainEnd, 0u);
    EXPECT_EQ(r0.layoutWord1, 0);
    EXPECT_EQ(r0.ramEnd, 0);
    EXPECT_EQ(r0.bslStart, 0x0C00);
    EXPECT_EQ(r0.bslEnd, 0x0FFF);

    for (std::size_t i = 1; i < kMemoryLayoutCount; ++i) {
        SCOPED_TRACE(i);
        const MemoryLayout& r = MemoryLayoutTable[i];
        EXPECT_EQ(r.layoutWord1, 0x0200);
        EXPECT_TRUE(r.layoutWord2 == 0x80 || r.layoutWord2 == 0x40);
        EXPECT_LT(r.mainStart, r.mainEnd);
        EXPECT_LE(r.mainEnd, 0x45BFFu);
        EXPECT_LT(r.infoStart, r.infoEnd);
        EXPECT_LT(r.ramStart, r.ramEnd);
        EXPECT_LE(r.ram2Start, r.ram2End);
        EXPECT_LE(r.bslStart, r.bslEnd);
    }

    // Spot rows in full.
    const auto same = [](const MemoryLayout& a, const MemoryLayout& b) {
        return a.mainStart == b.mainStart && a.mainEnd == b.mainEnd &&
               a.layoutWord1 == b.layoutWord1 && a.infoStart == b.infoStart &&
               a.infoEnd == b.infoEnd && a.layoutWord2 == b.layoutWord2 &&
               a.ramStart == b.ramStart && a.ramEnd == b.ramEnd && a.ram2Start == b.ram2Start &&
               a.ram2End == b.ram2End && a.bslStart == b.bslStart && a.bslEnd == b.bslEnd;
    };
    const std::map<std::size_t, MemoryLayout> spots = {
        {1, {0xF000, 0x0FFFF, 0x0200, 0xEF00, 0xEFFF, 0x80, 0x0200, 0x02FF, 0, 0, 0x0C00, 0x0FFF}},
        {12,
         {0x8000, 0x0FFFF, 0x0200, 0x1000, 0x10FF, 0x80, 0x0200, 0x09FF, 0x1100, 0x24FF, 0x0C00,
          0x0FFF}},
        {24, {0xF800, 0x0FFFF, 0x0200, 0x1000, 0x10FF, 0x40, 0x0200, 0x027F, 0, 0, 0, 0}},
        {41,
         {0x3100, 0x19FFF, 0x0200, 0x1000, 0x10FF, 0x40, 0x0200, 0x09FF, 0x1100, 0x30FF, 0x0C00,
          0x0FFF}},
        {43, {0x5C00, 0x45BFF, 0x0200, 0x1800, 0x19FF, 0x80, 0x1C00, 0x5BFF, 0, 0, 0x1000, 0x17FF}},
        {49, {0xE000, 0x0FFFF, 0x0200, 0x1800, 0x19FF, 0x80, 0x1C00, 0x23FF, 0, 0, 0x1000, 0x17FF}},
    };
    for (const auto& [row, layout] : spots) {
        EXPECT_TRUE(same(MemoryLayoutTable[row], layout)) << "layout row " << row;
    }
}

TEST(DeviceTypeTablesTest, TheFullyKnownTypesStandAsGiven) {
    EXPECT_EQ(EmulationTable[7], (EmulationRow{3, 0, 3, 2, 0, 0x60D7}));
    EXPECT_EQ(OptionByteTable[7], (OptionByteRow{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(SupplyTable[7], (SupplyRow{1800, 3600, 2500, 6000, 7000}));
    EXPECT_EQ(OptionsTable[7], (OptionsRow{0, 0, 0, 0, 0}));
    EXPECT_EQ(BytePairTable[7], (BytePairRow{0xF3, 0x30, 0xD3, 0x30, 0xC0, 0x30}));

    EXPECT_EQ(EmulationTable[84], (EmulationRow{8, 2, 10, 3, 2, 0x0417}));
    EXPECT_EQ(OptionByteTable[84], (OptionByteRow{1, 3, 0, 0, 0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(SupplyTable[84], (SupplyRow{1800, 3600, 2500, 6000, 7000}));
    EXPECT_EQ(OptionsTable[84], (OptionsRow{0, 0, 0, 0, 0}));
    EXPECT_EQ(BytePairTable[84], (BytePairRow{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));

    // Type 0: the extension values of row 0 (emulation [1] 0, [2] 2), the
    // 1800 mV minimum, and the defaults of a record before identification.
    EXPECT_EQ(EmulationTable[0], (EmulationRow{2, 0, 2, 0, 0, 0x60D7}));
    EXPECT_EQ(OptionByteTable[0], (OptionByteRow{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(SupplyTable[0], (SupplyRow{1800, 3600, 2500, 6000, 7000}));
    EXPECT_EQ(OptionsTable[0], (OptionsRow{0, 0, 0, 0, 0}));
    EXPECT_EQ(BytePairTable[0], (BytePairRow{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

// Every other type is type 0 but for the TEST-pin flag, the F4xx option
// bytes and the supply minimum.
TEST(DeviceTypeTablesTest, OtherTypesDifferFromType0OnlyByTheRules) {
    for (std::size_t t = 0; t < kDeviceTypeCount; ++t) {
        if (t == 0 || t == 7 || t == 84) {
            continue;
        }
        SCOPED_TRACE(NamesOfType(t).front());
        EXPECT_EQ(EmulationTable[t], EmulationTable[0]);
        EXPECT_EQ(OptionsTable[t], OptionsTable[0]);
        EXPECT_EQ(BytePairTable[t], BytePairTable[0]);
        for (std::size_t i = 1; i < 5; ++i) {
            EXPECT_EQ(SupplyTable[t][i], SupplyTable[0][i]);
        }
        for (std::size_t i : {1, 2, 5, 6, 7, 8, 9}) {
            EXPECT_EQ(OptionByteTable[t][i], OptionByteTable[0][i]);
        }
    }
}

TEST(DeviceTypeTablesTest, SupplyMinimumFollowsTheFamily) {
    const std::regex f42x("^MSP430FE?42[357]A?(_[PN])?$|^MSP430FE42(32|x2|72)$");
    for (std::size_t t = 0; t < kDeviceTypeCount; ++t) {
        const std::string name = NamesOfType(t).front();
        SCOPED_TRACE(name);
        uint16_t expected = 1800;
        if (AnyNameMatches(t, f42x)) {
            expected = 2700;
        } else if (name == "TMS430FCAS001" || name == "TMS430FCAS003") {
            expected = 2970;
        } else if (name == "TMS430ROMSHUTTLE" || name == "TMS430EMU") {
            expected = 3135;
        } else if (t == 118) {
            expected = 0;
        }
        EXPECT_EQ(SupplyTable[t][0], expected);
    }
    // The 2700 mV group: F42x, FE42x (three variants each) and FE42x2.
    std::size_t count = 0;
    for (std::size_t t = 0; t < kDeviceTypeCount; ++t) {
        count += SupplyTable[t][0] == 2700;
    }
    EXPECT_EQ(count, 15u);
}

TEST(DeviceTypeTablesTest, OnlyTheF4xxFamilyHasLcdOptionBytes) {
    const std::regex f4xx("MSP430F[EGW]?4");
    std::size_t f4xxTypes = 0;
    for (std::size_t t = 0; t < kDeviceTypeCount; ++t) {
        SCOPED_TRACE(NamesOfType(t).front());
        const uint8_t first = OptionByteTable[t][3];
        const uint8_t last = OptionByteTable[t][4];
        if (AnyNameMatches(t, f4xx)) {
            ++f4xxTypes;
            EXPECT_EQ(first, 0x90);
            EXPECT_TRUE(last == 0x9C || last == 0xA4 || last == 0xAF) << int(last);
        } else {
            EXPECT_EQ(first, 0);
            EXPECT_EQ(last, 0);
        }
    }
    EXPECT_EQ(f4xxTypes, 48u);

    const std::map<std::size_t, uint8_t> spots = {
        {9, 0x9C},  {24, 0x9C}, {12, 0xA4}, {13, 0xA4}, {18, 0xA4},  {21, 0xA4},  {87, 0xA4},
        {25, 0xAF}, {37, 0xAF}, {38, 0xAF}, {92, 0xAF}, {101, 0xAF}, {109, 0xAF},
    };
    for (const auto& [type, last] : spots) {
        EXPECT_EQ(OptionByteTable[type][4], last) << NamesOfType(type).front();
    }
}

TEST(DeviceTypeTablesTest, TestPinFlagFollowsTheDeviceList) {
    // The types whose devices the core's list gives a TEST pin (rather than
    // TDI): F11x(1), F12x, F11x2/F12x2, F20xx, F21xx, F22xx, F543x, F41x2.
    const std::set<std::size_t> withTestPin = {1,  2,  10, 11, 14, 15, 16, 39,  44, 45,
                                               46, 47, 48, 49, 54, 55, 56, 80,  81, 82,
                                               83, 84, 85, 86, 89, 90, 91, 109, 110};
    for (std::size_t t = 0; t < kDeviceTypeCount; ++t) {
        EXPECT_EQ(OptionByteTable[t][0], withTestPin.count(t) ? 1 : 0) << NamesOfType(t).front();
    }
}

} // namespace
} // namespace debugif
