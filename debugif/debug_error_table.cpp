#include "debugif/debug_error_table.h"

namespace debugif {

const char* DebugErrorString(int32_t number) {
    if (number < 0 || number >= kDebugErrorCount) {
        number = kDebugErrorCount - 1;
    }
    return DebugErrorTable[number].text;
}

} // namespace debugif
