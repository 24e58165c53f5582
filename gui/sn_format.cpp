#include "gui/sn_format.h"
#include "platform/ascii.h"

#include "core/code_image.h"
#include "core/number_parse.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/serial_number.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace gui {
namespace {

using core::SerialData;
using core::Settings;

int32_t Type() {
    return Settings.SNDispFormatIndex;
}
int32_t Mode() {
    const int32_t m = Settings.SNMemFormatIndex;
    return m >= 1 && m <= 4 ? m : kSnModeHexMswFirst;
}
int32_t CustomSize() {
    return std::clamp(Settings.Custom_SN_size, 0, 256);
}
bool IsCustom(int32_t type) {
    return type == kSnTypeCustom || type == kSnTypeFromFile;
}

template <typename... A> std::string Format(const char* f, A... a) {
    char buf[128];
    std::snprintf(buf, sizeof buf, f, a...);
    return buf;
}

void Put(int32_t count, std::initializer_list<uint32_t> bytes) {
    int32_t i = 0;
    for (uint32_t b : bytes) {
        SerialData.SerialNumberBytes[i++] = static_cast<uint8_t>(b);
    }
    SerialData.SerialNumberCount = count;
}

// Two decimal digits as one BCD byte.
uint8_t BcdPair(const char* digits) {
    return static_cast<uint8_t>(((digits[0] - '0') << 4) | (digits[1] - '0'));
}

int32_t Refuse(int32_t why = kSnRefusedRange) {
    SerialData.SerialNumberCount = 0;
    SerialNumber.SnRefusal = why;
    return 0;
}

// The bytes are packed: 1, unless they read as blank.
int32_t Packed() {
    if (SnBytesBlank(SerialData.SerialNumberBytes, SerialData.SerialNumberCount)) {
        return Refuse(kSnRefusedBlank);
    }
    SerialNumber.SnRefusal = kSnRefusedNone;
    return 1;
}

} // namespace

bool SnIsHexMode(int32_t mode) {
    return mode != kSnModeBcd && mode != kSnModeAscii;
}

uint32_t SnCounterMax(int32_t type, int32_t mode) {
    return type == kSnTypeDate || !SnIsHexMode(mode) ? 9999u : 65535u;
}

uint32_t SnNumberMax(int32_t mode) {
    return SnIsHexMode(mode) ? 0xFFFFFFFFu : 99999999u;
}

uint32_t SnNextMax() {
    const int32_t type = Type();
    if (IsCustom(type)) {
        return 0xFFFFFFFFu;
    }
    return type == kSnTypeNumber ? SnNumberMax(Mode()) : SnCounterMax(type, Mode());
}

std::string SerialNumberFormat() {
    const SerialNumberState& s = SerialNumber;
    const uint32_t c = s.NextSerialNumber;
    const bool hex = SnIsHexMode(Mode());
    const int32_t year = s.SnDateParts[0], yy = s.SnDateParts[1], mm = s.SnDateParts[2];
    const int32_t dd = s.SnDateParts[3], ddd = s.SnDateParts[4];
    switch (Type()) {
    case kSnTypeYear:
        return Format(hex ? "%4.4i%5.5u" : "%4.4i%4.4u", year, c);
    case kSnTypeYearMonth:
        return Format(hex ? "%2.2i%2.2i%5.5u" : "%2.2i%2.2i%4.4u", yy, mm, c);
    case kSnTypeNumber:
        return Format("%10.8u", c);
    case kSnTypeCounter:
        return Format(hex ? "%5.5u" : "%4.4u", c);
    case kSnTypeYearDay:
        return Format(hex ? "%2.2i%3.3i%5.5u" : "%2.2i%3.3i%4.4u", yy, ddd, c);
    case kSnTypeDate:
        return Format("%2.2i%2.2i%2.2i%4.4u", yy, mm, dd, c);
    case kSnTypeCustom:
        return s.SnCustomText;
    case kSnTypeFromFile:
        return s.SnListText;
    default:
        return Format("%4.4i%5.5u", year, c); // an unknown type counts as type 0
    }
}

