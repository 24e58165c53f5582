// Opens the adapter named on the command line through the debug library
// beside this program, powers the target and ends without closing: the
// library's unload must switch the supply off and close.

#include "core/debug_lib.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: debugapi_exit_probe PORT\n");
        return 2;
    }
    int32_t version = 0;
    if (core::DebugLib_Initialize(argv[1], &version) != 0) {
        std::fprintf(stderr, "initialise failed: %d\n", core::DebugLib_Error_Number());
        return 1;
    }
    if (core::DebugLib_VCC(3000) != 0) {
        std::fprintf(stderr, "supply failed: %d\n", core::DebugLib_Error_Number());
        return 1;
    }
    return 0;
}
