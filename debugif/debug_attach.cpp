#include "debugif/debug_attach.h"

#include "core/debug_api.h"
#include "debugif/api_state.h"
#include "debugif/uif_connect.h"
#include "debugif/uif_link_state.h"
#include "platform/ini_file.h"
#include "platform/module_path.h"

namespace debugif {

// Constant-initialised: the shared library sets it while it loads.
constinit AttachHooks ApiAttachHooks;

namespace {

constexpr char kSection[] = "IF_PROTOCOL";
constexpr char kKey[] = "PROTOCOL";
constexpr char kDefault[] = "0xFFFFFFFF";
constexpr size_t kValueBufferSize = 256;

int32_t ProtocolOf(const std::string& value) {
    if (value == "JTAG") {
        return 0;
    }
    if (value == "SPYBYWIRE" || value == "SPYBIWIRE") {
        return 1;
    }
    if (value == "SPYBIWIREJTAG") {
        return 2;
    }
    return 0;
}

} // namespace

std::string SettingsFilePath(const std::string& module_path) {
    if (module_path.empty()) {
        return {};
    }
    const size_t slash = module_path.rfind('/');
    const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
    // A shared object's name is cut before its ".so", whatever version
    // numbers follow it ("libquillcore.so.2.5.0" reads "libquillcore.ini").
    size_t so = module_path.find(".so", name_start);
    while (so != std::string::npos && so + 3 < module_path.size() && module_path[so + 3] != '.') {
        so = module_path.find(".so", so + 1);
    }
    const size_t dot = so != std::string::npos ? so : module_path.rfind('.');
    const size_t name_end = dot == std::string::npos || dot < name_start ? module_path.size() : dot;
    return module_path.substr(0, name_end) + ".ini";
}

int32_t AttachDebugInterface(const void* module_address, int32_t reason) {
    if (reason == kAttachReasonAttach) {
        const void* address = module_address != nullptr
                                  ? module_address
                                  : reinterpret_cast<const void*>(&AttachDebugInterface);
        const std::string ini = SettingsFilePath(platform::ModulePathOf(address));
        const std::string value =
            ini.empty() ? std::string(kDefault)
                        : platform::IniReadString(ini, kSection, kKey, kDefault, kValueBufferSize);
        Api.ProtocolSetting = ProtocolOf(value);
        return 0;
    }
    if (reason != kAttachReasonDetach) {
        return 0;
    }
    if (Api.InterfaceKind != kInterfaceNone) {
        return MSP430_Close(1) == 0 ? 0 : -1;
    }
    // A link given up still holds its port: the supply goes off once more,
    // briefly, before the port is let go. One the library let go itself
    // says whether its close switched the supply off.
    const bool held = UifLink.gave_up != 0;
    const int32_t result = UifReleaseLostLink();
    return held ? result : (UifLink.supply_off_confirmed != 0 ? 0 : -1);
}

} // namespace debugif