std::string SerialNumberFormatCaption() {
    const bool hex = SnIsHexMode(Mode());
    switch (Type()) {
    case kSnTypeYearMonth:
        return hex ? "Format: yymm12345" : "Format: yymm1234";
    case kSnTypeNumber:
        return hex ? "Format: 1234567890" : "Format: 12345678";
    case kSnTypeCounter:
        return hex ? "Format: 12345" : "Format: 1234";
    case kSnTypeYearDay:
        return hex ? "Format: yyddd12345" : "Format: yyddd1234";
    case kSnTypeDate:
        return "Format: yymmdd1234";
    case kSnTypeCustom:
    case kSnTypeFromFile:
        return hex ? "Format: HEX Custom" : "Format: Ascii Custom";
    default:
        return hex ? "Format: yyyy12345" : "Format: yyyy1234";
    }
}

int32_t SerialNumberPack(uint32_t d, uint32_t c) {
    const int32_t type = Type();
    const int32_t mode = Mode();
    if (IsCustom(type)) {
        return Refuse(kSnRefusedText); // custom SNs are packed from their text
    }
    if (c > SnCounterMax(type, mode) && type != kSnTypeNumber) {
        return Refuse();
    }
    const bool t3 = type == kSnTypeCounter;
    const bool t2 = type == kSnTypeNumber;
    if (SnIsHexMode(mode)) {
        if (d > 0xFFFF || c > 0xFFFF) {
            return Refuse();
        }
        const uint32_t dl = d & 0xFF, dh = d >> 8, cl = c & 0xFF, ch = c >> 8;
        if (mode == kSnModeHexLswFirst) {
            t3 ? Put(2, {cl, ch}) : Put(4, {cl, ch, dl, dh});
        } else if (mode == kSnModeHexMsbFirst) {
            t3 ? Put(2, {ch, cl}) : t2 ? Put(4, {dh, dl, ch, cl}) : Put(4, {dl, dh, cl, ch});
        } else {
            t3 ? Put(2, {cl, ch}) : Put(4, {dl, dh, cl, ch});
        }
        return Packed();
    }
    if (c > 9999) {
        return Refuse();
    }
    const std::string cs = Format("%4.4u", c);
    if (mode == kSnModeBcd) {
        if (t3) {
            Put(2, {BcdPair(&cs[0]), BcdPair(&cs[2])});
            return Packed();
        }
        if (type == kSnTypeYearDay) {
            // The year's tens digit has two bits, the day's hundreds digit two.
            const uint32_t yy = d / 512, ddd = d & 0x1FF;
            if (yy > 39 || ddd > 399) {
                return Refuse();
            }
            const std::string ds = Format("%2.2u%3.3u", yy, ddd);
            const uint32_t y1 = ds[0] - '0', y2 = ds[1] - '0', d1 = ds[2] - '0';
            Put(4, {(y2 << 4) | (y1 << 2) | d1, BcdPair(&ds[3]), BcdPair(&cs[0]), BcdPair(&cs[2])});
            return Packed();
        }
        if (type == kSnTypeDate) {
            const uint32_t yy = d >> 9, mm = (d >> 5) & 0xF, dd = d & 0x1F;
            if (yy > 99) {
                return Refuse();
            }
            const std::string ds = Format("%2.2u%2.2u%2.2u", yy, mm, dd);
            Put(5, {BcdPair(&ds[0]), BcdPair(&ds[2]), BcdPair(&ds[4]), BcdPair(&cs[0]),
                    BcdPair(&cs[2])});
            return Packed();
        }
        if (d > 9999) {
            return Refuse();
        }
        const std::string ds = Format("%4.4u", d);
        Put(4, {BcdPair(&ds[0]), BcdPair(&ds[2]), BcdPair(&cs[0]), BcdPair(&cs[2])});
        return Packed();
    }
    // ASCII: the digits themselves.
    std::string text;
    if (t3) {
        text = cs;
    } else if (type == kSnTypeYearDay) {
        if (d / 512 > 99 || (d & 0x1FF) > 999) {
            return Refuse();
        }
        text = Format("%2.2u%3.3u", d / 512, d & 0x1FF) + cs;
    } else if (type == kSnTypeDate) {
        if ((d >> 9) > 99) {
            return Refuse();
        }
        text = Format("%2.2u%2.2u%2.2u", d >> 9, (d >> 5) & 0xF, d & 0x1F) + cs;
    } else {
        if (d > 9999) {
            return Refuse();
        }
        text = Format("%4.4u", d) + cs;
    }
    std::memcpy(SerialData.SerialNumberBytes, text.data(), text.size());
    SerialData.SerialNumberCount = static_cast<int32_t>(text.size());
    return Packed();
}

