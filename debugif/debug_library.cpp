// What the shared debug library ("MSP430-TI.DLL") adds to the debug
// interface: the four entries the in-process build has no use for, and the
// attach at load and the detach at unload.

#include "core/debug_api.h"
#include "debugif/api_state.h"
#include "debugif/debug_api_layer.h"
#include "debugif/debug_attach.h"
#include "debugif/debug_error_table.h"
#include "debugif/error_numbers.h"
#include "debugif/uif_command_state.h"

using namespace debugif;

// This file is built with hidden visibility; its entries are the library's
// exports.
#pragma GCC visibility push(default)
extern "C" {

int32_t MSP430_Error_Number(void) {
    return Api.LastErrorNumber;
}

const char* MSP430_Error_String(int32_t errorNumber) {
    return DebugErrorString(errorNumber);
}

// No adapter firmware image comes with this library: an update cannot even
// begin, and the adapter is left as it is.
int32_t MSP430_FET_FwUpdate(const char*, MSP430_FwUpdateCallback, void*) {
    return ApiFail(kErrorNotSupported);
}

// The version of the adapter firmware image this library carries, 0 for
// none: a program asks before it offers an update.
int32_t MSP430_FET_FwImageVersion(int32_t* version) {
    if (version == nullptr) {
        return ApiFail(kErrorInvalidParameter);
    }
    *version = 0;
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

} // extern "C"
#pragma GCC visibility pop

namespace {

// Destroyed in the reverse order of construction, so created only once an
// interface opened: by then everything the close needs exists and is
// destroyed after it, whether the program ends or unloads the library.
struct Unload {
    ~Unload() { AttachDebugInterface(nullptr, kAttachReasonDetach); }
};

void ArmUnload() {
    static Unload unload;
}

__attribute__((constructor)) void Load() {
    AttachDebugInterface(reinterpret_cast<const void*>(&Load), kAttachReasonAttach);
    ApiAttachHooks.interfaceOpened = &ArmUnload;
}

} // namespace
