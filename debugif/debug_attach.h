#pragma once
// Attach and detach of the debug interface: what the library's load and
// unload do (Quillcore runs them from its LIB_Init; the shared debug
// library on its own).

#include <cstdint>
#include <string>

namespace debugif {

inline constexpr int32_t kAttachReasonDetach = 0;
inline constexpr int32_t kAttachReasonAttach = 1;

// Reason 1: reads the interface protocol from the settings file beside the
// module that holds module_address (this library when null): its path with
// the extension replaced by ".ini", section "IF_PROTOCOL", key "PROTOCOL".
// "JTAG" gives 0, "SPYBYWIRE" or "SPYBIWIRE" 1, "SPYBIWIREJTAG" 2 (exact
// case), anything else, a missing key or file, 0.
// Reason 0: closes the interface with the target supply switched off; a
// link given up whose port is still held gets one short close with the
// supply off (UifReleaseLostLink).
// Other reasons do nothing. Returns -1 when a detach's close could not
// confirm the supply off (not answered, or nothing open to send it on), 0
// otherwise.
int32_t AttachDebugInterface(const void* module_address, int32_t reason);

// The settings file of a module: "/dir/name.ext" gives "/dir/name.ini",
// "/dir/name" "/dir/name.ini", a shared object "/dir/name.so.2.5.0"
// "/dir/name.ini"; "" for "".
std::string SettingsFilePath(const std::string& module_path);

// Set by a build that is unloaded as a whole (the shared debug library):
// called after every interface open, so that it can arrange the detach.
struct AttachHooks {
    void (*interfaceOpened)() = nullptr;
};
extern AttachHooks ApiAttachHooks;

} // namespace debugif
