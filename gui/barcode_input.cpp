#include "gui/barcode_input.h"

#include "platform/clock.h"

#include <iterator>

namespace gui {

BarcodeState Barcode;

uint32_t TickCount() {
    return platform::TickCountMs();
}

int32_t BarcodeTerminatorKey(int32_t postAmbleIndex) {
    constexpr int32_t rows = static_cast<int32_t>(std::size(BarcodeTerminatorTable));
    if (postAmbleIndex < 0 || postAmbleIndex >= rows) {
        return 0;
    }
    return BarcodeTerminatorTable[postAmbleIndex].keyCode;
}

void BarcodeCharacterCollect(int32_t code, uint32_t time) {
    if (code < 33 || code > 126) {
        return;
    }
    auto& h = Barcode.BarcodeHistory;
    for (size_t i = 0; i + 1 < h.size(); ++i) {
        h[i] = h[i + 1];
    }
    h.back() = BarcodeEntry{code, time};
}

std::string BarcodeText(int32_t n) {
    if (n > kBarcodeHistorySize) {
        n = kBarcodeHistorySize;
    }
    std::string text;
    for (int32_t i = kBarcodeHistorySize - (n > 0 ? n : 0); i < kBarcodeHistorySize; ++i) {
        const int32_t code = Barcode.BarcodeHistory[static_cast<size_t>(i)].code;
        if (code != 0 && code != ' ') {
            text += static_cast<char>(code);
        }
    }
    return text;
}

bool BarcodeCameFast() {
    const auto& h = Barcode.BarcodeHistory;
    // Unsigned difference: right across a wrap of the tick count too.
    return h[kBarcodeHistorySize - 1].time - h[kBarcodeHistorySize - 4].time < kBarcodeScanWindowMs;
}

void BarcodeHistoryClear() {
    for (BarcodeEntry& e : Barcode.BarcodeHistory) {
        e.code = 0;
    }
}

} // namespace gui
