#include "debugif/uif_command_state.h"

#include "debugif/transport_ops.h"

namespace debugif {

UifCommandState UifCommands;

bool UifUsesNewIdentify() {
    return UifCommands.UifFirmwareVersion >= kUifVersionNewIdentify;
}

bool UifInExtensionRange() {
    const int32_t v = UifCommands.UifFirmwareVersion;
    return v >= kUifVersionExtension && v < kUifVersionExtensionEnd;
}

uint32_t UifMemoryChunkSize() {
    if (Transport.kind == kTransportSerial && UifCommands.UifBootloaderMode == 0 &&
        UifInExtensionRange()) {
        return kUifLargeChunkSize;
    }
    return kUifChunkSize;
}

} // namespace debugif
