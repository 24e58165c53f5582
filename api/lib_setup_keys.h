#pragma once
// The library's setup keys: its own decimal and address tables over the
// core's setting variables and its own (DCO_base_address), their defaults,
// and the key-line parse of its setup reader. Keys match as prefixes of a
// line's first token, in table order, without regard to case.

#include <cstdint>
#include <string_view>

namespace api {

struct LibIntKey {
    const char* name;
    int32_t* variable; // null in the row that ends the table
    int32_t maximum;   // kLibMaxIsDeviceCount: LibSettings.DeviceCount
    int32_t defaultValue;
};

struct LibHexKey {
    const char* name;
    int32_t* variable; // null in the row that ends the table
    int32_t minimum;
    int32_t maximum;
    int32_t defaultValue;
};

inline constexpr int32_t kLibIntKeyCount = 47;
inline constexpr int32_t kLibHexKeyCount = 11;
inline constexpr int32_t kLibMaxIsDeviceCount = -1;

extern const LibIntKey LibIntKeyTable[kLibIntKeyCount + 1];
extern const LibHexKey LibHexKeyTable[kLibHexKeyCount + 1];

// Every key of both tables to its default.
void LibKeysDefault();

// The line's first token: the text up to the first of the line reader's
// separators after any leading ones ("" for a line of separators only).
std::string_view LibLineFirstToken(std::string_view line);

// Applies one setup line (case kept): "BSL_Password" and "AppendPasswData"
// take 32 hex byte pairs; else the first decimal row the first token begins
// with takes the decimal value (clamped to 0..maximum), else the first
// address row takes a value written with "0x" (raised to the minimum, cut to
// the maximum). A line without a value, or matching nothing, changes nothing.
void LibKeyLineParse(std::string_view line);

// The Interface field from InterfaceType: 3 when it is not 0, else 0.
void LibInterfaceDerive();

} // namespace api
