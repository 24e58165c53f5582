// What the shared library does when it is loaded and unloaded: the host
// directory, the settings at their defaults, the debug interface attached
// with the settings file beside the library ("libquillcore.ini"), and once
// an interface was opened, its detach at unload or at the program's end.

#include "api/library_start.h"
#include "debugif/debug_attach.h"

namespace {

// Destroyed in the reverse order of construction, so created only once an
// interface opened: by then everything the close needs exists and is
// destroyed after it, whether the program ends or unloads the library.
struct Unload {
    ~Unload() { api::LibraryAttach(nullptr, debugif::kAttachReasonDetach); }
};

void ArmUnload() {
    static Unload unload;
}

__attribute__((constructor)) void Load() {
    api::LibraryLoad();
    api::LibraryAttach(reinterpret_cast<const void*>(&Load), debugif::kAttachReasonAttach);
    debugif::ApiAttachHooks.interfaceOpened = &ArmUnload;
}

} // namespace
