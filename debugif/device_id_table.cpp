#include "debugif/device_id_table.h"

#include "debugif/device_type_count.h"

namespace debugif {

namespace {
constexpr uint16_t kAny = kDeviceIdAny;
} // namespace

// Rows are tried in order and the first match wins, so the order matters:
// rows 0 and 126 carry the same keys, and row 0 shadows row 126.
// clang-format off
constexpr std::array<DeviceIdRow, DeviceIdTableRowCount> DeviceIdTable = {{
    // row      b0    b1    b2    b3    b8    b9   b13    fuse  mask type  name
    /*   0 */ {{0x00, kAny, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00,   0, "Device_unknown"},
    /*   1 */ {{0xF1, 0x12, 0x00, 0x43, 0x00, 0x08, kAny}, kAny, 0x00,   1, "Prototype_MSP430F11x1"},
    /*   2 */ {{0xF1, 0x12, 0x10, 0x40, 0x00, 0x00, kAny}, kAny, 0x00,   2, "MSP430F11x1"},
    /*   3 */ {{0xF1, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x05, 0x0F,   3, "MSP430F133"},
    /*   4 */ {{0xF1, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x04, 0x0F,   4, "MSP430F135"},
    /*   5 */ {{0xF1, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x0F,   5, "MSP430F147"},
    /*   6 */ {{0xF1, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x0F,   6, "MSP430F148"},
    /*   7 */ {{0xF1, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x0F,   7, "MSP430F149"},
    /*   8 */ {{0xF4, 0x03, 0x00, 0x40, kAny, kAny, kAny}, kAny, 0x00,   8, "Preliminary_MSP430F413"},
    /*   9 */ {{0xF4, 0x13, 0x02, 0x40, kAny, kAny, kAny}, kAny, 0x00,   9, "MSP430F41x"},
    /*  10 */ {{0xF1, 0x12, 0x13, kAny, 0x00, 0x00, kAny}, kAny, 0x00,  10, "MSP430F11x1A"},
    /*  11 */ {{0xF1, 0x23, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00,  11, "MSP430F12x"},
    /*  12 */ {{0xF4, 0x37, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00,  12, "MSP430F43x"},
    /*  13 */ {{0xF4, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x0F,  12, "MSP430F43x"},
    /*  14 */ {{0xF4, 0x49, kAny, kAny, kAny, kAny, 0x00}, 0x00, 0x0F,  13, "MSP430F44x"},
    /*  15 */ {{0x12, 0x32, 0x00, 0x40, kAny, kAny, kAny}, kAny, 0x00,  14, "Preliminary_MSP430F12x2"},
    /*  16 */ {{0x11, 0x32, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00,  15, "MSP430F11x2"},
    /*  17 */ {{0x12, 0x32, 0x10, 0x40, kAny, kAny, kAny}, kAny, 0x00,  16, "MSP430F12x2/F11x2"},
    /*  18 */ {{0xF1, 0x69, 0x00, 0x40, kAny, kAny, kAny}, kAny, 0x00,  17, "Preliminary_MSP430F16x"},
    /*  19 */ {{0xF4, 0x27, 0x00, kAny, kAny, kAny, 0x45}, 0x02, 0x1F,  18, "MSP430FE423_P"},
    /*  20 */ {{0xF4, 0x27, 0x00, kAny, kAny, kAny, 0x45}, 0x01, 0x1F,  19, "MSP430FE425_P"},
    /*  21 */ {{0xF4, 0x27, 0x00, kAny, kAny, kAny, 0x45}, 0x00, 0x1F,  20, "MSP430FE427_P"},
    /*  22 */ {{0xF4, 0x27, 0x10, kAny, kAny, kAny, 0x45}, 0x02, 0x1F,  18, "MSP430FE423_N"},
    /*  23 */ {{0xF4, 0x27, 0x10, kAny, kAny, kAny, 0x45}, 0x01, 0x1F,  19, "MSP430FE425_N"},
    /*  24 */ {{0xF4, 0x27, 0x10, kAny, kAny, kAny, 0x45}, 0x00, 0x1F,  20, "MSP430FE427_N"},
    /*  25 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x02, 0x1F,  18, "MSP430FE423"},
    /*  26 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x01, 0x1F,  19, "MSP430FE425"},
    /*  27 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x00, 0x1F,  20, "MSP430FE427"},
    /*  28 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x06, 0x1F,  21, "MSP430F423"},
    /*  29 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x05, 0x1F,  22, "MSP430F425"},
    /*  30 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x04, 0x1F,  23, "MSP430F427"},
    /*  31 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x57}, kAny, 0x00,  24, "MSP430FW42x/F41x"},
    /*  32 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x47}, 0x06, 0x07,  25, "MSP430F4230"},
    /*  33 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x47}, 0x05, 0x07,  26, "MSP430F4250"},
    /*  34 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x47}, 0x04, 0x07,  27, "MSP430F42x0"},
    /*  35 */ {{0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x06, 0x0F,  28, "MSP430F155"},
    /*  36 */ {{0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x05, 0x0F,  29, "MSP430F156"},
    /*  37 */ {{0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x04, 0x0F,  30, "MSP430F157"},
    /*  38 */ {{0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x0F,  31, "MSP430F167"},
    /*  39 */ {{0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x0F,  32, "MSP430F168"},
    /*  40 */ {{0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x0F,  33, "MSP430F169"},
    /*  41 */ {{0xF1, 0x6C, kAny, kAny, kAny, kAny, kAny}, 0x03, 0x07,  34, "MSP430F1610"},
    /*  42 */ {{0xF1, 0x6C, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x07,  35, "MSP430F1611"},
    /*  43 */ {{0xF1, 0x6C, kAny, kAny, kAny, kAny, kAny}, 0x06, 0x07,  36, "MSP430F1612"},
    /*  44 */ {{0xF1, 0x6C, kAny, kAny, kAny, kAny, kAny}, 0x07, 0x07,  33, "MSP430F169"},
    /*  45 */ {{0xF4, 0x39, kAny, kAny, kAny, kAny, 0x47}, kAny, 0x00,  37, "MSP430FG43x"},
    /*  46 */ {{0xF4, 0x6F, kAny, kAny, kAny, kAny, 0x47}, 0x00, 0x03,  38, "MSP430FG4619"},
    /*  47 */ {{0xF2, 0x13, kAny, kAny, kAny, kAny, 0x01}, kAny, 0x00,  39, "MSP430F21x1"},
    /*  48 */ {{0xAF, 0x13, 0x90, kAny, kAny, kAny, kAny}, kAny, 0x00,  40, "TMS430FCAS001"},
    /*  49 */ {{0xAF, 0x12, 0x50, kAny, kAny, kAny, kAny}, kAny, 0x00,  41, "TMS430FCAS003"},
    /*  50 */ {{0xA0, 0x54, 0x49, kAny, kAny, kAny, kAny}, kAny, 0x00,  42, "TMS430ROMSHUTTLE"},
    /*  51 */ {{0xAE, 0x10, 0x00, kAny, kAny, kAny, kAny}, kAny, 0x00,  43, "TMS430EMU"},
    /*  52 */ {{0xF2, 0x01, kAny, kAny, kAny, kAny, 0x03}, kAny, 0x00,  44, "MSP430F20x3"},
    /*  53 */ {{0xF2, 0x01, kAny, kAny, kAny, kAny, 0x02}, kAny, 0x00,  45, "MSP430F20x2"},
    /*  54 */ {{0xF2, 0x01, kAny, kAny, kAny, kAny, 0x01}, kAny, 0x00,  46, "MSP430F20x1"},
    /*  55 */ {{0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x07,  47, "MSP430F2234"},
    /*  56 */ {{0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x07,  48, "MSP430F2254"},
    /*  57 */ {{0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x07,  49, "MSP430F2274"},
    /*  58 */ {{0xF4, 0x6F, kAny, kAny, kAny, kAny, 0x47}, 0x01, 0x03,  50, "MSP430FG4618"},
    /*  59 */ {{0xF2, 0x37, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x03,  51, "MSP430F2330"},
    /*  60 */ {{0xF2, 0x37, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x03,  52, "MSP430F2350"},
    /*  61 */ {{0xF2, 0x37, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x03,  53, "MSP430F2370"},
    /*  62 */ {{0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x06, 0x07,  54, "MSP430F2232"},
    /*  63 */ {{0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x05, 0x07,  55, "MSP430F2252"},
    /*  64 */ {{0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x04, 0x07,  56, "MSP430F2272"},
    /*  65 */ {{0xF2, 0x6F, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x07,  57, "MSP430F2619"},
    /*  66 */ {{0xF2, 0x6F, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x07,  58, "MSP430F2618"},
    /*  67 */ {{0xF2, 0x6F, kAny, kAny, kAny, kAny, kAny}, 0x04, 0x07,  59, "MSP430F2419"},
    /*  68 */ {{0xF2, 0x6F, kAny, kAny, kAny, kAny, kAny}, 0x05, 0x07,  60, "MSP430F2418"},
    /*  69 */ {{0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x02, 0x1F,  61, "MSP430FE423A"},
    /*  70 */ {{0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x01, 0x1F,  62, "MSP430FE425A"},
    /*  71 */ {{0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x00, 0x1F,  63, "MSP430FE427A"},
    /*  72 */ {{0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x06, 0x1F,  64, "MSP430F423A"},
    /*  73 */ {{0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x05, 0x1F,  65, "MSP430F425A"},
    /*  74 */ {{0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x04, 0x1F,  66, "MSP430F427A"},
    /*  75 */ {{0xF4, 0x49, kAny, kAny, kAny, kAny, 0x02}, 0x07, 0x07,  67, "MSP430F4783"},
    /*  76 */ {{0xF4, 0x49, kAny, kAny, kAny, kAny, 0x02}, 0x03, 0x07,  68, "MSP430F4784"},
    /*  77 */ {{0xF4, 0x49, kAny, kAny, kAny, kAny, 0x02}, 0x04, 0x07,  69, "MSP430F4793"},
    /*  78 */ {{0xF4, 0x49, kAny, kAny, kAny, kAny, 0x02}, 0x00, 0x07,  70, "MSP430F4794"},
    /*  79 */ {{0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x0F,  71, "MSP430F249"},
    /*  80 */ {{0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x0F,  72, "MSP430F248"},
    /*  81 */ {{0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x0F,  73, "MSP430F247"},
    /*  82 */ {{0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x03, 0x0F,  74, "MSP430F235"},
    /*  83 */ {{0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x04, 0x0F,  75, "MSP430F2491"},
    /*  84 */ {{0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x05, 0x0F,  76, "MSP430F2481"},
    /*  85 */ {{0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x06, 0x0F,  77, "MSP430F2471"},
    /*  86 */ {{0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x07, 0x0F,  78, "MSP430F233"},
    /*  87 */ {{0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x08, 0x0F,  79, "MSP430F2410"},
    /*  88 */ {{0xF2, 0x13, kAny, kAny, kAny, kAny, 0x02}, 0x00, 0x03,  80, "MSP430F2132"},
    /*  89 */ {{0xF2, 0x13, kAny, kAny, kAny, kAny, 0x02}, 0x01, 0x03,  81, "MSP430F2122"},
    /*  90 */ {{0xF2, 0x13, kAny, kAny, kAny, kAny, 0x02}, 0x02, 0x03,  82, "MSP430F2112"},
    /*  91 */ {{0x54, 0x38, 0x01, kAny, kAny, kAny, kAny}, kAny, 0x00,  83, "XMS430F5438"},
    /*  92 */ {{0x54, 0x38, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00,  84, "MSP430F5438"},
    /*  93 */ {{0x54, 0x36, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00,  85, "MSP430F5436"},
    /*  94 */ {{0x54, 0x19, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00,  86, "MSP430F5419"},
    /*  95 */ {{0x42, 0x52, kAny, kAny, kAny, kAny, 0x45}, 0x12, 0x1F,  87, "MSP430FE4232"},
    /*  96 */ {{0x42, 0x52, kAny, kAny, kAny, kAny, 0x45}, 0x11, 0x1F,  88, "MSP430FE42x2"},
    /*  97 */ {{0x54, 0x37, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00,  89, "MSP430F5437"},
    /*  98 */ {{0x54, 0x35, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00,  90, "MSP430F5435"},
    /*  99 */ {{0x54, 0x18, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00,  91, "MSP430F5418"},
    /* 100 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x47}, 0x01, 0x07,  92, "MSP430FG4250"},
    /* 101 */ {{0xF4, 0x27, kAny, kAny, kAny, kAny, 0x47}, 0x00, 0x07,  93, "MSP430FG42x0"},
    /* 102 */ {{0x42, 0x52, kAny, kAny, kAny, kAny, 0x45}, 0x10, 0x1F,  94, "MSP430FE4272"},
    /* 103 */ {{0xF4, 0x79, kAny, kAny, kAny, kAny, 0x47}, 0x02, 0x07,  95, "MSP430FG477"},
    /* 104 */ {{0xF4, 0x79, kAny, kAny, kAny, kAny, 0x47}, 0x01, 0x07,  96, "MSP430FG478"},
    /* 105 */ {{0xF4, 0x79, kAny, kAny, kAny, kAny, 0x47}, 0x00, 0x07,  97, "MSP430FG479"},
    /* 106 */ {{0xF4, 0x79, kAny, kAny, kAny, kAny, 0x47}, 0x06, 0x07,  98, "MSP430F477"},
    /* 107 */ {{0xF4, 0x79, kAny, kAny, kAny, kAny, 0x47}, 0x05, 0x07,  99, "MSP430F478"},
    /* 108 */ {{0xF4, 0x79, kAny, kAny, kAny, kAny, 0x47}, 0x04, 0x07, 100, "MSP430F479"},
    /* 109 */ {{0xF4, 0x7F, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x0F, 101, "MSP430F47197"},
    /* 110 */ {{0xF4, 0x7F, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x0F, 102, "MSP430F47187"},
    /* 111 */ {{0xF4, 0x7F, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x0F, 103, "MSP430F47177"},
    /* 112 */ {{0xF4, 0x7F, kAny, kAny, kAny, kAny, kAny}, 0x03, 0x0F, 104, "MSP430F47167"},
    /* 113 */ {{0xF4, 0x7F, kAny, kAny, kAny, kAny, kAny}, 0x04, 0x0F, 105, "MSP430F47196"},
    /* 114 */ {{0xF4, 0x7F, kAny, kAny, kAny, kAny, kAny}, 0x05, 0x0F, 106, "MSP430F47186"},
    /* 115 */ {{0xF4, 0x7F, kAny, kAny, kAny, kAny, kAny}, 0x06, 0x0F, 107, "MSP430F47176"},
    /* 116 */ {{0xF4, 0x7F, kAny, kAny, kAny, kAny, kAny}, 0x07, 0x0F, 108, "MSP430F47166"},
    /* 117 */ {{0x41, 0x52, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x01, 109, "MSP430F4152"},
    /* 118 */ {{0x41, 0x52, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x01, 110, "MSP430F4132"},
    /* 119 */ {{0x61, 0x37, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 111, "CC430F6137"},
    /* 120 */ {{0x61, 0x35, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 112, "CC430F6135"},
    /* 121 */ {{0x61, 0x26, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 113, "CC430F6126"},
    /* 122 */ {{0x61, 0x25, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 114, "CC430F6125"},
    /* 123 */ {{0x51, 0x37, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 115, "CC430F5137"},
    /* 124 */ {{0x51, 0x35, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 116, "CC430F5135"},
    /* 125 */ {{0x51, 0x33, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 117, "CC430F5133"},
    /* 126 */ {{0x00, kAny, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 118, "End_of_devices"},
}};
// clang-format on

namespace {

constexpr bool RowsAreSound() {
    for (const DeviceIdRow& row : DeviceIdTable) {
        if (row.deviceType >= kDeviceTypeCount || row.name == nullptr) {
            return false;
        }
        std::size_t n = 0;
        while (row.name[n] != '\0') {
            ++n;
        }
        // The name must fit the identify record's 32-byte, zero-terminated field.
        if (n == 0 || n > 31) {
            return false;
        }
    }
    return true;
}

static_assert(RowsAreSound(), "a device-ID row names a type or a name that does not fit");

} // namespace

} // namespace debugif