bool SnBytesBlank(const uint8_t* bytes, int32_t count) {
    const int32_t n = std::clamp(count, 0, 256);
    bool allFF = true;
    for (int32_t i = 0; i < n; ++i) {
        allFF = allFF && bytes[i] == 0xFF;
    }
    if (allFF || IsCustom(Type()) || n < 2) {
        return allFF;
    }
    // The SN reader's test: the first word, and for type 2 the second too.
    const uint8_t rest[2] = {0xFF, 0xFF};
    const uint8_t* w2 = n >= 4 ? bytes + 2 : rest;
    return bytes[0] == 0xFF && bytes[1] == 0xFF &&
           (Type() != kSnTypeNumber || (w2[0] == 0xFF && w2[1] == 0xFF));
}

std::string SnRefusalText(int32_t refusal) {
    switch (refusal) {
    case kSnRefusedBlank:
        return " would read as blank flash: it is not written.";
    case kSnRefusedRange:
        return " is beyond the range of the SN type and byte mode: it is not written.";
    default:
        return " is no SN of the SN type and byte mode: it is not written.";
    }
}

int32_t SnPackNumber(uint32_t n) {
    const int32_t* p = SerialNumber.SnDateParts;
    const bool hex = SnIsHexMode(Mode());
    uint32_t d = 0, c = n;
    switch (Type()) {
    case kSnTypeYearMonth:
        d = static_cast<uint32_t>(p[1] * 100 + p[2]);
        break;
    case kSnTypeNumber:
        d = hex ? n >> 16 : n / 10000;
        c = hex ? n & 0xFFFF : n % 10000;
        break;
    case kSnTypeCounter:
        d = 0;
        break;
    case kSnTypeYearDay:
        d = static_cast<uint32_t>(p[1] * 512 + p[4]);
        break;
    case kSnTypeDate:
        d = static_cast<uint32_t>(p[1] * 512 + p[2] * 32 + p[3]);
        break;
    default:
        d = static_cast<uint32_t>(p[0]);
        break;
    }
    return SerialNumberPack(d, c);
}

bool SnCustomCharAllowed(char c) {
    return c >= '!' && c <= '~' && c != ',' && c != '=' && c != ';' && c != '#';
}

int32_t SerialNumberFromText(std::string_view text) {
    SerialNumberState& s = SerialNumber;
    s.SerialNumberText.clear();
    const int32_t type = Type();
    const int32_t mode = Mode();
    if (IsCustom(type)) {
        const size_t n = static_cast<size_t>(CustomSize());
        if (n == 0 || text.size() < n) {
            return Refuse(kSnRefusedText);
        }
        std::string sn(text.substr(0, n));
        for (char& ch : sn) {
            if (!SnCustomCharAllowed(ch)) {
                return Refuse(kSnRefusedText);
            }
        }
        if (SnIsHexMode(mode)) {
            for (char& ch : sn) {
                if (core::TextHexDigit(ch) < 0) {
                    return Refuse(kSnRefusedText);
                }
                ch = static_cast<char>(platform::AsciiLower(ch));
            }
            const size_t pairs = n / 2;
            for (size_t i = 0; i < pairs; ++i) {
                const uint8_t b = static_cast<uint8_t>(core::TextHexDigit(sn[2 * i]) << 4 |
                                                       core::TextHexDigit(sn[2 * i + 1]));
                const size_t at = mode == kSnModeHexLswFirst ? pairs - 1 - i : i;
                SerialData.SerialNumberBytes[at] = b;
            }
            SerialData.SerialNumberCount = static_cast<int32_t>(pairs);
        } else {
            std::memcpy(SerialData.SerialNumberBytes, sn.data(), n);
            SerialData.SerialNumberCount = static_cast<int32_t>(n);
        }
        if (Packed() != 1) {
            return 0;
        }
        s.SerialNumberText = sn;
        return 1;
    }

    // A number SN: up to 10 leading characters that are not digits, then one
    // run of digits; no further digit may follow.
    size_t at = 0;
    while (at < text.size() && at < 10 && !platform::AsciiIsDigit(text[at])) {
        ++at;
    }
    size_t end = at;
    while (end < text.size() && platform::AsciiIsDigit(text[end])) {
        ++end;
    }
    const std::string digits(text.substr(at, end - at));
    for (size_t i = end; i < text.size(); ++i) {
        if (platform::AsciiIsDigit(text[i])) {
            return Refuse(kSnRefusedText);
        }
    }
    const bool hex = SnIsHexMode(mode);
    size_t maxDigits = 0;
    switch (type) {
    case kSnTypeNumber:
        maxDigits = hex ? 10 : 8;
        break;
    case kSnTypeCounter:
        maxDigits = hex ? 5 : 4;
        break;
    case kSnTypeYearDay:
        maxDigits = hex ? 10 : 9;
        break;
    case kSnTypeDate:
        maxDigits = 10;
        break;
    default:
        maxDigits = hex ? 9 : 8;
        break;
    }
    if (digits.empty() || digits.size() > maxDigits) {
        return Refuse(kSnRefusedText);
    }
    auto value = [&](size_t from, size_t len) -> uint64_t {
        uint64_t v = 0;
        for (size_t i = from; i < digits.size() && i < from + len; ++i) {
            v = v * 10 + static_cast<uint64_t>(digits[i] - '0');
        }
        return v;
    };
    uint64_t a = 0, b = 0;
    switch (type) {
    case kSnTypeNumber: {
        const uint64_t n = value(0, digits.size());
        if (n > SnNumberMax(mode)) {
            return Refuse();
        }
        a = hex ? n >> 16 : n / 10000;
        b = hex ? n & 0xFFFF : n % 10000;
        break;
    }
    case kSnTypeCounter:
        b = value(0, 5);
        break;
    case kSnTypeYearDay:
        a = (value(0, 2) << 9) + value(2, 3);
        b = value(5, 5);
        break;
    case kSnTypeDate:
        a = (value(0, 2) << 9) | (value(2, 2) << 5) | value(4, 2);
        b = value(6, 5);
        if (value(2, 2) > 15 || value(4, 2) > 31) {
            return Refuse(kSnRefusedText);
        }
        break;
    default:
        a = value(0, 4);
        b = value(4, 5);
        break;
    }
    if (type == kSnTypeYearDay && value(2, 3) > 511) {
        return Refuse(kSnRefusedText);
    }
    if (SerialNumberPack(static_cast<uint32_t>(a), static_cast<uint32_t>(b)) != 1) {
        return 0;
    }
    // The SN as the coming SN of these bytes reads, whatever digits were
    // typed ("2026001" is "20260001"): the history must hold one spelling
    // of each SN, or a second spelling would slip past the used-SN check.
    std::string canonical;
    SnDecodeBytes(SerialData.SerialNumberBytes, canonical);
    const size_t first = canonical.find_first_not_of(' ');
    s.SerialNumberText = first == std::string::npos ? digits : canonical.substr(first);
    return 1;
}

