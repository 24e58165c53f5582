// Any text read as key lines leaves every key within its limits (or at its
// default), and what the key writer then writes reads back to the same
// settings.

#include "core/device_table.h"
#include "core/line_reader.h"
#include "core/passwords.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "core/setup_keys.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace core;

void ReadKeyLines(std::string_view text) {
    LineReader.textPos = 0;
    while (LineReadFromText(' ', text) > 0) {
        SetupKeyRead();
    }
}

struct Values {
    std::vector<int32_t> ints;
    std::vector<std::string> texts;
    std::vector<int32_t> bytes;
    bool operator==(const Values&) const = default;
};

Values Current() {
    Values v;
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        v.ints.push_back(Settings.*SetupIntKeyTable[r].variable);
    }
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        v.ints.push_back(Settings.*SetupHexKeyTable[r].variable);
    }
    v.texts = {Settings.MSP430DLL1, Settings.MSP430DLL2, Settings.Selected_UIF,
               Settings.SNFilePathAndName};
    if (Settings.SerializationEnable == 1 && Settings.SNDispFormatIndex == 7) {
        v.texts.push_back(Settings.SN_DataFile);
    }
    v.bytes.assign(SerialData.ModelTextBytes, SerialData.ModelTextBytes + kModelTextMax);
    v.bytes.insert(v.bytes.end(), Passwords.BslPassword, Passwords.BslPassword + kPasswordSize);
    v.bytes.insert(v.bytes.end(), Passwords.AppendPasswData,
                   Passwords.AppendPasswData + kPasswordSize);
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool tableBuilt = [] {
        DeviceTableParse(kDeviceFilterAll);
        return true;
    }();
    (void)tableBuilt;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The writer's lines must fit the reader's 1024 characters.
    size_t run = 0;
    for (char c : text) {
        run = (c == '\r' || c == '\n' || c == 0x1A) ? 0 : run + 1;
        if (run > 900) {
            return 0;
        }
    }
    Settings.Reset();
    SerialData.Reset();
    Passwords.Reset();
    LineReader.Reset();
    ReadKeyLines(text);

    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        const int32_t v = Settings.*SetupIntKeyTable[r].variable;
        if (v < 0 || v > SetupIntKeyMaximum(SetupIntKeyTable[r])) {
            __builtin_trap();
        }
    }
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        const SetupHexKey& k = SetupHexKeyTable[r];
        const int32_t v = Settings.*k.variable;
        if (v != k.defaultValue && (v < k.minimum || v > k.maximum)) {
            __builtin_trap();
        }
    }

    const Values before = Current();
    std::FILE* f = std::tmpfile();
    if (f == nullptr) {
        return 0;
    }
    if (SetupKeysWrite(1, f) != 1) {
        __builtin_trap();
    }
    std::string written;
    std::rewind(f);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        written.append(buf, n);
    }
    std::fclose(f);

    Settings.Reset();
    SerialData.Reset();
    Passwords.Reset();
    ReadKeyLines(written);
    if (!(Current() == before)) {
        __builtin_trap();
    }
    return 0;
}
