#include "core/device_table.h"

#include "core/device_table_text.h"
#include "core/line_reader.h"
#include "core/number_parse.h"

#include <cstring>
#include <string>

namespace core {

DeviceInfoTableState DeviceInfoTable = [] {
    DeviceInfoTableState t{};
    t.Reset();
    return t;
}();

void DeviceInfoTableState::Reset() {
    *this = DeviceInfoTableState{};
    DeviceInfo& d = records[0];
    std::memcpy(d.name, ".1x,F4x.", 9);
    d.kind = 2;
    d.flashStart = 0x1100;
    d.flashEnd = 0xFFFF;
    d.ramSize = 2048;
    d.infoLetter = 'A';
    std::memcpy(d.ifCode, "A", 2);
    d.vccLow = 180;
    d.vccHigh = 270;
    // records[1], all zero, is the end record.
}

bool DeviceRowValid(int32_t row) {
    return row >= 0 && row <= DeviceInfoTable.count;
}

namespace {

// Copies the front of line up to the first separator, at most width
// characters, padded with blanks to width.
void CopyPadded(const char* line, char* out, int width) {
    int i = 0;
    while (i < width && line[i] != '\0' && !IsLineSeparator(line[i])) {
        out[i] = line[i];
        ++i;
    }
    while (i < width) {
        out[i++] = ' ';
    }
    out[width] = '\0';
}

int32_t TokenLength(const char* line) {
    int32_t n = 0;
    while (line[n] != '\0' && !IsLineSeparator(line[n])) {
        ++n;
    }
    return n;
}

// Parses the fields after the name from LineReader.line into d. False when a
// token is missing or the flash range is not written with "0X".
bool ParseRowFields(DeviceInfo& d, int32_t* rowFilter) {
    const char* line = LineReader.line;

    if (LineNextToken(1) <= 0) {
        return false;
    }
    int32_t kind = TextParseNumber(line);
    if (kind < 2 || kind > 4) {
        kind = 2;
    }
    if (line[0] != '\0' && line[1] == 'B') {
        kind += 0x10;
    }
    d.kind = kind;

    if (LineNextToken(1) <= 0 || line[0] != '0' || line[1] != 'X') {
        return false;
    }
    d.flashStart = static_cast<int32_t>(TextParseHex(line + 2));
    // The end is written "-0X..." right after a four-digit start.
    d.flashEnd = 0xFFFF;
    if (TokenLength(line) > 9 && line[7] == '0' && line[8] == 'X') {
        d.flashEnd = static_cast<int32_t>(TextParseHex(line + 9));
    }

    if (LineNextToken(1) <= 0) {
        return false;
    }
    d.ramSize = TextParseNumber(line);

    if (LineNextToken(1) <= 0) {
        return false;
    }
    d.infoLetter = line[0];

    if (LineNextToken(1) <= 0) {
        return false;
    }
    LineCopyToken(3, d.ifCode);

    if (LineNextToken(1) <= 0) {
        return false;
    }
    d.hasTestPin = line[1] == 'E' ? 1 : 0;

    uint32_t* hex[] = {&d.deviceId, &d.mask1, &d.mask2};
    for (uint32_t* h : hex) {
        if (LineNextToken(1) <= 0) {
            return false;
        }
        *h = TextParseHex(line);
    }

    if (LineNextToken(1) <= 0) {
        return false;
    }
    CopyPadded(line, d.group, 16);
    for (char& c : d.group) {
        if (c == 'X') {
            c = 'x'; // the reader upper-cased the row; family names use 'x'
        }
    }

    if (LineNextToken(1) <= 0) {
        return false;
    }
    d.vccLow = TextParseHundredths(line);
    if (LineNextToken(1) <= 0) {
        return false;
    }
    d.vccHigh = TextParseHundredths(line);

    if (LineNextToken(1) <= 0) {
        return false;
    }
    *rowFilter = TextParseNumber(line);
    return true;
}

} // namespace

int32_t DeviceTableParse(int32_t filter) {
    DeviceInfoTable.Reset();
    std::string text;
    for (const char* row : DeviceTableText) {
        text += row;
    }
    LineReaderReset();
    LineReader.textPos = 0;

    int32_t index = 0;
    while (index < kDeviceTableMaxRows && LineReadFromText('U', text) != 0) {
        if (LineNextToken(0) <= 0) {
            continue;
        }
        DeviceInfo d{};
        CopyPadded(LineReader.line, d.name, 8);
        int32_t rowFilter = 0;
        if (!ParseRowFields(d, &rowFilter)) {
            break; // a broken row ends the table here
        }
        if ((rowFilter & filter) == 0) {
            std::memset(d.name, 0, sizeof d.name);
            std::memcpy(d.name, "xx", 2);
        }
        DeviceInfoTable.records[++index] = d;
    }
    DeviceInfoTable.count = index; // records[index + 1] stays zero: the end record
    LineReader.line[0] = '\0';
    return 1;
}

int32_t DeviceIsSecondIdRow(int32_t row) {
    if (!DeviceRowValid(row)) {
        return 0;
    }
    return (DeviceInfoTable.records[row].deviceId >> 16) == 0x0001 ? 1 : 0;
}

int32_t DeviceSeriesFromId(int32_t row) {
    if (!DeviceRowValid(row)) {
        return 1;
    }
    const uint32_t id = DeviceInfoTable.records[row].deviceId;
    const int32_t top = static_cast<int32_t>((id >> 12) & 0xF);
    if (top == 0xF) {
        const int32_t next = static_cast<int32_t>((id >> 8) & 0xF);
        return next != 0 ? next : 1;
    }
    return top != 0 ? top : 1;
}

} // namespace core
