#pragma once
// The setup keys: two tables over the setting variables drive the key-line
// writer, the key-line reader with its clamping, and the "New Setup"
// defaults. Setup files, "config.ini" and project files all carry these lines.

#include "core/settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace core {

// A decimal key: values 0..maximum.
struct SetupIntKey {
    const char* name;
    int32_t SettingsState::*variable; // null in the row that ends the table
    int32_t maximum;
    int32_t defaultValue;
};

// An address or number key, written in hexadecimal: values minimum..maximum.
struct SetupHexKey {
    const char* name;
    int32_t SettingsState::*variable; // null in the row that ends the table
    int32_t minimum;
    int32_t maximum;
    int32_t defaultValue;
};

inline constexpr int32_t kSetupIntKeyCount = 48;
inline constexpr int32_t kSetupHexKeyCount = 10;

// The maximum of a decimal key that follows the device table: the highest
// row of DeviceInfoTable (or of a full table while none is built yet).
inline constexpr int32_t kSetupMaxIsDeviceCount = -1;

// In file order, each ended by a row without a variable. The older names
// EraseFlashSegmA/B and ReadFlashSegmA/B are rows of their own over the
// variables of EraseInfoSegmB/A and ReadInfoSegmB/A.
extern const SetupIntKey SetupIntKeyTable[kSetupIntKeyCount + 1];
extern const SetupHexKey SetupHexKeyTable[kSetupHexKeyCount + 1];

// The upper limit a read value of the key is clamped to.
int32_t SetupIntKeyMaximum(const SetupIntKey& key);

// A value that runs to the end of its line (paths may hold blanks): at most
// max characters, without trailing blanks, TABs and CRs, also where the cut
// falls, so the value reads back the same from the line the writer makes.
std::string SetupValueRestOfLine(std::string_view value, size_t max = std::string_view::npos);

// "New Setup": every key of both tables to its default in settings.
void SetupKeysDefault(SettingsState& settings);

// Writes every key line through ProjectLineWrite: with withPassword 1 the
// "BSL_Password" line first (project files only), then "AppendPasswData",
// both tables, the debug-library paths, the adapter name, the serial-number
// file, "SN_DataFile" (only with serialization from a list), and
// "ModelCode". Returns 1 when every line was written, else 0.
int32_t SetupKeysWrite(int32_t withPassword, std::FILE* file);

// Applies the current LineReader line as one key line. A line whose first
// token is a key name (any case) is that key's alone; a first token that
// names no key is taken by the first key it begins with. Numbers are
// clamped to the key's limits (a hexadecimal key keeps its default even
// outside them); a hexadecimal key needs its "0x"; a line that
// matches nothing, or a number key without a value, changes nothing. Path
// values take the rest of the line without trailing blanks.
void SetupKeyRead();

// True when the current LineReader line is the kind SetupKeysWrite writes:
// its first token is a key name (any case, as SetupKeyRead matches it).
bool SetupKeyLineNamesKey();

} // namespace core