std::string SnCanonicalText(std::string_view text) {
    const int32_t type = Type();
    if (IsCustom(type)) {
        return std::string(text);
    }
    const core::SerialDataState kept = SerialData;
    const std::string keptText = SerialNumber.SerialNumberText;
    std::string out(text);
    if (SerialNumberFromText(text) == 1) {
        out = SerialNumber.SerialNumberText;
    }
    SerialData = kept;
    SerialNumber.SerialNumberText = keptText;
    return out;
}

int32_t SnDecodeBytes(const uint8_t* bytes, std::string& text) {
    text.clear();
    const int32_t type = Type();
    const int32_t mode = Mode();
    if (IsCustom(type)) {
        const int32_t n = CustomSize();
        bool any = false;
        if (SnIsHexMode(mode)) {
            const int32_t pairs = n / 2;
            for (int32_t i = 0; i < pairs; ++i) {
                const uint8_t b = bytes[mode == kSnModeHexLswFirst ? pairs - 1 - i : i];
                any = any || b != 0xFF;
                text += Format("%2.2x", b);
            }
        } else {
            for (int32_t i = 0; i < n; ++i) {
                any = any || bytes[i] != 0xFF;
                text += static_cast<char>(bytes[i]);
            }
        }
        if (!any) {
            text.clear();
        }
        return any ? 1 : 0;
    }
    const bool bigEndian =
        mode == kSnModeHexMsbFirst && (type == kSnTypeNumber || type == kSnTypeCounter);
    const uint32_t w1 = bigEndian ? (bytes[0] << 8 | bytes[1]) : (bytes[1] << 8 | bytes[0]);
    const uint32_t w2 = bigEndian ? (bytes[2] << 8 | bytes[3]) : (bytes[3] << 8 | bytes[2]);
    if (SnBytesBlank(bytes, 4)) {
        return 0;
    }
    if (mode == kSnModeAscii || mode == kSnModeBcd) {
        std::string digits;
        if (mode == kSnModeAscii) {
            const size_t n = type == kSnTypeCounter   ? 4
                             : type == kSnTypeYearDay ? 9
                             : type == kSnTypeDate    ? 10
                                                      : 8;
            digits.assign(reinterpret_cast<const char*>(bytes), n);
        } else if (type == kSnTypeYearDay) {
            digits += static_cast<char>('0' + ((bytes[0] >> 2) & 3));
            digits += static_cast<char>('0' + (bytes[0] >> 4));
            digits += static_cast<char>('0' + (bytes[0] & 3));
            for (int i = 1; i < 4; ++i) {
                digits += static_cast<char>('0' + (bytes[i] >> 4));
                digits += static_cast<char>('0' + (bytes[i] & 0xF));
            }
        } else {
            const int n = type == kSnTypeDate ? 5 : type == kSnTypeCounter ? 2 : 4;
            for (int i = 0; i < n; ++i) {
                digits += static_cast<char>('0' + (bytes[i] >> 4));
                digits += static_cast<char>('0' + (bytes[i] & 0xF));
            }
        }
        for (char c : digits) {
            if (c < '0' || c > '9') {
                return 0;
            }
        }
        if (type == kSnTypeNumber) {
            text = Format("%10.8s", digits.c_str());
        } else {
            text = digits;
        }
        return 1;
    }
    // Hex modes: D and C as SerialNumberPack put them.
    uint32_t d = 0, c = 0;
    if (type == kSnTypeCounter) {
        c = w1;
    } else if (mode == kSnModeHexLswFirst) {
        c = w1;
        d = w2;
    } else {
        d = w1;
        c = w2;
    }
    switch (type) {
    case kSnTypeNumber:
        text = Format("%10.8u", d << 16 | c);
        break;
    case kSnTypeCounter:
        text = Format("%5.5u", c);
        break;
    case kSnTypeYearMonth:
        if (d > 9999) {
            return 0;
        }
        text = Format("%4.4u%5.5u", d, c);
        break;
    case kSnTypeYearDay:
        if (d >> 9 > 99) {
            return 0;
        }
        text = Format("%2.2u%3.3u%5.5u", d >> 9, d & 0x1FF, c);
        break;
    case kSnTypeDate:
        if (d >> 9 > 99 || c > 9999) {
            return 0;
        }
        text = Format("%2.2u%2.2u%2.2u%4.4u", d >> 9, (d >> 5) & 0xF, d & 0x1F, c);
        break;
    default:
        if (d > 9999) {
            return 0;
        }
        text = Format("%4.4u%5.5u", d, c);
        break;
    }
    return 1;
}

