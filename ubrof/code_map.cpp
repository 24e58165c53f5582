#include "ubrof/code_map.h"

namespace ubrof {

UbrofCodeMap ubrofCodeMap;

int UbrofCodeMap::Forward(int kind) {
    if (kind < 0 || kind >= kKinds) {
        return -1;
    }
    return kFileCode[static_cast<std::size_t>(kind)];
}

int UbrofCodeMap::Inverse(uint8_t code) {
    if (!inverseBuilt) {
        inverse.fill(0);
        for (int kind = 0; kind < kKinds; ++kind) {
            inverse[kFileCode[static_cast<std::size_t>(kind)]] = static_cast<uint8_t>(kind);
        }
        inverseBuilt = true;
    }
    return inverse[code];
}

void UbrofCodeMap::Reset() {
    *this = UbrofCodeMap{};
}

void UbrofReset() {
    ubrofCodeMap.Reset();
}

} // namespace ubrof
