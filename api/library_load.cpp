// What the shared library does when it is loaded and unloaded: the host
// directory, the settings at their defaults, the debug interface attached
// with the settings file beside the library ("libquillcore.ini"), and once
// an interface was opened, its detach at unload or at the program's end.
// Once the library has made its own Qt application for the progress dialog
// it stays loaded until the program ends: that application and Qt's
// threads outlive any unload and run the library's code, so a host's
// dlclose then leaves it in place (and a later dlopen finds it as it was).

#include "api/library_start.h"
#include "api/qt_presenter.h"
#include "debugif/debug_attach.h"

#include <dlfcn.h>

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

void Load();

// Marks this library as never to be unloaded (the reference taken is never
// given back).
void StayResident() {
    Dl_info self{};
    if (dladdr(reinterpret_cast<const void*>(&Load), &self) != 0 && self.dli_fname != nullptr) {
        (void)dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
}

__attribute__((constructor)) void Load() {
    api::LibraryLoad();
    api::LibraryAttach(reinterpret_cast<const void*>(&Load), debugif::kAttachReasonAttach);
    debugif::ApiAttachHooks.interfaceOpened = &ArmUnload;
    api::QtPresenter::SetApplicationMadeHook(&StayResident);
}

} // namespace