int32_t SerialNumberFromMemory() {
    uint8_t bytes[256];
    const int64_t start = Settings.SNStartAddress;
    for (int32_t i = 0; i < 256; ++i) {
        const int64_t a = start + i;
        bytes[i] = core::InImage(a) ? core::Images.ReadImage[core::ImageIndex(a)] : 0xFF;
    }
    std::string text;
    const int32_t r = SnDecodeBytes(bytes, text);
    SerialNumber.SnReadBackText = text.substr(0, kSnCustomMax);
    return r;
}

std::string SerialNumberTextClean(std::string_view text) {
    const bool custom = IsCustom(Type());
    // An ASCII custom SN keeps its case; only hex digits are folded.
    const bool fold = custom && SnIsHexMode(Mode());
    std::string out;
    for (size_t i = 0; i < text.size() && i < 264; ++i) {
        const char c = fold ? static_cast<char>(platform::AsciiLower(text[i])) : text[i];
        if (custom ? (c >= '!' && c <= '~') : (c >= '0' && c <= '9')) {
            out += c;
        }
    }
    out.resize(256, ' ');
    out.resize(static_cast<size_t>(SnTextLength()));
    return out;
}

} // namespace gui

namespace gui {

int32_t SnUsedSize(int32_t type, int32_t mode, int32_t customSize) {
    if (mode < 1 || mode > 4) {
        mode = kSnModeHexMswFirst;
    }
    if (type == kSnTypeCustom || type == kSnTypeFromFile) {
        const int32_t n = std::clamp(customSize, 0, 256);
        return SnIsHexMode(mode) ? n / 2 : n;
    }
    if (mode == kSnModeAscii) {
        return type == kSnTypeCounter   ? 4
               : type == kSnTypeYearDay ? 9
               : type == kSnTypeDate    ? 10
                                        : 8;
    }
    if (type == kSnTypeCounter) {
        return 2;
    }
    return mode == kSnModeBcd && type == kSnTypeDate ? 5 : 4;
}

} // namespace gui
